// The tap test's window: it explains the test, asks for the clicks, follows them and tells the
// drummer how late their strikes arrive, offering that as the input's latency. It plays no
// sound and counts nothing itself: the main window starts the clicks when asked, feeds the
// progress in and hands over the result. No button holds the keyboard's focus once the clicks
// start, so that strikes on the computer keyboard (Space, letters) press nothing; Escape
// cancels and Enter presses the state's default button (Start, Use this, Again).
#pragma once

#include <QDialog>

#include "julgamento/Calibracao.h"

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

class TformCalibracao : public QDialog {
  Q_OBJECT

 public:
  // What the window shows: the explanation, the clicks going on, or what they gave.
  enum class Estado { inicio, rodando, resultado };

  explicit TformCalibracao(QWidget *parent = nullptr);

  Estado getEstado() const { return estado; }

  // The texts of the loaded language (section "frmCalibracao"); shows the current state again
  // in it. User-interface thread, as every function here.
  void aplicarIdioma();
  // The explanation (SessaoJulgamento's clicks and tempo) with the input latency now in force,
  // in milliseconds, and Start.
  void mostrarInicio(double latenciaAtualMs);
  // The test going on: cliques of total clicks sounded so far, toques strikes arrived.
  void mostrarProgresso(int cliques, int total, int toques);
  // What the test gave: the latency to use, or why there is none and what to do.
  void mostrarResultado(const Calibracao::Resultado &resultado);

  QLabel *getLblExplicacao() const { return lblExplicacao; }
  QLabel *getLblLatenciaAtual() const { return lblLatenciaAtual; }
  QLabel *getLblProgresso() const { return lblProgresso; }
  QProgressBar *getBarProgresso() const { return barProgresso; }
  QLabel *getLblResultado() const { return lblResultado; }
  QLabel *getLblDetalhes() const { return lblDetalhes; }
  QPushButton *getBtnIniciar() const { return btnIniciar; }
  QPushButton *getBtnUsar() const { return btnUsar; }
  QPushButton *getBtnRepetir() const { return btnRepetir; }
  QPushButton *getBtnCancelar() const { return btnCancelar; }

  // Cancel, Escape and the close box: emits cancelado, then closes the window.
  void reject() override;

 signals:
  // Start or Again: the main window starts the clicks and feeds mostrarProgresso.
  void iniciarPedido();
  // The drummer gave up; clicks still sounding should stop.
  void cancelado();
  // Use this: the measured latency, in milliseconds, becomes the input's latency.
  void aceita(double latenciaMs);

 private:
  void pedirInicio();
  void reservarEspaco();
  void mostrarEstado();
  void mostrarBotoes();

  QStackedWidget *paginas;
  QWidget *pagInicio;
  QLabel *lblExplicacao;
  QLabel *lblLatenciaAtual;
  QWidget *pagProgresso;
  QLabel *lblProgresso;
  QProgressBar *barProgresso;
  QWidget *pagResultado;
  QLabel *lblResultado;
  QLabel *lblDetalhes;
  QPushButton *btnIniciar;
  QPushButton *btnUsar;
  QPushButton *btnRepetir;
  QPushButton *btnCancelar;
  QHBoxLayout *linhaBotoes;
  // What the window was last given, so that aplicarIdioma can show it again.
  Estado estado = Estado::inicio;
  double latenciaAtualMs = 0;
  int cliques = 0;
  int total = 0;
  int toques = 0;
  Calibracao::Resultado resultado;
};
