// The grooves that the build writes into the program folder's rhythm folder.
#pragma once

#include <QString>
#include <QStringList>

namespace kovrinta::test {

// The groove names the build lists (KOVRINTA_GROOVES), such as "bossa-nova-132".
QStringList nomesRitmos();
// The built file of groove nome: <program folder>/ritmos/<nome>.mid.
QString arquivoRitmo(const QString &nome);
// The folder itself.
QString pastaRitmos();

// A time signature: numerator beats of a 1/denominator note.
struct Compasso {
  int numerador = 4;
  int denominador = 4;
  // Ticks of 1/64 quarter note in a bar.
  int ticks() const { return numerador * 64 * 4 / denominador; }
};

// The first time signature of the file's first track, read through the library as
// Kovrinta reads its files; throws std::runtime_error when there is none.
Compasso lerCompasso(const QString &arquivo);

}  // namespace kovrinta::test
