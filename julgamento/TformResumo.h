// The window that tells the drummer how their practice passes went: the figures of the latest
// pass, its offsets as a histogram, its accuracy per piece and the last passes side by side.
// It shows what it is given and keeps nothing of its own.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <vector>

#include "julgamento/ResumoPasse.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QGroupBox;
class QTableWidget;

// The offsets of one pass as bars, one per class of the histogram, over the on-time window
// shaded around a zero line; early to the left, late to the right.
class HistogramaDesvios : public QWidget {
 public:
  explicit HistogramaDesvios(QWidget *parent = nullptr);

  // The hits per class (ResumoPasse::histograma) and the on-time half-width, in ms.
  const std::array<int, ResumoPasse::numClasses> &getClasses() const { return classes; }
  double getNoTempoMs() const { return noTempoMs; }

  // Shows classes over an on-time window of +-noTempoMs milliseconds.
  void mostrar(const std::array<int, ResumoPasse::numClasses> &classes, double noTempoMs);
  // The words under the left (early) and right (late) ends of the axis.
  void setTextosEixo(const QString &adiantado, const QString &atrasado);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  std::array<int, ResumoPasse::numClasses> classes{};
  double noTempoMs = 0;
  QString textoAdiantado;
  QString textoAtrasado;
};

class TformResumo : public QDialog {
  Q_OBJECT

 public:
  // The passes table shows at most this many, the latest last.
  static constexpr int maxPassesTabela = 8;

  explicit TformResumo(QWidget *parent = nullptr);

  // The texts of the loaded language (section "frmResumo", the pieces' names from
  // "frmSetup"); shows the passes again in it. User-interface thread.
  void aplicarIdioma();
  // Shows passes, oldest first (the last one is the latest), judged with an on-time window of
  // +-noTempoMs milliseconds; with no pass, a short hint instead.
  void mostrar(const std::vector<ResumoPasse> &passes, double noTempoMs);

  // A signed offset with one decimal and its unit, in the loaded language: "−3.2 ms",
  // "+4.0 ms", "0.0 ms".
  static QString formatarDesvio(double ms);

  QLabel *getLblSemPasse() const { return lblSemPasse; }
  QGroupBox *getGrpPasse() const { return grpPasse; }
  QLabel *getLblPrecisao() const { return lblPrecisao; }
  QLabel *getLblGolpes() const { return lblGolpes; }
  QLabel *getLblNoTempo() const { return lblNoTempo; }
  QLabel *getLblAdiantados() const { return lblAdiantados; }
  QLabel *getLblAtrasados() const { return lblAtrasados; }
  QLabel *getLblPerdidos() const { return lblPerdidos; }
  QLabel *getLblExtras() const { return lblExtras; }
  QLabel *getLblMedia() const { return lblMedia; }
  QLabel *getLblDesvioPadrao() const { return lblDesvioPadrao; }
  HistogramaDesvios *getHistograma() const { return histograma; }
  QTableWidget *getTblPecas() const { return tblPecas; }
  QTableWidget *getTblPasses() const { return tblPasses; }
  QPushButton *getBtnFechar() const { return btnFechar; }

 private:
  void mostrarPasse(const ResumoPasse &passe);
  void mostrarPecas(const ResumoPasse &passe);
  void mostrarPasses();

  QStackedWidget *paginas;
  QLabel *lblSemPasse;
  QGroupBox *grpPasse;
  QLabel *lblPrecisao;
  QLabel *rotGolpes;
  QLabel *lblGolpes;
  QLabel *rotNoTempo;
  QLabel *lblNoTempo;
  QLabel *rotAdiantados;
  QLabel *lblAdiantados;
  QLabel *rotAtrasados;
  QLabel *lblAtrasados;
  QLabel *rotPerdidos;
  QLabel *lblPerdidos;
  QLabel *rotExtras;
  QLabel *lblExtras;
  QLabel *rotMedia;
  QLabel *lblMedia;
  QLabel *rotDesvioPadrao;
  QLabel *lblDesvioPadrao;
  QGroupBox *grpHistograma;
  HistogramaDesvios *histograma;
  QLabel *lblLegenda;
  QGroupBox *grpPecas;
  QTableWidget *tblPecas;
  QGroupBox *grpPasses;
  QTableWidget *tblPasses;
  QPushButton *btnFechar;
  // What mostrar was last given, so that aplicarIdioma can show it again.
  std::vector<ResumoPasse> passes;
  double noTempoMs = 0;
};
