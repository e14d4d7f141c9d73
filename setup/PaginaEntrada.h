// The setup dialog's page of the drummer's electronic kit: its MIDI input, its note map, the
// learn mode that teaches the map a pad, and the thresholds that decide what a hit is.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "entrada/AjustesEntrada.h"
#include "entrada/PecaBateria.h"

class KitEletronico;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// Every change is stored in the configuration's AjustesEntrada and handed to the kit at once;
// nothing waits for OK, and Cancel undoes nothing, as for the output device. Without a kit
// the page lists no device and only stores the settings. User-interface thread only.
class PaginaEntrada : public QWidget {
  Q_OBJECT

 public:
  // Builds the page with its texts from the loaded language; carregar fills it.
  explicit PaginaEntrada(QWidget *parent = nullptr);
  ~PaginaEntrada() override;

  // The kit the page drives (not owned; nullptr: none). Takes effect at the next carregar.
  void setKitEletronico(KitEletronico *outro);
  // Where a failure is told: the dialog's message box, with the text in the user's language.
  void setAvisarErro(std::function<void(const QString &mensagem)> avisar) {
    avisarErro = std::move(avisar);
  }

  // Shows the stored settings and lists the input devices as the system has them now; a
  // stored device that is missing stays selected, marked as not connected. Ends learning.
  void carregar();
  // Whether the kit waits for the hit that the chosen piece is learning.
  bool isAprendendo() const { return aprendendo; }

  QComboBox *getCmbDispositivoEntrada() const { return CmbDispositivoEntrada; }
  QComboBox *getCmbMapaNotas() const { return CmbMapaNotas; }
  QComboBox *getCmbPecaAprender() const { return CmbPecaAprender; }
  QPushButton *getBtnAprender() const { return btnAprender; }
  QLabel *getLblAprender() const { return lblAprender; }
  QSpinBox *getSpinVelocidadeMinima() const { return SpinVelocidadeMinima; }
  QSpinBox *getSpinLimiarChimbal() const { return SpinLimiarChimbal; }
  QCheckBox *getCkChimbalInvertido() const { return ckChimbalInvertido; }
  QCheckBox *getCkGuardaCruzada() const { return ckGuardaCruzada; }

 protected:
  // A learning left behind (the dialog closed, another page shown) is cancelled, so that
  // a later hit is not taken for a pad the drummer no longer looks at.
  void hideEvent(QHideEvent *evento) override;

 private:
  void listarDispositivos(const QString &guardado);
  void listarMapas(const AjustesEntrada &ajustes);
  void CmbDispositivoEntradaChange();
  void CmbMapaNotasChange();
  void ajustesChange();
  void btnAprenderClick();
  void aprendeu(PecaBateria peca, int nota);
  void terminarAprendizado();
  void mostrarEstadoAprendizado();
  bool guardarEAplicar(const AjustesEntrada &ajustes);

  QLabel *lblDispositivoEntrada;
  QComboBox *CmbDispositivoEntrada;
  QLabel *lblMapaNotas;
  QComboBox *CmbMapaNotas;
  QLabel *lblPecaAprender;
  QComboBox *CmbPecaAprender;
  QPushButton *btnAprender;
  QLabel *lblAprender;
  QLabel *lblVelocidadeMinima;
  QSpinBox *SpinVelocidadeMinima;
  QLabel *lblLimiarChimbal;
  QSpinBox *SpinLimiarChimbal;
  QCheckBox *ckChimbalInvertido;
  QCheckBox *ckGuardaCruzada;

  QPointer<KitEletronico> kit;
  // While the page shows the stored settings, its controls' changes are not new settings.
  bool carregando = false;
  bool aprendendo = false;
  std::function<void(const QString &)> avisarErro;
};
