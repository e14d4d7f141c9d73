// The lane view's window: resizable, full screen with F11 (Escape leaves it), a look-ahead of
// 1 to 6 seconds. While the song plays the view follows it at the display's rate; at rest it
// stands still, and the mouse wheel, a drag or the arrow keys look back over what was played
// (Home: back to the present).
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "pistas/LinhaTempoPistas.h"

class PainelPistas;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

class TformPistas : public QWidget {
  Q_OBJECT

 public:
  // Shows linha (not owned), with the transport's state read by transporte at each frame.
  TformPistas(const LinhaTempoPistas &linha, std::function<EstadoTransporte()> transporte,
              QWidget *parent = nullptr);

  // The texts of the loaded language (section "frmPistas").
  void aplicarIdioma();
  // Shows the look-ahead without reporting it back.
  void setAntecipacao(int segundos);
  // The view shows the present this much later than the clock, for displays that show late.
  void setAdiantamentoNs(int64_t ns) { adiantamentoNs = ns; }
  // The model's song changed: its lanes, and the view back at the present.
  void novaPartitura();
  // The monotonic clock, in nanoseconds; tests give their own.
  void setRelogio(std::function<int64_t()> outro) { relogio = std::move(outro); }

  // Draws a frame now (the frame timer calls it).
  void atualizar();
  // Moves a still view by ns (negative: back), within what was played and a minute ahead.
  void rolar(int64_t ns);
  void alternarTelaCheia();
  bool isTelaCheia() const { return telaCheia; }
  // The place and size out of full screen.
  QRect getLugarNormal() const { return telaCheia ? geometriaNormal : geometry(); }
  // Puts the window at lugar when a screen shows some of it, and full screen at its next show.
  void restaurar(const QRect &lugar, bool cheia);
  // The moment under the "now" line.
  int64_t getVista() const { return vista; }
  PainelPistas *getPainel() const { return painel; }
  QSpinBox *getSpnAntecipacao() const { return spnAntecipacao; }
  QPushButton *getBtnTelaCheia() const { return btnTelaCheia; }

 signals:
  void antecipacaoAlterada(int segundos);

 protected:
  void keyPressEvent(QKeyEvent *evento) override;
  void wheelEvent(QWheelEvent *evento) override;
  bool eventFilter(QObject *objeto, QEvent *evento) override;
  void showEvent(QShowEvent *evento) override;
  void hideEvent(QHideEvent *evento) override;

 private:
  const LinhaTempoPistas &linha;
  std::function<EstadoTransporte()> transporte;
  std::function<int64_t()> relogio;
  PainelPistas *painel;
  QLabel *lblAntecipacao;
  QSpinBox *spnAntecipacao;
  QPushButton *btnTelaCheia;
  QTimer *timerQuadros;
  int64_t adiantamentoNs = 0;
  // How long a frame takes to paint while the song plays, a running mean.
  int64_t duracaoQuadroNs = 0;
  int64_t vista = 0;
  // At rest: the moment the view stopped at, and how far it was moved from there.
  bool parado = true;
  int64_t paradoEm = 0;
  int64_t deslocamento = 0;
  // Where the window was before it went full screen.
  QRect geometriaNormal;
  bool telaCheia = false;
  bool telaCheiaAoMostrar = false;
  // A drag on the panel: where it was last seen.
  bool arrastando = false;
  QPoint ultimoPonto;
};
