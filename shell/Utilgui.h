// The program's own version text.
#pragma once

#include <QString>

// The version the build embedded in the program ("0.1.0"), or the empty text for a build
// that carries none. Never throws; any thread.
QString versaoArquivo();
