// The practice column of the main window: the bar and beat, the speed, the click switch and
// the button of the practice window; and the count-in, shown large over the stage.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

class PainelPratica : public QWidget {
  Q_OBJECT

 public:
  // A column at lugar on janela; the count-in shows centred over palco.
  PainelPratica(QWidget *janela, const QRect &lugar, QWidget *palco);

  // The texts of the loaded language (section "frmPratica").
  void aplicarIdioma();
  // Bar and beat from 1; 0 shows dashes (no song, or stopped).
  void mostrarCompasso(int compasso, int tempo);
  // Percent of the song's tempo, and the tempo that results.
  void mostrarVelocidade(int percentual, int bpm);
  // The count-in's beat, large over the stage; 0 hides it.
  void mostrarContagem(int tempo);
  void setClique(bool ligado);

  QCheckBox *getCkClique() const { return ckClique; }
  QPushButton *getBtnPratica() const { return btnPratica; }
  QPushButton *getBtnPistas() const { return btnPistas; }
  QLabel *getLblCompasso() const { return lblCompasso; }
  QLabel *getLblVelocidade() const { return lblVelocidadePct; }
  QLabel *getLblContagem() const { return lblContagem; }

 signals:
  void cliqueAlterado(bool ligado);
  void praticaPedida();
  void pistasPedidas();

 private:
  QLabel *lblCompassoTitulo;
  QLabel *lblCompasso;
  QLabel *lblVelocidadeTitulo;
  QLabel *lblVelocidadePct;
  QCheckBox *ckClique;
  QPushButton *btnPratica;
  QPushButton *btnPistas;
  QLabel *lblContagem;
};
