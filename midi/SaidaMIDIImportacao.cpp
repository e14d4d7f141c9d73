// The import of a Standard MIDI File into the current song.
#include <algorithm>
#include <array>
#include <cstdint>

#include "TVxMidiOut.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "song/GerenciadorMusica.h"

namespace {

constexpr int canalBateria = 9;
constexpr int primeiraNotaBateria = 35;
constexpr int ultimaNotaBateria = 59;
// A drum note lasts at least this many ticks, and a re-struck one is released this many
// ticks before it sounds again.
constexpr int duracaoMinima = 2;

// File ticks per quarter note for the division word. A time-code division (high bit set:
// frames per second and ticks per frame) is converted by absolute time at 120 beats per
// minute, where a quarter note lasts half a second.
double ticksPorSemiminima(uint16_t divisao) {
  if (divisao & 0x8000) {
    const int quadrosPorSegundo = -static_cast<int8_t>(divisao >> 8);
    const int ticksPorQuadro = divisao & 0xFF;
    const double porSegundo =
        (quadrosPorSegundo == 29 ? 29.97 : quadrosPorSegundo) * ticksPorQuadro;
    return porSegundo / 2.0;
  }
  return divisao;
}

// State of one track while its events are converted.
struct ConversaoTrilha {
  struct NotaBateria {
    bool soando = false;
    int ultimoNoteOn = 0;
  };
  int32_t tempoCorrido = 0;
  bool canalDefinido = false;
  std::array<NotaBateria, ultimaNotaBateria - primeiraNotaBateria + 1> notas{};
};

// The nearest tick of 1/64 quarter note, halves going up, truncated towards zero as the
// conversion to an integer does (file tick 1 at 96 per quarter: 0.667 + 0.5 gives 1).
int paraTick(int32_t tempoArquivo, double resolucao) {
  const double tick = tempoArquivo * 64.0 / resolucao + 0.5;
  return static_cast<int>(std::clamp(tick, double{INT32_MIN}, double{INT32_MAX}));
}

int bpmDoMarcador(const VxMidiEvent &e) {
  const int microssegundos = e.data1 << 16 | e.data2 << 8 | e.data3;
  return microssegundos == 0 ? -1 : 60000000 / microssegundos;
}

}  // namespace

// Steps: close the previous file and stop playback; open the file and read every track
// into a new score, which also gives the timer the file's resolution; convert every track
// into a Trilha, repairing drum notes; install the song with its length. The previous song
// stays current until the new one is complete.
void SaidaMIDI::carregarMusica(const QString &arquivo) {
  exigirBiblioteca();
  Sequenciador &sequenciador = Sequenciador::instancia();
  if (musicaCarregada) {
    fecharArquivo();
    if (saida->IsOpen()) {
      saida->Reset();
      saida->Flush();
    }
    sequenciador.parar();
    sequenciador.abrirSincronismo();
  }

  arquivoAberto = arquivoMidi->Open(arquivo, 'r', 1);
  if (!arquivoAberto) throw ErroArquivoMidi("cannot open the MIDI file");
  try {
    partitura = std::make_unique<TVxMidiScore>(static_cast<int>(arquivoMidi->GetNumTracks()));
    arquivoMidi->SetScore(partitura.get());
    saida->SetScore(partitura.get());
    arquivoMidi->ReadScore(sequenciador.getSincronismo());
    construirMusica();
  } catch (...) {
    fecharArquivo();
    throw;
  }
  if (saida->IsOpen()) {
    saida->Reset();
    saida->Flush();
  }
  musicaCarregada = true;
}

void SaidaMIDI::construirMusica() {
  const double resolucao = ticksPorSemiminima(arquivoMidi->GetResolution());
  if (!(resolucao > 0)) throw ErroArquivoMidi("the MIDI file has no usable division");
  auto musica = std::make_unique<Musica>();
  int maiorPosicao = 0;

  for (int t = 0; t < partitura->GetNumTracks(); ++t) {
    TVxMidiTrack &trilhaArquivo = *partitura->GetTrack(t);
    auto trilha = std::make_unique<Trilha>();
    ConversaoTrilha estado;
    for (uint32_t k = 0; k < trilhaArquivo.GetNumEvents(); ++k) {
      const VxMidiEvent &e = *trilhaArquivo.GetEvent(k);
      // The running time wraps as the file's 32-bit sums do.
      estado.tempoCorrido =
          static_cast<int32_t>(static_cast<uint32_t>(estado.tempoCorrido) + e.time);
      int posicao = paraTick(estado.tempoCorrido, resolucao);
      const int s = e.status;
      const int n = e.data1;
      const int v = e.data2;
      maiorPosicao = std::max(maiorPosicao, posicao);

      const bool marcador = t == 0 && s == 0;
      const bool noteOn = s >= 0x90 && s <= 0x9F && v != 0;
      const bool noteOff = (s >= 0x80 && s <= 0x8F) || (s >= 0x90 && s <= 0x9F && v == 0);
      const int c = noteOn || noteOff || (s >= 0xB0 && s <= 0xCF) ? (s & 0x0F) : 0;

      if (noteOn && !estado.canalDefinido) {
        trilha->setCanal(c);
        estado.canalDefinido = true;
      }
      const bool notaBateria = (noteOn || noteOff) && c == canalBateria && n < 60;
      const bool reparavel = n >= primeiraNotaBateria && n <= ultimaNotaBateria;

      if (marcador) {
        trilha->adicionarEvento(new EventoAndamento(posicao, 0, bpmDoMarcador(e)));
      } else if (notaBateria && noteOn) {
        trilha->setBateria();
        if (reparavel) {
          auto &nota = estado.notas[n - primeiraNotaBateria];
          if (nota.soando)
            trilha->adicionarEvento(new EventoNoteOff(posicao - duracaoMinima, canalBateria, n));
          nota.soando = true;
          nota.ultimoNoteOn = posicao;
        }
        trilha->adicionarEvento(new EventoNoteOn(posicao, canalBateria, n, v));
      } else if (notaBateria) {
        trilha->setBateria();
        if (reparavel) {
          auto &nota = estado.notas[n - primeiraNotaBateria];
          nota.soando = false;
          if (posicao - nota.ultimoNoteOn < duracaoMinima)
            posicao = nota.ultimoNoteOn + duracaoMinima;
        }
        trilha->adicionarEvento(new EventoNoteOff(posicao, canalBateria, n));
      } else {
        trilha->adicionarEvento(new EventoGenerico(posicao, s, c, n, v));
      }
    }
    musica->adicionarTrilha(trilha.release());
  }

  GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  gerenciador.setMusicaAtual(musica.release());
  gerenciador.setDuracao(maiorPosicao);
  gerenciador.setNumTempos(maiorPosicao / 64 + 1);
}
