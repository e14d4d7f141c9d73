// The song that kovrinta-song prints for a MIDI file, read back into values, and the
// messages that a complete play of it sends.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace kovrinta::test {

using Mensagem = std::vector<uint8_t>;

struct EventoImpresso {
  enum class Tipo { NoteOn, NoteOff, Generico, Andamento };
  Tipo tipo = Tipo::Generico;
  int posicao = 0;  // ticks of 1/64 quarter note
  int canal = 0;
  int nota = 0;        // NoteOn, NoteOff
  int velocidade = 0;  // NoteOn
  int status = 0;      // Generico, with dado1 and dado2
  int dado1 = 0;
  int dado2 = 0;
  int bpm = 0;  // Andamento

  // The bytes the sequencer sends for the event (a note-off as a note-on of velocity 0,
  // a program change in two bytes); empty for a tempo change, which sends nothing.
  Mensagem mensagem() const;
  // A note that sounds: a NoteOn, or a generic note-on of non-zero velocity (channel 10
  // notes from 60 up are replayed as they are).
  bool soaNota() const;
  // Its note number when soaNota().
  int notaSoada() const { return tipo == Tipo::NoteOn ? nota : dado1; }
};

struct TrilhaImpressa {
  int canal = -1;  // -1 when the track has no note-on
  bool bateria = false;
  std::vector<EventoImpresso> eventos;  // in file order
};

struct MusicaImpressa {
  int duracao = 0;  // the last event's tick
  int numTempos = 0;
  std::vector<TrilhaImpressa> trilhas;

  // The messages of a complete play, in the order the sequencer sends them: tick by
  // tick up to and including duracao, each tick's tracks in order, each track's events
  // of the tick in file order.
  std::vector<Mensagem> mensagensTocadas() const;
  // The bpm of the first tempo event; 120, the file format's default, without one.
  int andamento() const;
};

// Reads what kovrinta-song FILE prints; throws std::runtime_error naming a line that does
// not read.
MusicaImpressa lerMusicaImpressa(const QByteArray &saida);

// The program folder's kovrinta-song.
QString kovrintaSong();

// Runs kovrinta-song FILE and reads the song; throws std::runtime_error with the tool's
// message when it fails or does not end within 30 s.
MusicaImpressa importar(const QString &arquivo);

// "b0 07 7f": a message as a test failure shows it.
std::string hex(const Mensagem &mensagem);

}  // namespace kovrinta::test
