// The timed events of a song: each one knows its tick, its channel, and how to perform
// itself when playback reaches it.
#pragma once

// Base of the family: a tick (1/64 of a quarter note) and a channel index 0..15.
class EventoSequenciamento {
 public:
  EventoSequenciamento(int posicao, int canal) : posicao(posicao), canal(canal) {}
  virtual ~EventoSequenciamento() = default;

  // Moves a melodic note by n semitones; nothing for other events and for drums.
  virtual void transpor(int n) { (void)n; }
  // Performs the event; called by the sequencer's tick handler on the user-interface thread.
  virtual void executar() {}

  int getPosicao() const { return posicao; }
  int getCanal() const { return canal; }

 protected:
  int posicao;
  int canal;
};

// A drum note-on: 0x90 + canal, nota, velocidade.
class EventoNoteOn : public EventoSequenciamento {
 public:
  EventoNoteOn(int posicao, int canal, int nota, int velocidade)
      : EventoSequenciamento(posicao, canal), nota(nota), velocidade(velocidade) {}
  void transpor(int n) override;
  void executar() override;
  int getNota() const { return nota; }
  int getVelocidade() const { return velocidade; }

 private:
  int nota;
  int velocidade;
};

// A drum note-off, sent as a note-on of velocity 0: 0x90 + canal, nota, 0.
class EventoNoteOff : public EventoSequenciamento {
 public:
  EventoNoteOff(int posicao, int canal, int nota)
      : EventoSequenciamento(posicao, canal), nota(nota) {}
  void transpor(int n) override;
  void executar() override;
  int getNota() const { return nota; }

 private:
  int nota;
};

// Any other message, replayed with the three bytes it had in the file.
class EventoGenerico : public EventoSequenciamento {
 public:
  EventoGenerico(int posicao, int status, int canal, int dado1, int dado2)
      : EventoSequenciamento(posicao, canal), status(status), dado1(dado1), dado2(dado2) {}
  void executar() override;
  int getStatus() const { return status; }
  int getDado1() const { return dado1; }
  int getDado2() const { return dado2; }

 private:
  int status;
  int dado1;
  int dado2;
};

// A tempo change: beats per minute as the window shows them (-1 when the file gave none),
// and the file's exact microseconds per quarter note (-1 when not known). Sends nothing.
class EventoAndamento : public EventoSequenciamento {
 public:
  EventoAndamento(int posicao, int canal, int bpm, int microssegundos = -1)
      : EventoSequenciamento(posicao, canal), bpm(bpm), microssegundos(microssegundos) {}
  // Makes it the playback tempo at the speed set, which the window is shown; a bpm of 0 or
  // less changes nothing.
  void executar() override;
  int getBpm() const { return bpm; }
  int getMicrossegundos() const { return microssegundos; }
  // Whether it sets a tempo at all.
  bool temAndamento() const { return bpm > 0; }

 private:
  int bpm;
  int microssegundos;
};
