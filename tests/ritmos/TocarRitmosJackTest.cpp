// Every groove of the rhythm folder played by kovrinta-song through the real sequencer and
// timer into a JACK MIDI port: all of them at once against one server (each player is its
// own client), so the test takes as long as the longest groove, not as all of them.
#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <chrono>
#include <memory>

#include "GravadorPortas.h"
#include "JackServer.h"
#include "MusicaImpressa.h"
#include "PastaRitmos.h"
#include "QtWait.h"

using namespace kovrinta::test;
using namespace std::chrono_literals;

namespace {

bool controlador(const Mensagem &m) {
  return !m.empty() && (m[0] & 0xF0) == 0xB0;
}

// Where the song begins in what a port received: the first message that is not one of
// the program's own controller messages (the volume it sets before loading, the reset
// after). -1 when nothing else arrived.
long inicioMusica(const std::vector<Mensagem> &recebido) {
  const auto i = std::find_if_not(recebido.begin(), recebido.end(), controlador);
  return i == recebido.end() ? -1 : i - recebido.begin();
}

bool completo(const std::vector<Mensagem> &recebido, const std::vector<Mensagem> &esperado) {
  const long inicio = inicioMusica(recebido);
  return inicio >= 0 && recebido.size() >= static_cast<std::size_t>(inicio) + esperado.size();
}

// Silencing at the end: controllers, and note-offs for the notes a reset cannot know ended
// (their note-offs went out stamped).
bool silenciamento(const Mensagem &m) {
  return controlador(m) || (m.size() == 3 && (m[0] & 0xF0) == 0x90 && m[2] == 0);
}

// What arrived is the program's controller messages, then exactly the song's messages in
// order, then the silencing at the end.
void compararChegada(const std::vector<Mensagem> &recebido, const std::vector<Mensagem> &esperado) {
  const long inicio = inicioMusica(recebido);
  ASSERT_GE(inicio, 0) << "no message of the song arrived";
  const std::size_t chegaram = recebido.size() - static_cast<std::size_t>(inicio);
  const std::size_t n = std::min(chegaram, esperado.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (recebido[inicio + i] != esperado[i]) {
      ADD_FAILURE() << "message " << i << " of " << esperado.size()
                    << " of the song: " << hex(recebido[inicio + i]) << " arrived, "
                    << hex(esperado[i]) << " expected";
      return;
    }
  }
  if (chegaram < esperado.size()) {
    ADD_FAILURE() << "only " << chegaram << " of the song's " << esperado.size()
                  << " messages arrived; the first missing is " << hex(esperado[n]);
    return;
  }
  for (std::size_t i = inicio + esperado.size(); i < recebido.size(); ++i)
    if (!silenciamento(recebido[i])) {
      ADD_FAILURE() << "after the song, " << hex(recebido[i]) << " arrived";
      return;
    }
}

struct Reproducao {
  QString nome;
  std::vector<Mensagem> esperado;
  double segundos = 0;  // the song's length at its tempo
  std::unique_ptr<QProcess> processo;
};

TEST(TocarRitmosJack, EveryGroovePlaysToItsEndWithEveryMessageInOrder) {
  const QStringList nomes = nomesRitmos();
  ASSERT_FALSE(nomes.isEmpty());
  std::vector<Reproducao> reproducoes;
  for (const QString &nome : nomes) {
    Reproducao r;
    r.nome = nome;
    try {
      const MusicaImpressa musica = importar(arquivoRitmo(nome));
      r.esperado = musica.mensagensTocadas();
      r.segundos = musica.duracao / 64.0 * 60.0 / musica.andamento();
    } catch (const std::exception &e) {
      FAIL() << nome.toStdString() << ": " << e.what();
    }
    reproducoes.push_back(std::move(r));
  }

  JackServer server;
  KOVRINTA_REQUIRE_JACK(server);
  const int n = static_cast<int>(reproducoes.size());
  GravadorPortas gravador(n);
  ASSERT_TRUE(gravador.ok());

  // The device number of each capture input among kovrinta-song's output devices.
  QProcess listar;
  listar.start(kovrintaSong(), {"--devices"});
  ASSERT_TRUE(listar.waitForFinished(20000));
  std::vector<int> dispositivos(static_cast<std::size_t>(n), -1);
  for (const QByteArray &linha : listar.readAllStandardOutput().split('\n'))
    for (int i = 0; i < n; ++i)
      if (linha.endsWith(" " + QByteArray::fromStdString(gravador.nome(i))))
        dispositivos[static_cast<std::size_t>(i)] = linha.split(' ').first().toInt();
  for (int i = 0; i < n; ++i)
    ASSERT_GE(dispositivos[static_cast<std::size_t>(i)], 0)
        << gravador.nome(i) << " is not among the devices";

  double maisLonga = 0;
  for (int i = 0; i < n; ++i) {
    Reproducao &r = reproducoes[static_cast<std::size_t>(i)];
    r.processo = std::make_unique<QProcess>();
    r.processo->setStandardOutputFile(QProcess::nullDevice());
    r.processo->start(kovrintaSong(),
                      {"--play", QString::number(dispositivos[i]), arquivoRitmo(r.nome)});
    maisLonga = std::max(maisLonga, r.segundos);
  }
  // Generous: 24 players start together on a machine that others share.
  const auto prazo = std::chrono::milliseconds(static_cast<int>(maisLonga * 1000)) + 60s;
  const bool terminaram = waitFor(
      [&] {
        return std::all_of(reproducoes.begin(), reproducoes.end(), [](const Reproducao &r) {
          return r.processo->state() == QProcess::NotRunning;
        });
      },
      std::chrono::duration_cast<std::chrono::milliseconds>(prazo));
  // A play still running is named with the last beat it printed.
  std::string naoTerminaram;
  for (Reproducao &r : reproducoes)
    if (r.processo->state() != QProcess::NotRunning) {
      r.processo->kill();
      r.processo->waitForFinished(5000);
      const QByteArray saida = r.processo->readAllStandardError();
      naoTerminaram += "\n" + r.nome.toStdString() + ": " +
                       saida.mid(saida.lastIndexOf('\r') + 1).trimmed().toStdString();
    }
  ASSERT_TRUE(terminaram) << "plays that did not end:" << naoTerminaram;

  // The last messages leave with the port's next cycles.
  waitFor(
      [&] {
        for (int i = 0; i < n; ++i)
          if (!completo(gravador.mensagens(i), reproducoes[static_cast<std::size_t>(i)].esperado))
            return false;
        return true;
      },
      5s);
  for (int i = 0; i < n; ++i) {
    Reproducao &r = reproducoes[static_cast<std::size_t>(i)];
    SCOPED_TRACE(r.nome.toStdString());
    EXPECT_EQ(r.processo->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(r.processo->exitCode(), 0) << r.processo->readAllStandardError().toStdString();
    compararChegada(gravador.mensagens(i), r.esperado);
  }
}

}  // namespace
