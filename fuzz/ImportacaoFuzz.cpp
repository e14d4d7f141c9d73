// The whole import of a MIDI file, and playback of the song it gives. The program runs over
// the fake library (devices and the timer recorded, files read by the real library), so that
// the sequencer's ticks are driven here and every message it sends is counted.
#include <dlfcn.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>
#include <vector>

#include "FakeVxMidi.h"
#include "TVxMidi.h"
#include "TVxMidiSync.h"
#include "config/ArquivoConfiguracao.h"
#include "fuzz/AlvosFuzz.h"
#include "midi/SaidaMIDI.h"
#include "playback/AcessoGui.h"
#include "playback/Sequenciador.h"
#include "playback/VisorReproducao.h"
#include "song/GerenciadorMusica.h"

namespace kovrinta::fuzz {

namespace {

// Track lookups per input, a tick costing one per track: every tick of a song is stepped
// through when that stays within this, else only the ticks that hold events, as many as fit.
constexpr int64_t consultasMaximas = int64_t{1} << 15;

class VisorContador : public VisorReproducao {
 public:
  void exibirAndamento(int) override {}
  void avancarTempo() override { ++posicoes; }
  int posicoes = 0;
};

struct Ambiente {
  QString arquivo;
  FakeCallsFn chamadas = nullptr;
  FakeResetFn esquecer = nullptr;
  VisorContador visor;
};

template <class F>
F controle(void *modulo, const char *nome) {
  auto *funcao = reinterpret_cast<F>(dlsym(modulo, nome));
  if (!funcao) falhar("importacao", "the fake library lacks a control");
  return funcao;
}

// The program's single instances over the fake library, made once for the whole run.
Ambiente &ambiente() {
  static Ambiente *ambiente = [] {
    garantirAplicacao();
    // Removed at exit; the single instances stay to the end, as in the program.
    static QTemporaryDir pasta;
    if (!pasta.isValid()) falhar("importacao", "no temporary folder");
    auto *a = new Ambiente;
    a->arquivo = pasta.filePath(QStringLiteral("song.mid"));
    ArquivoConfiguracao::configurarParaTestes({pasta.path(), QStringLiteral("Kovrinta"), {}});
    TVxMidi::setLibraryFile(QStringLiteral(VXMIDI_FAKE_LIBRARY));
    void *fake = dlopen(VXMIDI_FAKE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!fake) falhar("importacao", "cannot load the fake library");
    a->chamadas = controle<FakeCallsFn>(fake, "FakeCalls");
    a->esquecer = controle<FakeResetFn>(fake, "FakeReset");
    const auto encaminhar = controle<FakeForwardFilesFn>(fake, "FakeForwardFiles");
    SaidaMIDI::instancia();
    Sequenciador::instancia();
    a->esquecer();
    encaminhar(VXMIDI_REAL_LIBRARY);
    // The drum kit without a panel: the sequencer lights and releases its pieces.
    ArquivoConfiguracao::instancia().setInstrumento(0);
    AcessoGui::instancia().setVisor(&a->visor);
    return a;
  }();
  return *ambiente;
}

int64_t mensagensEnviadas(const char *chamadas) {
  int64_t n = 0;
  for (const char *linha = chamadas; *linha;) {
    if (std::strncmp(linha, "PutMidiOut ", 11) == 0) ++n;
    const char *fim = std::strchr(linha, '\n');
    if (!fim) break;
    linha = fim + 1;
  }
  return n;
}

// Each track's index by tick answers exactly its events of that tick, in file order.
void conferirIndice(const Musica &musica) {
  for (int i = 0; i < musica.getNumTrilhas(); ++i) {
    const Trilha &trilha = musica.getTrilha(i);
    std::vector<EventoSequenciamento *> porTick;
    for (const auto &e : trilha.getEventos()) porTick.push_back(e.get());
    std::stable_sort(porTick.begin(), porTick.end(),
                     [](auto *a, auto *b) { return a->getPosicao() < b->getPosicao(); });
    for (size_t k = 0; k < porTick.size();) {
      const int tick = porTick[k]->getPosicao();
      const auto devidos = trilha.eventosEm(tick);
      if (devidos.size() > porTick.size() - k ||
          !std::equal(devidos.begin(), devidos.end(), porTick.begin() + static_cast<long>(k)))
        falhar("importacao", "the index of a track does not give its events of a tick");
      k += devidos.size();
      if (k < porTick.size() && porTick[k]->getPosicao() == tick)
        falhar("importacao", "the index of a track leaves out an event of a tick");
    }
  }
}

}  // namespace

int fuzzImportacao(const uint8_t *dados, size_t tamanho) {
  Ambiente &a = ambiente();
  {
    QFile arquivo(a.arquivo);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        arquivo.write(reinterpret_cast<const char *>(dados), static_cast<qint64>(tamanho)) !=
            static_cast<qint64>(tamanho))
      falhar("importacao", "cannot write the input");
  }
  // The record of calls grows with every message; only this input's are counted.
  a.esquecer();
  SaidaMIDI &saida = SaidaMIDI::instancia();
  try {
    saida.carregarMusica(a.arquivo);
  } catch (const std::exception &) {
    // A refusal, which the window reports; the file must not stay open.
    if (saida.isArquivoAberto()) falhar("importacao", "a failed load left the file open");
    return 0;
  }

  const GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  const Musica *musica = gerenciador.getMusicaAtual();
  if (!musica || !saida.isMusicaCarregada()) falhar("importacao", "a load gave no song");
  if (musica->getNumTrilhas() != saida.getNumTrilhasArquivo())
    falhar("importacao", "the song's tracks are not the file's");
  if (gerenciador.getNumTempos() != gerenciador.getDuracao() / 64 + 1)
    falhar("importacao", "the beat count does not follow the length");
  conferirIndice(*musica);

  // The ticks that hold events, and the messages each sends (a tempo marker sends none).
  std::vector<std::pair<int, int>> mensagensPorTick;
  for (int i = 0; i < musica->getNumTrilhas(); ++i)
    for (const auto &e : musica->getTrilha(i).getEventos())
      mensagensPorTick.emplace_back(e->getPosicao(),
                                    dynamic_cast<const EventoAndamento *>(e.get()) ? 0 : 1);
  std::sort(mensagensPorTick.begin(), mensagensPorTick.end());

  Sequenciador &sequenciador = Sequenciador::instancia();
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  for (int i = 0; i < 16; ++i) configuracao.setTrilhaAtiva(i, true);
  sequenciador.limparLoop();
  sequenciador.selecionarTrilhaBateria(-1);
  sequenciador.setBateriaMuda(false);
  a.visor.posicoes = 0;
  a.esquecer();
  sequenciador.tocar();

  const int64_t trilhas = std::max(1, musica->getNumTrilhas());
  const int ultimo = mensagensPorTick.empty() ? -1 : mensagensPorTick.back().first;
  int64_t esperadas = 0;
  int64_t posicoes = 0;
  if (ultimo >= 0 && (int64_t{ultimo} + 1) * trilhas <= consultasMaximas) {
    // Playback from the start to the last event: every tick once, in order.
    sequenciador.setPosicao(0);
    for (int tick = 0; tick <= ultimo; ++tick) {
      if (sequenciador.getPosicao() != tick) falhar("importacao", "playback skipped a tick");
      sequenciador.processarTick();
    }
    if (sequenciador.getPosicao() != ultimo + 1) falhar("importacao", "playback did not advance");
    for (const auto &[tick, n] : mensagensPorTick) esperadas += tick >= 0 ? n : 0;
    posicoes = ultimo / 64 + 1;
  } else {
    // A song too long to step through: a jump to each tick that holds events.
    int64_t passos = consultasMaximas / trilhas + 1;
    for (size_t k = 0; k < mensagensPorTick.size() && passos > 0; --passos) {
      const int tick = mensagensPorTick[k].first;
      sequenciador.setPosicao(tick);
      sequenciador.processarTick();
      // The tick after, or on the last tick a position can hold, the end of playback there.
      if (tick < std::numeric_limits<int>::max()
              ? sequenciador.getPosicao() != tick + 1
              : sequenciador.getPosicao() != tick || sequenciador.getSincronismo()->IsRunning())
        falhar("importacao", "playback did not go on to the next tick");
      posicoes += tick % 64 == 0;
      for (; k < mensagensPorTick.size() && mensagensPorTick[k].first == tick; ++k)
        esperadas += mensagensPorTick[k].second;
    }
  }
  sequenciador.parar();
  if (mensagensEnviadas(a.chamadas()) != esperadas)
    falhar("importacao", "playback did not send every message of the ticks it played once");
  if (a.visor.posicoes != posicoes)
    falhar("importacao", "the position was not shown on every beat");
  // Each input frees what it took, so that the fuzzer looks for leaks only when one did not.
  GerenciadorMusica::instancia().setMusicaAtual(nullptr);
  saida.fecharArquivo();
  return 0;
}

}  // namespace kovrinta::fuzz
