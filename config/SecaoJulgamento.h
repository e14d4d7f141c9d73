// The judging settings of the configuration file (section "julgamento").
#pragma once

#include <QString>

#include "julgamento/AjustesJulgamento.h"

class LeitorIni;

namespace secaoJulgamento {

// Every value brought into its range; a missing or bad one takes its default.
AjustesJulgamento lerAjustes(const LeitorIni &ini);
QString linhasAjustes(const AjustesJulgamento &ajustes);

}  // namespace secaoJulgamento
