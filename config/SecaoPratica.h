// The practice settings (section "pratica") and the songs remembered (sections "musica1"
// to "musica50", the most recent first) of the configuration file.
#pragma once

#include <QString>

#include "pratica/AjustesPratica.h"
#include "pratica/MemoriaMusicas.h"

class LeitorIni;

namespace secaoPratica {

// Every value brought into its range; a missing or bad one takes its default.
AjustesPratica lerAjustes(const LeitorIni &ini);
QString linhasAjustes(const AjustesPratica &ajustes);

// Sections without a file name are left out.
MemoriaMusicas lerMemoria(const LeitorIni &ini);
QString linhasMemoria(const MemoriaMusicas &memoria);

}  // namespace secaoPratica
