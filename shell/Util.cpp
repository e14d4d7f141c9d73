#include "shell/Util.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <cstring>
#include <stdexcept>

namespace {

constexpr QChar aspas = u'"';

// Blanks and control characters: every character up to U+0020.
bool isBrancoOuControle(QChar c) {
  return c.unicode() <= 0x20;
}

QString aparado(const QString &texto) {
  qsizetype inicio = 0;
  qsizetype fim = texto.size();
  while (inicio < fim && isBrancoOuControle(texto[inicio])) ++inicio;
  while (fim > inicio && isBrancoOuControle(texto[fim - 1])) --fim;
  return texto.mid(inicio, fim - inicio);
}

// A socket that a server listens on: connecting succeeds. A socket file left behind by a
// server that has ended refuses the connection.
// A connection to a local socket is answered or refused at once, so this never waits.
bool soqueteResponde(const QString &caminho) {
  const QByteArray bytes = QFile::encodeName(caminho);
  sockaddr_un endereco{};
  if (bytes.isEmpty() || static_cast<std::size_t>(bytes.size()) >= sizeof endereco.sun_path)
    return false;
  endereco.sun_family = AF_UNIX;
  std::memcpy(endereco.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  const int soquete = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (soquete < 0) return false;
  const bool respondeu =
      ::connect(soquete, reinterpret_cast<const sockaddr *>(&endereco), sizeof endereco) == 0;
  close(soquete);
  return respondeu;
}

}  // namespace

QString textoEntreAspas(const QString &texto) {
  QString item = aparado(texto);
  if (item.isEmpty()) throw std::out_of_range("abrirDocumento: empty text");
  if (item.front() != aspas) item.prepend(aspas);
  if (item.back() != aspas) item.append(aspas);
  return item;
}

// The system's shell takes the enclosing quotes off the one item it is given; the opener
// here takes a path or an address as it is, so the quotes go before it sees the text.
QUrl destinoDocumento(const QString &texto) {
  QString alvo = textoEntreAspas(texto);
  alvo.remove(0, 1);
  if (alvo.endsWith(aspas)) alvo.chop(1);
  // A lone quote leaves nothing to open.
  if (alvo.isEmpty()) return {};
  // A scheme of two letters or more: "C:" is a folder on the system the quoting rule came
  // from, not an address.
  static const QRegularExpression esquema(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  if (esquema.match(alvo).hasMatch()) return QUrl(alvo, QUrl::TolerantMode);
  return QUrl::fromLocalFile(QFileInfo(alvo).absoluteFilePath());
}

void abrirDocumento(const QString &texto) {
  const QUrl destino = destinoDocumento(texto);
  // The result is not looked at: a document that cannot be opened leaves no message.
  if (!destino.isEmpty()) QDesktopServices::openUrl(destino);
}

bool executarPrograma(const QString &arquivo, const QString &parametros) {
  if (arquivo.isEmpty()) return false;
  return QProcess::startDetached(arquivo, QProcess::splitCommand(parametros));
}

bool isServidorSomAtivo() {
  // PULSE_SERVER names a socket ("unix:/run/user/1000/pulse/native" or the bare path) or a
  // network server ("tcp:host"), which is taken to run as it cannot be asked cheaply.
  QString servidor = qEnvironmentVariable("PULSE_SERVER");
  if (servidor.startsWith(QLatin1String("unix:"))) servidor.remove(0, 5);
  if (!servidor.isEmpty() && !servidor.startsWith(u'/')) return true;
  if (soqueteResponde(servidor)) return true;
  const QString pasta = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (pasta.isEmpty()) return false;
  const QDir sessao(pasta);
  return soqueteResponde(sessao.filePath(QStringLiteral("pulse/native"))) ||
         soqueteResponde(sessao.filePath(QStringLiteral("pipewire-0")));
}
