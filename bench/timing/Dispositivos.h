// The program's output devices, as its command-line player numbers them.
#pragma once

#include <QString>

namespace bench {

// kovrinta-song's number (in the program folder programa) of the first output device whose
// description starts with inicio, or -1.
int dispositivo(const QString &programa, const QString &inicio);

}  // namespace bench
