#include "setup/TFormSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <exception>

#include "TVxMidiOut.h"
#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "setup/Fontes.h"
#include "setup/TformAssistenteConfiguracaoDriver.h"
#include "shell/Zoom.h"
#include "song/GerenciadorMusica.h"

TFormSetup *FormSetup = nullptr;

namespace {

const QString secao = QStringLiteral("frmSetup");

// The client area: the designed outer size of 298 x 308 pixels less a 4-pixel border on
// each side and a 28-pixel title bar.
constexpr QSize tamanhoJanela(290, 276);
constexpr QRect lugarPaginas(6, 6, 278, 232);
constexpr QRect lugarLista(4, 6, 267, 158);
constexpr QRect lugarAssistente(4, 172, 150, 25);
constexpr QRect lugarZoom(158, 172, 113, 25);
constexpr QRect lugarGrupo(4, 2, 266, 156);
constexpr QRect lugarSelecao(8, 166, 258, 17);
constexpr QRect lugarOK(128, 245, 75, 25);
constexpr QRect lugarCancel(209, 245, 75, 25);
// The track boxes inside the group: two columns of eight, 16 pixels apart.
constexpr int topoCaixas = 19;
constexpr int passoCaixas = 16;
constexpr int esquerdaColuna[2] = {8, 136};
constexpr QSize tamanhoCaixa(124, 17);

QString textoIdioma(const QString &secaoTexto, const char *chave) {
  QString valor = GerenciadorIdiomas::instancia().getTexto(secaoTexto, QLatin1String(chave));
  valor.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return valor;
}

QPushButton *criarBotao(QWidget *pai, const char *nome, const QRect &lugar) {
  auto *botao = new QPushButton(pai);
  botao->setObjectName(QLatin1String(nome));
  botao->setGeometry(lugar);
  botao->setAutoDefault(false);
  return botao;
}

}  // namespace

TFormSetup::TFormSetup(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      PagCtrlSetup(new QTabWidget(this)),
      TabDrivers(new QWidget),
      ListBoxDrivers(new QListWidget(TabDrivers)),
      btnAssistenteDriver(criarBotao(TabDrivers, "btnAssistenteDriver", lugarAssistente)),
      CmbZoom(new QComboBox(TabDrivers)),
      TabCanais(new QWidget),
      GroupBoxCanais(new QGroupBox(TabCanais)),
      CheckBoxSel(new QCheckBox(TabCanais)),
      btnOK(criarBotao(this, "btnOK", lugarOK)),
      btnCancel(criarBotao(this, "btnCancel", lugarCancel)),
      TabEntrada(new PaginaEntrada),
      mensageiro(mostrarMensagem) {
  setObjectName(QStringLiteral("FormSetup"));
  setFont(fonteJanela(pixelsTexto));
  setFixedSize(tamanhoJanela);
  setModal(true);

  PagCtrlSetup->setObjectName(QStringLiteral("PagCtrlSetup"));
  PagCtrlSetup->setGeometry(lugarPaginas);
  TabDrivers->setObjectName(QStringLiteral("TabDrivers"));
  TabCanais->setObjectName(QStringLiteral("TabCanais"));
  PagCtrlSetup->addTab(TabDrivers, QStringLiteral("Drivers"));
  PagCtrlSetup->addTab(TabCanais, QString());
  PagCtrlSetup->addTab(TabEntrada, texto("TabEntrada"));
  TabEntrada->setAvisarErro([this](const QString &mensagem) { mostrarErro(mensagem, {}); });
  ListBoxDrivers->setObjectName(QStringLiteral("ListBoxDrivers"));
  ListBoxDrivers->setGeometry(lugarLista);
  ListBoxDrivers->setSelectionMode(QAbstractItemView::SingleSelection);
  GroupBoxCanais->setObjectName(QStringLiteral("GroupBoxCanais"));
  GroupBoxCanais->setGeometry(lugarGrupo);
  CheckBoxSel->setObjectName(QStringLiteral("CheckBoxSel"));
  CheckBoxSel->setGeometry(lugarSelecao);
  CheckBoxSel->setEnabled(false);
  btnOK->setDefault(true);

  // The track boxes, numbered 0..15 as the tracks they switch.
  for (int i = 0; i < numCaixas; ++i) {
    auto *caixa = new QCheckBox(GroupBoxCanais);
    caixa->setObjectName(QStringLiteral("CheckBox%1").arg(i));
    caixa->setProperty("Tag", i);
    caixa->setGeometry(
        QRect(QPoint(esquerdaColuna[i / 8], topoCaixas + passoCaixas * (i % 8)), tamanhoCaixa));
    caixa->setEnabled(false);
    caixa->setToolTip(texto("CheckBox"));
    caixa->setText(texto("CheckBoxText"));
    caixas[static_cast<std::size_t>(i)] = caixa;
    // A change made by the program acts as a click does.
    connect(caixa, &QCheckBox::toggled, this,
            [this, i](bool marcada) { CheckBoxClick(i, marcada); });
  }
  tratarCliques = true;

  try {
    ListBoxDrivers->addItems(SaidaMIDI::instancia().listarDispositivos());
  } catch (const std::exception &e) {
    erroLista = QString::fromUtf8(e.what());
  }

  GroupBoxCanais->setTitle(texto("GroupBoxCanais"));
  CheckBoxSel->setText(texto("CheckBoxSel"));
  PagCtrlSetup->setTabText(PagCtrlSetup->indexOf(TabCanais), texto("TabCanais"));
  btnOK->setToolTip(texto("btnOK"));
  btnCancel->setToolTip(texto("btnCancel"));
  btnAssistenteDriver->setToolTip(texto("btnAssistenteDriver"));
  btnAssistenteDriver->setText(texto("btnAssistenteDriver"));
  // The window's zoom is taken when the program starts: the choice is kept for the next.
  CmbZoom->setObjectName(QStringLiteral("CmbZoom"));
  CmbZoom->setGeometry(lugarZoom);
  CmbZoom->setToolTip(texto("CmbZoom"));
  CmbZoom->addItem(texto("CmbZoomAutomatico"), 0);
  for (int valor : zoom::valores) CmbZoom->addItem(texto("CmbZoomPercentual").arg(valor), valor);
  connect(CmbZoom, &QComboBox::activated, this, [this](int indice) {
    ArquivoConfiguracao::instancia().setZoom(CmbZoom->itemData(indice).toInt());
  });
  setWindowTitle(QStringLiteral("Setup"));
  btnOK->setText(QStringLiteral("OK"));
  btnCancel->setText(QStringLiteral("Cancel"));

  // A device clicked, or chosen with the arrow keys, is switched to at once.
  connect(ListBoxDrivers, &QListWidget::itemClicked, this, &TFormSetup::ListBoxDriversClick);
  connect(ListBoxDrivers, &QListWidget::currentRowChanged, this, [this] {
    if (!selecionandoDriver) aplicarDriver();
  });
  connect(btnOK, &QPushButton::clicked, this, &TFormSetup::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TFormSetup::btnCancelClick);
  connect(btnAssistenteDriver, &QPushButton::clicked, this, &TFormSetup::btnAssistenteDriverClick);
  connect(CheckBoxSel, &QCheckBox::toggled, this, &TFormSetup::CheckBoxSelClick);
}

TFormSetup::~TFormSetup() = default;

QString TFormSetup::texto(const char *chave) const {
  return textoIdioma(secao, chave);
}

void TFormSetup::mostrarErro(const QString &mensagem, const QString &detalhe) {
  mensageiro(detalhe.isEmpty() ? mensagem : mensagem + QStringLiteral("\n\n") + detalhe,
             textoIdioma(QStringLiteral("geral"), "nomeAplicacao"));
}

void TFormSetup::showEvent(QShowEvent *evento) {
  QDialog::showEvent(evento);
  if (evento->spontaneous()) return;
  selecionarDriver(ArquivoConfiguracao::instancia().getDriver());
  CmbZoom->setCurrentIndex(
      std::max(0, CmbZoom->findData(ArquivoConfiguracao::instancia().getZoom())));
  TabEntrada->carregar();
  // Said once the dialog stands, so that the message box sits over it.
  if (!erroLista.isEmpty())
    QTimer::singleShot(0, this, [this] {
      if (isVisible()) mostrarErro(texto("erroListarDispositivos"), erroLista);
    });
}

void TFormSetup::selecionarDriver(int indice) {
  const QScopedValueRollback guarda(selecionandoDriver, true);
  if (indice >= 0 && indice < ListBoxDrivers->count()) {
    ListBoxDrivers->setCurrentRow(indice, QItemSelectionModel::ClearAndSelect);
  } else {
    ListBoxDrivers->clearSelection();
    ListBoxDrivers->setCurrentRow(-1);
  }
}

bool TFormSetup::aplicarDriver() {
  const QList<QListWidgetItem *> selecionados = ListBoxDrivers->selectedItems();
  const int indice = selecionados.isEmpty() ? -1 : ListBoxDrivers->row(selecionados.front());
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  if (indice == -1 || indice == configuracao.getDriver()) return true;

  SaidaMIDI &saida = SaidaMIDI::instancia();
  QString motivo;
  try {
    if (saida.abrirDispositivo(indice)) {
      configuracao.setDriver(indice);
      return true;
    }
    motivo = saida.getMotivoFalha();
  } catch (const std::exception &e) {
    motivo = QString::fromUtf8(e.what());
  }
  mostrarErro(
      texto("erroAbrirDispositivo").replace(QLatin1String("%1"), selecionados.front()->text()),
      motivo);
  // The attempt closed the device that was playing; the stored one goes back in its place,
  // so what is stored, selected and heard stay the same device.
  reabrirDriverGuardado();
  selecionarDriver(configuracao.getDriver());
  return false;
}

void TFormSetup::reabrirDriverGuardado() {
  const int guardado = ArquivoConfiguracao::instancia().getDriver();
  if (guardado < 0) return;
  SaidaMIDI &saida = SaidaMIDI::instancia();
  try {
    const TVxMidiOut &dispositivo = saida.getSaida();
    if (dispositivo.IsOpen() && dispositivo.DeviceId() == guardado) return;
    saida.abrirDispositivo(guardado);
  } catch (const std::exception &) {
    // It failed before, too; the next choice in the list says why.
  }
}

void TFormSetup::ListBoxDriversClick() {
  aplicarDriver();
}

void TFormSetup::btnOKClick() {
  if (aplicarDriver()) accept();
}

void TFormSetup::btnCancelClick() {
  reject();
}

void TFormSetup::btnAssistenteDriverClick() {
  if (!formAssistenteConfiguracaoDriver) return;
  const int resultado = formAssistenteConfiguracaoDriver->executar();
  if (resultado != -1) {
    selecionarDriver(resultado);
    aplicarDriver();
  }
  // The wizard leaves open the last device it tested, which need not be the stored one.
  reabrirDriverGuardado();
}

bool TFormSetup::todasMarcadas() const {
  for (const QCheckBox *caixa : caixas)
    if (caixa->isEnabledTo(this) && !caixa->isChecked()) return false;
  return true;
}

void TFormSetup::CheckBoxClick(int tag, bool marcada) {
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  try {
    if (marcada) {
      configuracao.setTrilhaAtiva(tag, true);
      if (todasMarcadas()) {
        tratarCliques = false;
        CheckBoxSel->setChecked(true);
        tratarCliques = true;
      }
      return;
    }
    configuracao.setTrilhaAtiva(tag, false);
    GerenciadorMusica &gerenciador = GerenciadorMusica::instancia();
    // Only the boxes of the open song's tracks are enabled; the others change only when the
    // program relabels them.
    if (const Musica *musica = gerenciador.getMusicaAtual();
        musica && tag < musica->getNumTrilhas()) {
      gerenciador.silenciarTrilha(tag);
      // Lights of the track still waiting for their beat's sound go too.
      if (musica->getTrilha(tag).isBateria()) Sequenciador::instancia().getAgendaKit().apagarTudo();
    }
    if (CheckBoxSel->isChecked()) {
      tratarCliques = false;
      CheckBoxSel->setChecked(false);
      tratarCliques = true;
    }
  } catch (const std::exception &e) {
    tratarCliques = true;
    mostrarErro(textoIdioma(QStringLiteral("frmPrincipal"), "msgPlacaDesconfigurada"),
                QString::fromUtf8(e.what()));
  }
}

void TFormSetup::CheckBoxSelClick() {
  if (!tratarCliques) return;
  const bool marcar = CheckBoxSel->isChecked();
  for (QCheckBox *caixa : caixas) {
    if (!caixa->isEnabledTo(this)) break;
    caixa->setChecked(marcar);
  }
}
