#include "entrada/MapaNotas.h"

#include <QLatin1StringView>
#include <QStringList>
#include <span>

namespace {

using P = PecaBateria;

// One pad of a module: the note it sends and the piece it plays.
struct Pad {
  int nota;
  PecaBateria peca;
};

// The General MIDI percussion map: what songs, keyboards and most modules' default kits send.
constexpr Pad generalMidi[] = {
    {35, P::bumbo},           // acoustic bass drum
    {36, P::bumbo},           // bass drum 1
    {37, P::aro},             // side stick
    {38, P::caixa},           // acoustic snare
    {40, P::caixa},           // electric snare
    {41, P::surdo2},          // low floor tom
    {42, P::chimbalFechado},  // closed hi-hat
    {43, P::surdo1},          // high floor tom
    {44, P::chimbalPedal},    // pedal hi-hat
    {45, P::ton2},            // low tom
    {46, P::chimbalAberto},   // open hi-hat
    {47, P::ton2},            // low-mid tom
    {48, P::ton1},            // hi-mid tom
    {49, P::prato3},          // crash cymbal 1
    {50, P::ton1},            // high tom
    {51, P::ataque2},         // ride cymbal 1
    {52, P::china},           // Chinese cymbal
    {53, P::sino},            // ride bell
    {55, P::ataque1},         // splash cymbal
    {57, P::prato2},          // crash cymbal 2
    {59, P::prato1},          // ride cymbal 2
};

// Roland V-Drums, TD series, as the modules leave the factory.
constexpr Pad roland[] = {
    {22, P::chimbalFechado},  // hi-hat closed, edge
    {26, P::chimbalAberto},   // hi-hat open, edge
    {27, P::surdo2},          // aux 1 head
    {28, P::surdo2},          // aux 1 rim
    {36, P::bumbo},           // kick
    {37, P::aro},             // snare cross-stick
    {38, P::caixa},           // snare head
    {40, P::caixa},           // snare rim
    {42, P::chimbalFechado},  // hi-hat closed, bow
    {43, P::surdo1},          // tom 3 head
    {44, P::chimbalPedal},    // hi-hat pedal
    {45, P::ton2},            // tom 2 head
    {46, P::chimbalAberto},   // hi-hat open, bow
    {47, P::ton2},            // tom 2 rim
    {48, P::ton1},            // tom 1 head
    {49, P::prato3},          // crash 1 bow
    {50, P::ton1},            // tom 1 rim
    {51, P::ataque2},         // ride bow
    {52, P::prato2},          // crash 2 edge
    {53, P::sino},            // ride bell
    {55, P::prato3},          // crash 1 edge
    {57, P::prato2},          // crash 2 bow
    {58, P::surdo1},          // tom 3 rim
    {59, P::ataque2},         // ride edge
};

// Alesis Nitro, Surge and Strike modules.
constexpr Pad alesis[] = {
    {21, P::ataque1},         // splash
    {23, P::chimbalAberto},   // hi-hat half open
    {36, P::bumbo},           // kick
    {38, P::caixa},           // snare head
    {39, P::surdo2},          // tom 4 rim
    {40, P::caixa},           // snare rim
    {41, P::surdo2},          // tom 4 head
    {42, P::chimbalFechado},  // hi-hat closed
    {43, P::surdo1},          // tom 3 head
    {44, P::chimbalPedal},    // hi-hat pedal
    {45, P::ton2},            // tom 2 head
    {46, P::chimbalAberto},   // hi-hat open
    {47, P::ton2},            // tom 2 rim
    {48, P::ton1},            // tom 1 head
    {49, P::prato3},          // crash
    {50, P::ton1},            // tom 1 rim
    {51, P::ataque2},         // ride
    {53, P::sino},            // ride bell
    {57, P::prato2},          // crash 2
    {58, P::surdo1},          // tom 3 rim
};

// Yamaha DTX modules.
constexpr Pad yamaha[] = {
    {35, P::bumbo},           // kick 2
    {36, P::bumbo},           // kick
    {37, P::aro},             // snare closed rim
    {38, P::caixa},           // snare head
    {40, P::caixa},           // snare open rim
    {42, P::chimbalFechado},  // hi-hat closed
    {43, P::surdo1},          // tom 3
    {44, P::chimbalPedal},    // hi-hat foot close
    {46, P::chimbalAberto},   // hi-hat open
    {47, P::ton2},            // tom 2
    {48, P::ton1},            // tom 1
    {49, P::prato3},          // crash edge
    {51, P::ataque2},         // ride bow
    {52, P::ataque2},         // ride edge
    {53, P::sino},            // ride cup
    {55, P::prato3},          // crash cup
    {59, P::prato3},          // crash bow
    {78, P::chimbalAberto},   // hi-hat open, edge
    {79, P::chimbalFechado},  // hi-hat closed, edge
    {83, P::chimbalPedal},    // hi-hat foot splash
};

struct NomePreset {
  PresetMapa preset;
  const char *nome;
  std::span<const Pad> pads;
};

constexpr NomePreset presets[] = {
    {PresetMapa::generalMidi, "gm", generalMidi},
    {PresetMapa::roland, "roland", roland},
    {PresetMapa::alesis, "alesis", alesis},
    {PresetMapa::yamaha, "yamaha", yamaha},
};

const NomePreset &doPreset(PresetMapa preset) {
  for (const NomePreset &p : presets)
    if (p.preset == preset) return p;
  return presets[0];
}

bool isNota(int nota) {
  return nota >= 0 && nota <= 127;
}

}  // namespace

MapaNotas MapaNotas::preset(PresetMapa preset) {
  MapaNotas mapa;
  for (const Pad &pad : doPreset(preset).pads) mapa.atribuir(pad.nota, pad.peca);
  return mapa;
}

std::optional<PresetMapa> MapaNotas::presetDoNome(QStringView nome) {
  for (const NomePreset &p : presets)
    if (nome.compare(QLatin1StringView(p.nome), Qt::CaseInsensitive) == 0) return p.preset;
  return std::nullopt;
}

QString MapaNotas::nomeDoPreset(PresetMapa preset) {
  return QString::fromLatin1(doPreset(preset).nome);
}

PecaBateria MapaNotas::peca(int nota) const {
  return isNota(nota) ? pecas[static_cast<std::size_t>(nota)] : PecaBateria::nenhuma;
}

std::vector<int> MapaNotas::notasDa(PecaBateria peca) const {
  std::vector<int> notas;
  for (int nota = 0; nota < static_cast<int>(pecas.size()); ++nota)
    if (pecas[static_cast<std::size_t>(nota)] == peca) notas.push_back(nota);
  return notas;
}

void MapaNotas::atribuir(int nota, PecaBateria peca) {
  if (isNota(nota)) pecas[static_cast<std::size_t>(nota)] = peca;
}

QString MapaNotas::paraTexto() const {
  QStringList pares;
  for (int nota = 0; nota < static_cast<int>(pecas.size()); ++nota) {
    const PecaBateria p = pecas[static_cast<std::size_t>(nota)];
    if (p != PecaBateria::nenhuma)
      pares << QString::number(nota) + u':' + QLatin1StringView(descricaoPeca(p).chave);
  }
  return pares.join(u' ');
}

// The line may have been edited by hand: any run of blanks separates pairs, and a pair that
// cannot be read costs only itself.
MapaNotas MapaNotas::deTexto(QStringView texto) {
  MapaNotas mapa;
  qsizetype inicio = 0;
  while (inicio < texto.size()) {
    if (texto[inicio].isSpace()) {
      ++inicio;
      continue;
    }
    qsizetype fim = inicio;
    while (fim < texto.size() && !texto[fim].isSpace()) ++fim;
    const QStringView par = texto.sliced(inicio, fim - inicio);
    inicio = fim;

    const qsizetype doisPontos = par.indexOf(u':');
    if (doisPontos <= 0) continue;
    bool ok = false;
    const int nota = par.first(doisPontos).toInt(&ok, 10);
    const PecaBateria peca = pecaDaChave(par.sliced(doisPontos + 1));
    if (ok && peca != PecaBateria::nenhuma) mapa.atribuir(nota, peca);
  }
  return mapa;
}
