// The import of a Standard MIDI File into the current song.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

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

// A time-code division (high bit set: frames per second and ticks per frame) counts real
// time, whatever tempo the file states.
bool divisaoDeTempoReal(uint16_t divisao) {
  return (divisao & 0x8000) != 0;
}

// A quarter note at 120 beats per minute, the tempo at which time-code ticks are converted.
constexpr int microssegundosA120Bpm = 500'000;

// File ticks per quarter note for the division word. A time-code division is converted by
// absolute time at 120 beats per minute, where a quarter note lasts half a second.
double ticksPorSemiminima(uint16_t divisao) {
  if (divisaoDeTempoReal(divisao)) {
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

// A tick moved by delta, held within the ticks a song can have: ticks far out of range are
// clamped by the conversion, and the repair must not overflow them.
int deslocado(int posicao, int delta) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{posicao} + delta, INT32_MIN, INT32_MAX));
}

// The marker of a tempo record: its microseconds per quarter note as the file gives them,
// and the whole beats per minute the window shows.
EventoAndamento *marcadorDe(int posicao, const VxMidiEvent &e) {
  const int microssegundos = e.data1 << 16 | e.data2 << 8 | e.data3;
  if (microssegundos == 0) return new EventoAndamento(posicao, 0, -1);
  return new EventoAndamento(posicao, 0, 60'000'000 / microssegundos, microssegundos);
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

// A time-code file plays in real time as its frames say: its tempo records are left out, and
// one marker of 120 beats per minute, the tempo its ticks were converted at, starts the song.
void SaidaMIDI::construirMusica() {
  const uint16_t divisao = arquivoMidi->GetResolution();
  const double resolucao = ticksPorSemiminima(divisao);
  if (!(resolucao > 0)) throw ErroArquivoMidi("the MIDI file has no usable division");
  const bool tempoReal = divisaoDeTempoReal(divisao);
  auto musica = std::make_unique<Musica>();
  std::vector<FormulaCompasso> formulas;
  int maiorPosicao = 0;

  for (int t = 0; t < partitura->GetNumTracks(); ++t) {
    TVxMidiTrack &trilhaArquivo = *partitura->GetTrack(t);
    auto trilha = std::make_unique<Trilha>();
    if (tempoReal && t == 0)
      trilha->adicionarEvento(new EventoAndamento(0, 0, 120, microssegundosA120Bpm));
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

      if (t == 0 && s == VX_RECORD_TIME_SIGNATURE) {
        // A beat's note is a power of two; one past a 64th is out of the tick grid's reach.
        formulas.push_back({posicao, n, 1 << std::min(v, 6)});
      } else if (marcador) {
        if (!tempoReal) trilha->adicionarEvento(marcadorDe(posicao, e));
      } else if (notaBateria && noteOn) {
        trilha->setBateria();
        if (reparavel) {
          auto &nota = estado.notas[n - primeiraNotaBateria];
          if (nota.soando)
            trilha->adicionarEvento(
                new EventoNoteOff(deslocado(posicao, -duracaoMinima), canalBateria, n));
          nota.soando = true;
          nota.ultimoNoteOn = posicao;
        }
        trilha->adicionarEvento(new EventoNoteOn(posicao, canalBateria, n, v));
      } else if (notaBateria) {
        trilha->setBateria();
        if (reparavel) {
          auto &nota = estado.notas[n - primeiraNotaBateria];
          nota.soando = false;
          if (int64_t{posicao} - nota.ultimoNoteOn < duracaoMinima)
            posicao = deslocado(nota.ultimoNoteOn, duracaoMinima);
        }
        trilha->adicionarEvento(new EventoNoteOff(posicao, canalBateria, n));
      } else {
        trilha->adicionarEvento(new EventoGenerico(posicao, s, c, n, v));
      }
    }
    musica->adicionarTrilha(trilha.release());
  }
  musica->setCompassos(MapaCompassos(std::move(formulas)));

  GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
  gerenciador.setMusicaAtual(musica.release());
  gerenciador.setDuracao(maiorPosicao);
  gerenciador.setNumTempos(maiorPosicao / 64 + 1);
}
