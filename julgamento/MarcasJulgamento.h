// The judge's verdicts drawn on the kit picture while the drummer plays along: a short-lived
// badge on each judged piece, and the figures of the pass so far in a corner of the panel.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "entrada/PecaBateria.h"
#include "julgamento/Julgamento.h"
#include "julgamento/ResumoPasse.h"
#include "ui/MapaBateria.h"

class QTimer;

// A transparent layer over the kit's panel (PainelInstrumento), above its pictures and
// letting every mouse event through to what lies below. Each badge says its verdict by
// shape and text, not by colour alone: a check mark on time, an arrow to the left with the
// offset when early, to the right when late, a small plus for an extra hit, a hollow ring
// with a cross for a missed note. A badge stays whole for tempoInteiro, then fades out by
// tempoVida; a timer repaints the fading badges and runs only while one is alive. Every call
// comes from the user-interface thread.
class MarcasJulgamento : public QWidget {
  Q_OBJECT

 public:
  // Age of a badge, since its judgement arrived, at which it starts to fade and at which it
  // is gone.
  static constexpr std::chrono::milliseconds tempoInteiro{400};
  static constexpr std::chrono::milliseconds tempoVida{900};

  // An empty layer; on a parent it covers the parent's whole area, follows its size, and is
  // shown above its other children.
  explicit MarcasJulgamento(QWidget *parent = nullptr);

  // The badges alive now, oldest first, as their piece and verdict.
  std::vector<std::pair<PecaBateria, ClasseGolpe>> getMarcas() const;
  // The readout's lines joined by "\n" as it shows them; empty while it is hidden.
  QString getTextoLeitura() const;
  // Where a badge of peca is centred, in this widget's pixels: the middle of the drawn part
  // of the kit picture that the piece's note lights; nullopt for nenhuma.
  std::optional<QPoint> lugarMarca(PecaBateria peca) const;

  // Takes the readout's texts from section "frmPrincipal" of the loaded language.
  void aplicarIdioma();
  // Puts a badge for julgamento on its piece, in place of any badge it would cover; the
  // first judgement after construction or limpar also shows the readout. A judgement of
  // nenhuma only shows the readout.
  void mostrar(const Julgamento &julgamento);
  // The readout's figures: the share of notes on time and the mean offset of passe. Its
  // number is shown when not 0; otherwise the one given to setNumeroPasse.
  void mostrarPasse(const ResumoPasse &passe);
  // The number of the pass being played, 1 for the first; 0 leaves it out.
  void setNumeroPasse(int numero);
  // Takes every badge off and hides the readout, until the next judgement.
  void limpar();

 protected:
  void paintEvent(QPaintEvent *event) override;
  bool eventFilter(QObject *objeto, QEvent *evento) override;

 private:
  using Relogio = std::chrono::steady_clock;

  struct Marca {
    PecaBateria peca;
    ClasseGolpe classe;
    // The offset as the badge writes it, "−12" or "+12"; empty for the other classes.
    QString texto;
    QRect area;
    Relogio::time_point inicio;
  };

  QRect areaMarca(ClasseGolpe classe, const QString &texto, QPoint centro) const;
  void pintarMarca(QPainter &pintor, const Marca &marca) const;
  void pintarLeitura(QPainter &pintor) const;
  QRect areaLeitura() const;
  void atualizarLeitura();
  void passarTempo();
  QPoint centroFigura(FiguraBateria figura) const;

  std::vector<Marca> marcas;
  QTimer *relogio;
  // The middle of each picture's drawn part, found once from its bitmap.
  mutable std::array<std::optional<QPoint>, numFigurasBateria> centros;

  bool leituraVisivel = false;
  ResumoPasse passe;
  int numeroPasse = 0;
  QStringList linhasLeitura;
  QString textoPasse;
  QString textoNoTempo;
  QString textoMedia;
  QString textoAdiantado;
  QString textoAtrasado;
};
