// Paints a frame of the lane view: the lanes' names at the left, the timeline to their right
// with the "now" line three tenths of the way in, the past to its left and the look-ahead to its
// right; bar numbers above, the hits' legend below.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "pistas/LinhaTempoPistas.h"

class PainelPistas : public QWidget {
 public:
  explicit PainelPistas(QWidget *parent = nullptr);

  // The lanes drawn, top to bottom; each named by nomes (indexed by Pista).
  void setPistas(std::vector<Pista> pistas);
  // classes: the words of the hits' legend, indexed by ClasseGolpe.
  void setTextos(const std::array<QString, numPistas> &nomes, const std::array<QString, 5> &classes,
                 const QString &contagem, const QString &dica);
  // Seconds shown ahead of the "now" line.
  void setAntecipacao(int segundos);
  int getAntecipacao() const { return antecipacao; }

  // The moments the panel shows when its "now" line is at vistaNs.
  int64_t inicioEm(int64_t vistaNs) const;
  int64_t fimEm(int64_t vistaNs) const;
  // Nanoseconds per pixel of the timeline.
  double nsPorPixel() const;
  // Takes quadro with the "now" line at vistaNs for the next paint; parado adds the hint on
  // looking back.
  void mostrar(QuadroPistas quadro, int64_t vistaNs, bool parado);
  // Paints the timeline now, with the frame last taken.
  void pintarLinhaTempo();
  const QuadroPistas &getQuadro() const { return quadro; }
  const std::vector<Pista> &getPistas() const { return pistas; }
  // The x of a moment, and the band of a lane (its index in getPistas), in pixels.
  double xDe(int64_t ns) const;
  QRect faixaDaPista(int indice) const;
  int xAgora() const;

 protected:
  void paintEvent(QPaintEvent *evento) override;
  void resizeEvent(QResizeEvent *evento) override;

 private:
  int larguraNomes() const;
  int alturaRegua() const;
  int alturaLegenda() const;
  void pintarNota(QPainter &p, const QuadroPistas::Nota &nota, const QRect &faixa) const;
  static void desenharGolpe(QPainter &p, ClasseGolpe classe, QPointF centro, double raio);
  void pintarGolpe(QPainter &p, const QuadroPistas::Golpe &golpe, const QRect &faixa) const;
  QPixmap pintarNomes() const;
  QPixmap pintarLegenda() const;

  std::vector<Pista> pistas;
  std::array<QString, numPistas> nomes;
  std::array<QString, 5> classes;
  QString textoContagem;
  QString dica;
  int antecipacao = 3;
  QuadroPistas quadro;
  int64_t vista = 0;
  bool parado = true;
  // The names column and the legend, painted again when their size or texts change.
  QPixmap imagemNomes;
  QPixmap imagemLegenda;
  bool legendaParada = true;
};
