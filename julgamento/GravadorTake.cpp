// Saving the take: the song's model and the hits become the records of a score, which the
// toolkit writes into a new file beside the destination; that file takes the destination's
// name only once it reads back complete.
#include "julgamento/GravadorTake.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "TVxMidi.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiTrack.h"
#include "midi/SaidaMIDI.h"
#include "song/GerenciadorMusica.h"

namespace {

constexpr int canalBateria = 9;
constexpr int ticksPorSemiminima = 64;
// A hit sounds for a sixteenth note, or until its note is struck again.
constexpr int duracaoGolpe = ticksPorSemiminima / 4;
constexpr int statusNoteOn = 0x90;

// One record of a file track at the program's tick; the delta time is filled in when the
// track is built.
struct Registro {
  int tick;
  VxMidiEvent evento;
};

// A channel message, or none when a file cannot hold it (a transposed note past 127, say).
std::optional<Registro> mensagem(int tick, int status, int dado1, int dado2) {
  if (status < 0x80 || status > 0xEF || dado1 < 0 || dado1 > 127 || dado2 < 0 || dado2 > 127)
    return std::nullopt;
  return Registro{tick,
                  {0, static_cast<uint8_t>(status), static_cast<uint8_t>(dado1),
                   static_cast<uint8_t>(dado2), 0}};
}

// A Set Tempo: microseconds per quarter note in three big-endian bytes.
Registro andamento(int tick, int microssegundos) {
  return Registro{
      tick,
      {0, VX_RECORD_TEMPO, static_cast<uint8_t>(microssegundos >> 16),
       static_cast<uint8_t>(microssegundos >> 8), static_cast<uint8_t>(microssegundos)}};
}

// The marker's exact microseconds per quarter note when the file gave them, else those of its
// beats per minute; 0 for a marker that sets no tempo.
int microssegundosDe(const EventoAndamento &marcador) {
  if (marcador.getMicrossegundos() > 0) return std::min(marcador.getMicrossegundos(), 0xFFFFFF);
  if (marcador.getBpm() > 0) return 60'000'000 / marcador.getBpm();
  return 0;
}

// The song's time signatures; a file gives the beat's note as a power of two.
std::vector<Registro> formulasDe(const Musica &musica) {
  std::vector<Registro> registros;
  for (const FormulaCompasso &f : musica.getCompassos().getFormulas()) {
    const auto expoente = std::bit_width(static_cast<unsigned>(std::max(f.denominador, 1))) - 1;
    registros.push_back(
        {f.posicao,
         {0, VX_RECORD_TIME_SIGNATURE, static_cast<uint8_t>(std::clamp(f.numerador, 1, 255)),
          static_cast<uint8_t>(expoente), 0}});
  }
  return registros;
}

// The record of a song event, or none for what a file cannot hold. A note-off goes out as the
// program sends it, a note-on of velocity 0.
std::optional<Registro> registroDe(const EventoSequenciamento &e) {
  const int tick = e.getPosicao();
  if (const auto *on = dynamic_cast<const EventoNoteOn *>(&e))
    return mensagem(tick, statusNoteOn | e.getCanal(), on->getNota(), on->getVelocidade());
  if (const auto *off = dynamic_cast<const EventoNoteOff *>(&e))
    return mensagem(tick, statusNoteOn | e.getCanal(), off->getNota(), 0);
  if (const auto *g = dynamic_cast<const EventoGenerico *>(&e))
    return mensagem(tick, g->getStatus(), g->getDado1(), g->getDado2());
  if (const auto *marcador = dynamic_cast<const EventoAndamento *>(&e)) {
    const int microssegundos = microssegundosDe(*marcador);
    if (microssegundos > 0) return andamento(tick, microssegundos);
  }
  return std::nullopt;
}

// A note of the kit's channel: note-off, note-on or the pressure of a note. The kit's
// controllers and program stay, so the take sounds as the song's drums did.
bool notaDaBateria(const VxMidiEvent &e) {
  return e.status >= 0x80 && e.status < 0xB0 && (e.status & 0x0F) == canalBateria;
}

std::vector<Registro> registrosDe(const Trilha &trilha, bool semBateria) {
  std::vector<Registro> registros;
  for (const auto &e : trilha.getEventos()) {
    const std::optional<Registro> r = registroDe(*e);
    if (r && !(semBateria && notaDaBateria(r->evento))) registros.push_back(*r);
  }
  return registros;
}

// The hits as note-ons, each one's note-off a sixteenth later or, when its note is struck
// again sooner, at that next hit, ahead of it. A hit on the very tick of an earlier one of its
// note gets no note-off of its own: the next note-on ends it.
std::vector<Registro> registrosDoTake(const std::vector<GolpeTake> &golpes) {
  std::vector<Registro> noteOffs;
  std::vector<Registro> noteOns;
  std::array<int, 128> seguinte;
  seguinte.fill(INT_MAX);
  for (auto g = golpes.rbegin(); g != golpes.rend(); ++g) {
    const int fim = static_cast<int>(std::min<int64_t>(
        int64_t{g->tick} + duracaoGolpe, seguinte[static_cast<std::size_t>(g->nota)]));
    if (fim > g->tick) noteOffs.push_back(*mensagem(fim, statusNoteOn | canalBateria, g->nota, 0));
    noteOns.push_back(*mensagem(g->tick, statusNoteOn | canalBateria, g->nota, g->velocidade));
    seguinte[static_cast<std::size_t>(g->nota)] = g->tick;
  }
  // Within a tick the note-offs come first, so that a re-struck note is ended before it sounds.
  std::vector<Registro> registros(noteOffs.rbegin(), noteOffs.rend());
  registros.insert(registros.end(), noteOns.rbegin(), noteOns.rend());
  return registros;
}

// The file tick that the program reads back as tick (it takes the nearest tick, halves going
// up). With 64 per quarter it is tick itself; with a finer division the quotient rounded
// from a quarter below lies less than half a tick away: at 96, tick 1 is file tick 2, read
// back as 2 x 64 / 96 = 1.33, tick 1. Ticks before the song's start go to its start.
uint32_t tickDoArquivo(int tick, uint16_t divisao) {
  const int64_t metade = ticksPorSemiminima / 2;
  return static_cast<uint32_t>((int64_t{std::max(tick, 0)} * divisao + metade) /
                               ticksPorSemiminima);
}

// Sorts the records by tick, keeping their order within a tick (the song's file order), and
// appends them to pista with delta times of the file's division.
void preencher(TVxMidiTrack &pista, std::vector<Registro> registros, uint16_t divisao) {
  std::stable_sort(registros.begin(), registros.end(),
                   [](const Registro &a, const Registro &b) { return a.tick < b.tick; });
  uint32_t anterior = 0;
  for (Registro &r : registros) {
    const uint32_t tempo = tickDoArquivo(r.tick, divisao);
    r.evento.time = tempo - anterior;
    anterior = tempo;
    pista.InsertEvent(r.evento, -1);
  }
}

// Asks for the program's own grid, so that file ticks are the program's ticks. A library
// that keeps another division serves as long as it is at least as fine (see tickDoArquivo).
uint16_t fixarDivisao(TVxMidiSMF &smf) {
  smf.VxMidi->entries().SetSMFResolution(smf.Handle(), ticksPorSemiminima);
  const uint16_t divisao = smf.GetResolution();
  if (divisao < ticksPorSemiminima || (divisao & 0x8000) != 0)
    throw std::runtime_error("the MIDI library writes a division too coarse for the take");
  return divisao;
}

// The records the reader hands back: every record of the first track, channel messages only
// of the others.
uint64_t legiveis(const std::vector<std::vector<Registro>> &trilhas) {
  uint64_t n = 0;
  for (std::size_t i = 0; i < trilhas.size(); ++i)
    n += i == 0 ? trilhas[i].size()
                : static_cast<uint64_t>(std::ranges::count_if(
                      trilhas[i], [](const Registro &r) { return r.evento.status >= 0x80; }));
  return n;
}

// The library writes the file when it closes it and reports nothing of it; reading it back
// tells a complete file from one cut short (by a full disk, say).
void conferir(const QString &caminho, uint64_t esperados, TVxMidi *vxMidi) {
  TVxMidiSMF leitor;
  leitor.VxMidi = vxMidi;
  if (!leitor.Open(caminho, 'r', 1)) throw std::runtime_error("the written file does not read");
  TVxMidiScore partitura(static_cast<int>(leitor.GetNumTracks()));
  leitor.SetScore(&partitura);
  leitor.ReadScore(nullptr);
  uint64_t lidos = 0;
  for (int i = 0; i < partitura.GetNumTracks(); ++i) lidos += partitura.GetTrack(i)->GetNumEvents();
  leitor.Close();
  if (lidos != esperados) throw std::runtime_error("the written file is incomplete");
}

// A new file beside the destination, with the permissions a new file gets there (or those of
// the file it will replace). It takes the destination's name at confirmar, in one rename, and
// is removed if it never does.
class ArquivoProvisorio {
 public:
  explicit ArquivoProvisorio(const QString &destino) : destino(destino) {
    const QFileInfo info(destino);
    for (int tentativa = 0; tentativa < 100 && caminho.isEmpty(); ++tentativa) {
      const QString nome = info.absoluteDir().filePath(
          QStringLiteral(".%1.%2.tmp")
              .arg(info.fileName(), QString::number(QRandomGenerator::global()->generate64(), 36)));
      QFile arquivo(nome);
      if (arquivo.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        caminho = nome;
      else if (!arquivo.exists())
        break;
    }
    if (caminho.isEmpty())
      throw std::runtime_error("cannot create a file in " + info.absolutePath().toStdString());
    if (info.isFile()) QFile::setPermissions(caminho, info.permissions());
  }
  ~ArquivoProvisorio() {
    if (!caminho.isEmpty()) QFile::remove(caminho);
  }
  ArquivoProvisorio(const ArquivoProvisorio &) = delete;
  ArquivoProvisorio &operator=(const ArquivoProvisorio &) = delete;

  const QString &getCaminho() const { return caminho; }

  // Gives the file the destination's name, replacing a file of that name at once.
  void confirmar() {
    if (std::rename(QFile::encodeName(caminho).constData(),
                    QFile::encodeName(destino).constData()) != 0)
      throw std::runtime_error("cannot replace " + destino.toStdString());
    caminho.clear();
  }

 private:
  QString destino;
  QString caminho;
};

// The song's track names, from its file while that is still open (the model keeps none).
std::vector<QString> nomesDasTrilhas(int numTrilhas) {
  SaidaMIDI &saida = SaidaMIDI::instancia();
  std::vector<QString> nomes;
  if (!saida.isArquivoAberto() || saida.getNumTrilhasArquivo() != numTrilhas) return nomes;
  for (int i = 0; i < numTrilhas; ++i) nomes.push_back(saida.getNomeTrilha(i));
  return nomes;
}

void gravar(const QString &arquivo, const std::vector<std::vector<Registro>> &trilhas,
            const std::vector<QString> &nomes) {
  TVxMidi *vxMidi = SaidaMIDI::instancia().getVxMidi();
  if (!vxMidi) throw std::runtime_error("the MIDI library is not loaded");
  ArquivoProvisorio provisorio(arquivo);
  {
    TVxMidiSMF smf;
    smf.VxMidi = vxMidi;
    if (!smf.Open(provisorio.getCaminho(), 'w', 0))
      throw std::runtime_error("the MIDI library cannot create " + arquivo.toStdString());
    const uint16_t divisao = fixarDivisao(smf);
    TVxMidiScore partitura(static_cast<int>(trilhas.size()));
    smf.SetScore(&partitura);
    for (std::size_t i = 0; i < trilhas.size(); ++i) {
      TVxMidiTrack &pista = *partitura.GetTrack(static_cast<int>(i));
      if (i < nomes.size()) pista.Name = nomes[i];
      preencher(pista, trilhas[i], divisao);
      if (!smf.WriteTrack(&pista))
        throw std::runtime_error("the MIDI library refused track " + std::to_string(i));
    }
    smf.Close();
  }
  conferir(provisorio.getCaminho(), legiveis(trilhas), vxMidi);
  provisorio.confirmar();
}

}  // namespace

void GravadorTake::adicionar(int tick, int nota, int velocidade) {
  if (tick < 0) throw std::invalid_argument("a hit before the song's start");
  if (nota < 0 || nota > 127) throw std::invalid_argument("a note outside 0..127");
  if (velocidade < 1 || velocidade > 127) throw std::invalid_argument("a velocity outside 1..127");
  const auto depois = std::upper_bound(golpes.begin(), golpes.end(), tick,
                                       [](int t, const GolpeTake &g) { return t < g.tick; });
  golpes.insert(depois, GolpeTake{tick, nota, velocidade});
}

// The first track carries the tempo and the time signatures, since the program reads them
// from there only. Replacing the drums keeps every track in its place: the kit's track (or,
// for -1, every track) loses the notes of the kit's channel and keeps the rest, so a song in
// one track keeps its other instruments and its tempo; the take then joins that track, or
// follows the song's tracks as a track of its own.
void GravadorTake::salvar(const QString &arquivo, ModoTake modo, int trilhaBateria) const {
  const Musica *musica = GerenciadorMusica::instancia().getMusicaAtual();
  std::vector<std::vector<Registro>> trilhas;
  std::vector<QString> nomes;
  if (modo == ModoTake::soTake) {
    std::vector<Registro> conducao;
    if (musica) {
      conducao = formulasDe(*musica);
      for (const EventoAndamento *marcador : musica->getMarcadores())
        conducao.push_back(andamento(marcador->getPosicao(), microssegundosDe(*marcador)));
    }
    trilhas = {conducao, registrosDoTake(golpes)};
  } else {
    if (!musica) throw std::runtime_error("no song to put the take into");
    const int n = musica->getNumTrilhas();
    if (trilhaBateria < -1 || trilhaBateria >= n)
      throw std::runtime_error("the song has no track " + std::to_string(trilhaBateria));
    for (int i = 0; i < n; ++i) {
      trilhas.push_back(
          registrosDe(musica->getTrilha(i), trilhaBateria == -1 || i == trilhaBateria));
      if (i == trilhaBateria) {
        const std::vector<Registro> take = registrosDoTake(golpes);
        trilhas.back().insert(trilhas.back().end(), take.begin(), take.end());
      }
    }
    if (trilhaBateria == -1) trilhas.push_back(registrosDoTake(golpes));
    std::vector<Registro> primeira = formulasDe(*musica);
    primeira.insert(primeira.end(), trilhas[0].begin(), trilhas[0].end());
    trilhas[0] = std::move(primeira);
    nomes = nomesDasTrilhas(n);
  }
  gravar(arquivo, trilhas, nomes);
}
