// The setup dialog: the MIDI output device, the switches of the open song's tracks and the
// drummer's electronic kit.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

#include "config/Mensageiro.h"
#include "setup/PaginaEntrada.h"

class KitEletronico;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QTabWidget;
class QWidget;

// A device picked in the list is opened and stored at once; Cancel undoes nothing. The
// sixteen track boxes are the configuration's per-track flags: any change of a box's state,
// by the user or by the program, runs its click handling (switching the track on, or off
// and silent). Created once, shown modally any number of times. User-interface thread only.
class TFormSetup : public QDialog {
  Q_OBJECT

 public:
  static constexpr int numCaixas = 16;

  // Builds the hidden dialog with its texts from the loaded language, and lists the output
  // devices once (none when the MIDI library cannot be loaded; showing the dialog then says
  // why).
  explicit TFormSetup(QWidget *parent = nullptr);
  ~TFormSetup() override;

  // Makes the selected device the active one: opens it and stores its index, unless it is
  // already the stored one. A device that cannot be opened is reported (the library's
  // reason inside the language's message), the stored device is opened again and stays
  // selected and stored; answers false then.
  bool aplicarDriver();
  // Whether every enabled track box is checked.
  bool todasMarcadas() const;

  // Track box indice (0..15) and the select-all box, for the code that opens a song: it
  // gives each box of the song's tracks its name, checks and enables it, disables the rest,
  // then enables and checks the select-all box. Changing a box's state runs its handling.
  QCheckBox &getCaixa(int indice) const { return *caixas.at(static_cast<std::size_t>(indice)); }
  QCheckBox &getCheckBoxSel() const { return *CheckBoxSel; }

  // Where a message box goes; tests record the messages instead.
  void setMensageiro(Mensageiro outro) { mensageiro = std::move(outro); }
  // The kit the electronic-kit page lists the input devices of and drives (not owned;
  // nullptr: none, the page then only stores its settings).
  void setKitEletronico(KitEletronico *kit) { TabEntrada->setKitEletronico(kit); }

  QTabWidget *getPagCtrlSetup() const { return PagCtrlSetup; }
  QWidget *getTabDrivers() const { return TabDrivers; }
  QWidget *getTabCanais() const { return TabCanais; }
  PaginaEntrada *getTabEntrada() const { return TabEntrada; }
  QListWidget *getListBoxDrivers() const { return ListBoxDrivers; }
  QPushButton *getBtnAssistenteDriver() const { return btnAssistenteDriver; }
  // The window's zoom for the next start: automatic (0), or 100, 150, 200 %.
  QComboBox *getCmbZoom() const { return CmbZoom; }
  QGroupBox *getGroupBoxCanais() const { return GroupBoxCanais; }
  QPushButton *getBtnOK() const { return btnOK; }
  QPushButton *getBtnCancel() const { return btnCancel; }
  bool isTratarCliques() const { return tratarCliques; }

 protected:
  // FormShow: the stored device is selected, and the kit's page shows its stored settings.
  void showEvent(QShowEvent *evento) override;

 private:
  void ListBoxDriversClick();
  void btnOKClick();
  void btnCancelClick();
  void btnAssistenteDriverClick();
  void CheckBoxClick(int tag, bool marcada);
  void CheckBoxSelClick();
  void selecionarDriver(int indice);
  void reabrirDriverGuardado();
  void mostrarErro(const QString &mensagem, const QString &detalhe);
  QString texto(const char *chave) const;

  QTabWidget *PagCtrlSetup;
  QWidget *TabDrivers;
  QListWidget *ListBoxDrivers;
  QPushButton *btnAssistenteDriver;
  QComboBox *CmbZoom;
  QWidget *TabCanais;
  QGroupBox *GroupBoxCanais;
  QCheckBox *CheckBoxSel;
  QPushButton *btnOK;
  QPushButton *btnCancel;
  std::array<QCheckBox *, numCaixas> caixas{};
  PaginaEntrada *TabEntrada;

  bool tratarCliques = false;
  // While the program itself selects a device, the list's change applies nothing.
  bool selecionandoDriver = false;
  // Why the device list is empty when the MIDI library could not be loaded.
  QString erroLista;
  Mensageiro mensageiro;
};

// The setup dialog of the running program, made at start-up.
extern TFormSetup *FormSetup;
