// The lane view's model: the moments at which the song's ticks sounded and will sound, and the
// drummer's judged hits, laid out on the monotonic clock; a frame of it answers which notes,
// bar and beat lines, loop and count-in regions and hits lie between two moments. The past is
// what was played (loops and jumps as they happened); the future beyond the ticks already
// handed to the output is projected from the transport: its tempo, the song's tempo markers,
// the loop and the count-in. No painting here. User-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "julgamento/Julgamento.h"
#include "pistas/PartituraPistas.h"
#include "pistas/Pista.h"

// What the transport is doing, read from the sequencer for each frame.
struct EstadoTransporte {
  bool tocando = false;
  // The next song tick the sequencer handles.
  int posicao = 0;
  // The tick's length now, at the speed set.
  double nsPorTick = 7'812'500;
  int velocidade = 100;
  bool loopAtivo = false;
  int inicioLoop = -1;
  int fimLoop = -1;
  bool loopNaLinha = false;
  // Count-in ticks still to be handled, and the bar they click.
  int contagemRestante = 0;
  int ticksPorTempoContagem = 64;
  int temposContagem = 4;
  int compassosContagem = 0;
  bool contagemAntesDoLoop = false;
};

struct QuadroPistas {
  struct Nota {
    Pista pista;
    MarcaNota marca;
    int velocidade;
    int64_t ns;
  };
  // A beat line; compasso is the bar's number on its first beat, 0 on the others.
  struct Linha {
    int64_t ns;
    int compasso;
  };
  struct Faixa {
    int64_t inicioNs;
    int64_t fimNs;
  };
  struct TempoContagem {
    int64_t ns;
    int tempo;
  };
  struct Golpe {
    Pista pista;
    ClasseGolpe classe;
    double desvioMs;
    int velocidade;
    int64_t ns;
  };

  std::vector<Nota> notas;
  std::vector<Linha> linhas;
  std::vector<Faixa> loops;
  std::vector<Faixa> contagens;
  std::vector<TempoContagem> temposContagem;
  std::vector<Golpe> golpes;
};

class LinhaTempoPistas {
 public:
  // Another song, or another drum track: the past is forgotten.
  void setPartitura(PartituraPistas partitura);
  const PartituraPistas &getPartitura() const { return partitura; }

  // The song's tick sounds at somNs; ticks come in the order they sound.
  void tickSoado(int tick, int64_t somNs);
  // A tick of a count-in with restante ticks of it left (counted with this one), of a bar of
  // tempos beats of ticksPorTempo ticks, sounds at somNs.
  void contagemSoada(int restante, int ticksPorTempo, int tempos, int64_t somNs);
  // Nothing handed out sounds from desdeNs on (a stop, a pause, a jump).
  void interrompido(int64_t desdeNs);
  // A judgement of the drummer's hits: a hit at its moment, a missed note at its note's.
  void julgado(const Julgamento &julgamento);
  // The first moment kept, 0 when nothing was played.
  int64_t getInicioPassado() const;
  // The moment the last tick handed out sounds, 0 when nothing was played.
  int64_t getUltimoSom() const;

  // What lies between inicioNs and fimNs. agoraNs is the view's present: a transport at rest
  // has its position there.
  QuadroPistas quadro(int64_t inicioNs, int64_t fimNs, const EstadoTransporte &estado,
                      int64_t agoraNs) const;

 private:
  // A run of ticks one after another at one length. Count-in ticks are negative: -restante.
  struct Trecho {
    int tick0;
    int ticks;
    int64_t som0;
    double nsPorTick;
    int ticksPorTempo = 0;
    int tempos = 0;
    int64_t som(int indice) const {
      return som0 + static_cast<int64_t>(static_cast<double>(indice) * nsPorTick);
    }
    bool isContagem() const { return tick0 < 0; }
  };

  void acrescentar(Trecho novo);
  std::vector<Trecho> projetar(const EstadoTransporte &estado, int64_t agoraNs,
                               int64_t fimNs) const;
  void emitir(const Trecho &trecho, int64_t inicioNs, int64_t fimNs, const EstadoTransporte &estado,
              QuadroPistas &quadro) const;
  void emitirLinhas(const Trecho &trecho, int primeiro, int ultimo, QuadroPistas &quadro) const;

  PartituraPistas partitura;
  std::deque<Trecho> trechos;
  // By moment.
  std::deque<QuadroPistas::Golpe> golpes;
};
