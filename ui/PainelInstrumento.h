// The panel pnInstrumento: the instrument's pictures, composed in one paint.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// The pictures are not child widgets: the panel keeps them in drawing order and paints the
// visible ones bottom first in a single paintEvent, into Qt's backing store, which is the
// back buffer. A picture toggle repaints only its rectangle, and all toggles made before the
// event loop runs again reach the screen together, so fast drum parts do not flicker.
// Every call comes from the user-interface thread.
class PainelInstrumento : public QWidget {
  Q_OBJECT

 public:
  // A panel holding the drum kit's pictures, all hidden, from the resources ":/kit/<name>.png"
  // at the places the kit's artwork defines.
  explicit PainelInstrumento(QWidget *parent = nullptr);

  // Number of pictures, the kit's and any added later.
  int numFiguras() const { return static_cast<int>(figuras.size()); }
  // Index of the picture called nome, or -1.
  int indiceFigura(const QString &nome) const;
  // Name, place, visibility and bitmap of picture indice; indice must be in 0..numFiguras()-1.
  const QString &nomeFigura(int indice) const { return figuras.at(indice).nome; }
  QRect geometriaFigura(int indice) const { return figuras.at(indice).geometria; }
  bool isFiguraVisivel(int indice) const { return figuras.at(indice).visivel; }
  const QPixmap &pixmapFigura(int indice) const { return figuras.at(indice).pixmap; }
  // False once the picture has been taken off the panel.
  bool isFiguraNoPainel(int indice) const { return figuras.at(indice).noPainel; }

  // Puts a picture, hidden, above all the others (the key labels go above the kit this
  // way); the bitmap's top-left part fills geometria, unscaled. Answers its index.
  int adicionarFigura(const QString &nome, const QRect &geometria, const QPixmap &pixmap);
  // Shows or hides picture indice; an index out of range is ignored.
  void setFiguraVisivel(int indice, bool visivel);
  // Moves and resizes picture indice; an index out of range is ignored.
  void setGeometriaFigura(int indice, const QRect &geometria);
  // Takes picture indice off the panel: it is hidden and not painted until put back.
  void retirarFigura(int indice);
  // Puts picture indice back on the panel, hidden; an index out of range is ignored.
  void recolocarFigura(int indice);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  struct Figura {
    QString nome;
    QRect geometria;
    QPixmap pixmap;
    bool visivel = false;
    bool noPainel = true;
  };

  bool valido(int indice) const { return indice >= 0 && indice < numFiguras(); }

  std::vector<Figura> figuras;
};
