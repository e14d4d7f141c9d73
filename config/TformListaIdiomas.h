// The language chooser: a small modal list of language names with OK and cancel buttons.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// It is shown before any language is loaded, so it carries no texts: an empty title and
// two picture buttons (a check mark and a cross).
class TformListaIdiomas : public QDialog {
  Q_OBJECT

 public:
  // A hidden tool window of 236 x 252 pixels; parent may be nullptr (the language manager
  // owns it without a Qt parent).
  explicit TformListaIdiomas(QWidget *parent = nullptr);

  // Lists nomes in order, selects indiceAtual (-1: nothing) and shows the window modally;
  // returns the index of the selected name when it was closed with OK (-1 when nothing is
  // selected) and -1 for Escape, the cancel button or the close box. User-interface thread.
  int escolher(const QStringList &nomes, int indiceAtual);

  QListWidget *getListaIdiomas() const { return listaIdiomas; }
  QPushButton *getBtnOk() const { return btnOk; }
  QPushButton *getBtnCancelar() const { return btnCancelar; }

 protected:
  // FormShow: OK is the default button and the list has the keyboard focus.
  void showEvent(QShowEvent *evento) override;

 private:
  // A double-click on a name closes the window with OK.
  void listaIdiomasDblClick();

  QListWidget *listaIdiomas;
  QPushButton *btnOk;
  QPushButton *btnCancelar;
};
