// The lane view's settings of the configuration file (section "pistas").
#pragma once

#include <QString>

#include "pistas/AjustesPistas.h"

class LeitorIni;

namespace secaoPistas {

// Every value brought into its range; a missing or bad one takes its default.
AjustesPistas lerAjustes(const LeitorIni &ini);
QString linhasAjustes(const AjustesPistas &ajustes);

}  // namespace secaoPistas
