// The sound-card test wizard: plays a test scale on each MIDI output device in turn until
// the user hears it.
#pragma once

#include <QDialog>
#include <QStringList>

#include "config/Mensageiro.h"

class EscalaTeste;
class QLabel;
class QPushButton;
class QWidget;
class RotuloLink;

// Pages: A asks to test device indiceDriver, B asks whether its scale was heard, C says the
// device is chosen, D says none was confirmed. A fixed window of 643 x 255 pixels; created
// once and run any number of times through executar(). User-interface thread only.
class TformAssistenteConfiguracaoDriver : public QDialog {
  Q_OBJECT

 public:
  // What passo means.
  enum Passo { perguntarTeste = 0, perguntarEscutou = 1, cancelado = 2, escutou = 3 };

  // Builds the hidden window with its texts from the loaded language and takes the device
  // list from SaidaMIDI once (empty when the MIDI library cannot be loaded).
  explicit TformAssistenteConfiguracaoDriver(QWidget *parent = nullptr);
  ~TformAssistenteConfiguracaoDriver() override;

  // Runs the wizard modally from the first device; answers the index of the confirmed
  // device, -1 when the user cancelled, or the current resultado (0 unless a device was
  // confirmed) when every device was refused or the close box was used.
  int executar();

  // Closing, by any way: FormClose, then QDialog's own handling.
  void done(int resultadoDialogo) override;

  // Where a message box goes; tests record the messages instead.
  void setMensageiro(Mensageiro outro) { mensageiro = std::move(outro); }

  const QStringList &getDrivers() const { return drivers; }
  int getPasso() const { return passo; }
  int getIndiceDriver() const { return indiceDriver; }
  int getResultado() const { return resultado; }
  // Whether the test scale is sounding (the buttons are disabled meanwhile).
  bool isTocandoTeste() const;

  QPushButton *getBtnEscutando() const { return btnEscutando; }
  QPushButton *getBtnNaoEscutando() const { return btnNaoEscutando; }
  QPushButton *getBtnProsseguir() const { return btnProsseguir; }
  QPushButton *getBtnCancelar() const { return btnCancelar; }
  QPushButton *getBtnFinalizar() const { return btnFinalizar; }
  QLabel *getLblTitulo1() const { return lblTitulo1; }
  QLabel *getLblExplicacao1() const { return lblExplicacao1; }
  QLabel *getLblTitulo2() const { return lblTitulo2; }
  QLabel *getLblExplicacao2() const { return lblExplicacao2; }
  QLabel *getLblLinkVolumeWindows() const;
  QLabel *getImage1() const { return Image1; }

 protected:
  // FormShow: every run starts at the first device.
  void showEvent(QShowEvent *evento) override;
  // Escape cancels: the caller keeps the device it had.
  void keyPressEvent(QKeyEvent *evento) override;

 private:
  void mostrarPasso();
  void tocarTeste();
  void btnProsseguirClick();
  void testeTerminado();
  void btnEscutandoClick();
  void btnNaoEscutandoClick();
  void btnCancelarClick();
  void btnFinalizarClick();
  void lblLinkVolumeWindowsClick();
  void tornarPadrao(QPushButton *botao);
  QString texto(const char *chave) const;

  QWidget *Panel2;
  QLabel *Image1;
  QLabel *lblTitulo1;
  QLabel *lblExplicacao1;
  RotuloLink *lblLinkVolumeWindows;
  QLabel *lblTitulo2;
  QLabel *lblExplicacao2;
  QWidget *Panel1;
  QPushButton *btnEscutando;
  QPushButton *btnProsseguir;
  QPushButton *btnFinalizar;
  QPushButton *btnNaoEscutando;
  QPushButton *btnCancelar;
  EscalaTeste *escala;

  QStringList drivers;
  int indiceDriver = 0;
  int passo = perguntarTeste;
  int resultado = 0;
  Mensageiro mensageiro;
};

// The wizard of the running program, made at start-up; the setup dialog runs it.
extern TformAssistenteConfiguracaoDriver *formAssistenteConfiguracaoDriver;
