// The practice window: count-in, click, loop by bars, speed and the speed trainer, and how the
// drummer's hits are judged. It shows the settings it is given and reports every change at
// once; it keeps none of its own.
#pragma once

#include <QDialog>

#include "julgamento/AjustesJulgamento.h"
#include "pratica/AjustesPratica.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class TformPratica : public QDialog {
  Q_OBJECT

 public:
  explicit TformPratica(QWidget *parent = nullptr);

  // The texts of the loaded language (section "frmPratica").
  void aplicarIdioma();
  // Shows ajustes and the speed, without reporting them back.
  void mostrar(const AjustesPratica &ajustes, int velocidade);
  // The loop button and the speed need a song.
  void setComMusica(bool comMusica);
  // Shows the judging settings, without reporting them back.
  void mostrarJulgamento(const AjustesJulgamento &ajustes);

  QComboBox *getCmbContagem() const { return cmbContagem; }
  QCheckBox *getCkContagemNoLoop() const { return ckContagemNoLoop; }
  QCheckBox *getCkClique() const { return ckClique; }
  QCheckBox *getCkColcheias() const { return ckColcheias; }
  QSlider *getSldVolumeClique() const { return sldVolumeClique; }
  QCheckBox *getCkMarcasNasLinhas() const { return ckMarcasNasLinhas; }
  QSpinBox *getSpnCompassosLoop() const { return spnCompassosLoop; }
  QPushButton *getBtnLoopCompassos() const { return btnLoopCompassos; }
  QSpinBox *getSpnVelocidade() const { return spnVelocidade; }
  QCheckBox *getCkTreinador() const { return ckTreinador; }
  QSpinBox *getSpnInicio() const { return spnInicio; }
  QSpinBox *getSpnPasso() const { return spnPasso; }
  QSpinBox *getSpnPasses() const { return spnPasses; }
  QSpinBox *getSpnAlvo() const { return spnAlvo; }
  QComboBox *getCmbRigor() const { return cmbRigor; }
  QLabel *getLblValorLatencia() const { return lblValorLatencia; }
  QPushButton *getBtnCalibrar() const { return btnCalibrar; }
  QSpinBox *getSpnAtrasoVisual() const { return spnAtrasoVisual; }
  QPushButton *getBtnResumo() const { return btnResumo; }
  QPushButton *getBtnTake() const { return btnTake; }

 signals:
  void ajustesAlterados(const AjustesPratica &ajustes);
  void velocidadeAlterada(int percentual);
  // A loop of compassos bars from the current bar.
  void loopPedido(int compassos);
  // The strictness or the visual offset changed (the latency comes from the tap test).
  void julgamentoAlterado(const AjustesJulgamento &ajustes);
  void calibracaoPedida();
  void resumoPedido();
  void takePedido();

 private:
  AjustesPratica lidos() const;
  void alterado();

  QGroupBox *grpContagem;
  QLabel *lblContagem;
  QComboBox *cmbContagem;
  QCheckBox *ckContagemNoLoop;
  QGroupBox *grpClique;
  QCheckBox *ckClique;
  QCheckBox *ckColcheias;
  QLabel *lblVolumeClique;
  QSlider *sldVolumeClique;
  QGroupBox *grpLoop;
  QCheckBox *ckMarcasNasLinhas;
  QLabel *lblCompassosLoop;
  QSpinBox *spnCompassosLoop;
  QPushButton *btnLoopCompassos;
  QGroupBox *grpVelocidade;
  QLabel *lblVelocidade;
  QSpinBox *spnVelocidade;
  QCheckBox *ckTreinador;
  QLabel *lblInicio;
  QSpinBox *spnInicio;
  QLabel *lblPasso;
  QSpinBox *spnPasso;
  QLabel *lblPasses;
  QSpinBox *spnPasses;
  QLabel *lblAlvo;
  QSpinBox *spnAlvo;
  QGroupBox *grpJulgamento;
  QLabel *lblRigor;
  QComboBox *cmbRigor;
  QLabel *lblLatencia;
  QLabel *lblValorLatencia;
  QPushButton *btnCalibrar;
  QLabel *lblAtrasoVisual;
  QSpinBox *spnAtrasoVisual;
  QPushButton *btnResumo;
  QPushButton *btnTake;
  QPushButton *btnFechar;
  bool mostrando = false;
  AjustesJulgamento julgamento;
};
