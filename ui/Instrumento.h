// An instrument picture that lights its pieces for MIDI note numbers.
#pragma once

#include <QPointer>

#include "ui/PainelInstrumento.h"

// The base of the instrument pictures: its four operations do nothing; the kinds of
// instrument override them. It owns no picture: the pictures belong to the panel, which
// belongs to the main window. Every call comes from the user-interface thread.
class Instrumento {
 public:
  // An instrument drawn on painel, or one that keeps no pictures when painel is null.
  explicit Instrumento(PainelInstrumento *painel = nullptr) : painel(painel) {}
  // Hides the background picture, shrinks it to 15 x 15 and moves it to 0, 0 of the panel;
  // nothing when the panel is already gone.
  virtual ~Instrumento();

  Instrumento(const Instrumento &) = delete;
  Instrumento &operator=(const Instrumento &) = delete;

  // Shows the hit of a MIDI note number.
  virtual void acender(int nota) { (void)nota; }
  // Shows the release of a MIDI note number.
  virtual void apagar(int nota) { (void)nota; }
  // Clears every hit, back to the instrument at rest.
  virtual void apagarTudo() {}
  // Takes the instrument's pictures apart.
  virtual void desmontar() {}

  // The panel drawn on; null without one or once the panel has been destroyed.
  PainelInstrumento *getPainel() const { return painel.data(); }

 protected:
  // Makes picture imagem of the panel the background: the panel gets width largura and
  // height altura at left esquerda and top topo in its window, the picture the same size at
  // 0, 0, and it is shown. Nothing without a panel.
  void montarFundo(int imagem, int largura, int altura, int topo, int esquerda);

  // Index of the background picture in the panel, -1 before montarFundo.
  int fundo = -1;

 private:
  // Guarded: the configuration keeps the instrument to the end of the program, which can
  // outlive the main window and its panel.
  QPointer<PainelInstrumento> painel;
};
