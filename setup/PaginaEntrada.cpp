#include "setup/PaginaEntrada.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "entrada/KitEletronico.h"
#include "entrada/MapaNotas.h"

namespace {

const QString secao = QStringLiteral("frmSetup");
const QString mapaPersonalizado = QLatin1String(nomeMapaPersonalizado);

// The presets by the names their makers give the module families, the same in every
// language.
struct Preset {
  PresetMapa preset;
  const char *nome;
};
constexpr Preset presets[] = {
    {PresetMapa::generalMidi, "General MIDI"},
    {PresetMapa::roland, "Roland V-Drums (TD)"},
    {PresetMapa::alesis, "Alesis (Nitro, Surge, Strike)"},
    {PresetMapa::yamaha, "Yamaha DTX"},
};

// The page, in pixels: a column of labels with the drop-downs beside them, the learning's
// state beside its button, the spin boxes at the right edge under them, so that the long
// labels of the thresholds keep the page's width.
constexpr int margem = 4;
constexpr int larguraRotulo = 86;
constexpr int colunaCampo = 92;
constexpr int direita = 266;
constexpr int alturaCampo = 22;
constexpr int larguraSpin = 56;
constexpr int linhaDispositivo = 6;
constexpr int linhaMapa = 32;
constexpr int linhaPeca = 58;
constexpr QRect lugarEstado(margem, 84, 192, 30);
constexpr QRect lugarAprender(200, 87, direita - 200, 24);
constexpr int linhaVelocidade = 118;
constexpr int linhaChimbal = 142;
constexpr QRect lugarInvertido(margem, 166, direita - margem, 17);
constexpr QRect lugarGuarda(margem, 184, direita - margem, 17);

QString texto(const QString &chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, chave);
}
QString texto(const char *chave) {
  return texto(QLatin1String(chave));
}

// A hint of a sentence or two, as rich text so that its box wraps it instead of running it
// across the screen.
QString dica(const QString &texto) {
  return QStringLiteral("<p>%1</p>").arg(texto.toHtmlEscaped());
}

// "pecaBumbo" for bumbo.
QString nomePeca(PecaBateria peca) {
  QString palavra = QLatin1String(descricaoPeca(peca).chave);
  palavra[0] = palavra[0].toUpper();
  return texto(QStringLiteral("peca") + palavra);
}

// The piece's name kept on one line when the state's text wraps ("Hi-hat closed"): its
// blanks and hyphens become their non-breaking forms.
QString nomeInteiro(PecaBateria peca) {
  return nomePeca(peca)
      .replace(QLatin1Char(' '), QChar(0x00A0))
      .replace(QLatin1Char('-'), QChar(0x2011));
}

template <class T>
T *criar(QWidget *pai, const char *nome, const QRect &lugar) {
  auto *controle = new T(pai);
  controle->setObjectName(QLatin1String(nome));
  controle->setGeometry(lugar);
  return controle;
}

QLabel *criarRotulo(QWidget *pai, const char *nome, int linha, int largura) {
  auto *rotulo = criar<QLabel>(pai, nome, {margem, linha, largura, alturaCampo});
  rotulo->setTextFormat(Qt::PlainText);
  rotulo->setText(texto(nome));
  return rotulo;
}

QSpinBox *criarSpin(QWidget *pai, const char *nome, int linha, int minimo) {
  auto *spin = criar<QSpinBox>(pai, nome, {direita - larguraSpin, linha, larguraSpin, alturaCampo});
  spin->setRange(minimo, 127);
  // A typed number counts once it is complete (Enter, or the focus leaves), not per digit.
  spin->setKeyboardTracking(false);
  spin->setToolTip(dica(texto(nome)));
  return spin;
}

}  // namespace

PaginaEntrada::PaginaEntrada(QWidget *parent)
    : QWidget(parent),
      lblDispositivoEntrada(
          criarRotulo(this, "lblDispositivoEntrada", linhaDispositivo, larguraRotulo)),
      CmbDispositivoEntrada(
          criar<QComboBox>(this, "CmbDispositivoEntrada",
                           {colunaCampo, linhaDispositivo, direita - colunaCampo, alturaCampo})),
      lblMapaNotas(criarRotulo(this, "lblMapaNotas", linhaMapa, larguraRotulo)),
      CmbMapaNotas(criar<QComboBox>(this, "CmbMapaNotas",
                                    {colunaCampo, linhaMapa, direita - colunaCampo, alturaCampo})),
      lblPecaAprender(criarRotulo(this, "lblPecaAprender", linhaPeca, larguraRotulo)),
      CmbPecaAprender(criar<QComboBox>(
          this, "CmbPecaAprender", {colunaCampo, linhaPeca, direita - colunaCampo, alturaCampo})),
      btnAprender(criar<QPushButton>(this, "btnAprender", lugarAprender)),
      lblAprender(criar<QLabel>(this, "lblAprender", lugarEstado)),
      lblVelocidadeMinima(criarRotulo(this, "lblVelocidadeMinima", linhaVelocidade,
                                      direita - larguraSpin - margem - margem)),
      SpinVelocidadeMinima(criarSpin(this, "SpinVelocidadeMinima", linhaVelocidade, 1)),
      lblLimiarChimbal(criarRotulo(this, "lblLimiarChimbal", linhaChimbal,
                                   direita - larguraSpin - margem - margem)),
      SpinLimiarChimbal(criarSpin(this, "SpinLimiarChimbal", linhaChimbal, 0)),
      ckChimbalInvertido(criar<QCheckBox>(this, "ckChimbalInvertido", lugarInvertido)),
      ckGuardaCruzada(criar<QCheckBox>(this, "ckGuardaCruzada", lugarGuarda)) {
  setObjectName(QStringLiteral("TabEntrada"));
  lblDispositivoEntrada->setBuddy(CmbDispositivoEntrada);
  lblMapaNotas->setBuddy(CmbMapaNotas);
  lblPecaAprender->setBuddy(CmbPecaAprender);
  CmbMapaNotas->setToolTip(texto("CmbMapaNotas"));
  btnAprender->setAutoDefault(false);
  lblAprender->setTextFormat(Qt::PlainText);
  lblAprender->setWordWrap(true);
  lblAprender->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  ckChimbalInvertido->setText(texto("ckChimbalInvertido"));
  ckGuardaCruzada->setText(texto("ckGuardaCruzadaText"));
  ckGuardaCruzada->setToolTip(dica(texto("ckGuardaCruzada")));
  for (std::size_t i = 0; i < pecasBateria.size(); ++i)
    CmbPecaAprender->addItem(nomePeca(static_cast<PecaBateria>(i)), static_cast<int>(i));

  // A long port name is cut in the box; its hint shows it whole.
  connect(CmbDispositivoEntrada, &QComboBox::currentTextChanged, CmbDispositivoEntrada,
          &QWidget::setToolTip);
  // Only the user's picks change a setting; the program's filling of the lists does not.
  connect(CmbDispositivoEntrada, &QComboBox::activated, this,
          &PaginaEntrada::CmbDispositivoEntradaChange);
  connect(CmbMapaNotas, &QComboBox::activated, this, &PaginaEntrada::CmbMapaNotasChange);
  connect(btnAprender, &QPushButton::clicked, this, &PaginaEntrada::btnAprenderClick);
  connect(SpinVelocidadeMinima, &QSpinBox::valueChanged, this, &PaginaEntrada::ajustesChange);
  connect(SpinLimiarChimbal, &QSpinBox::valueChanged, this, &PaginaEntrada::ajustesChange);
  connect(ckChimbalInvertido, &QCheckBox::toggled, this, &PaginaEntrada::ajustesChange);
  connect(ckGuardaCruzada, &QCheckBox::toggled, this, &PaginaEntrada::ajustesChange);
  carregar();
}

PaginaEntrada::~PaginaEntrada() {
  if (aprendendo && kit) kit->cancelarAprendizado();
}

void PaginaEntrada::setKitEletronico(KitEletronico *outro) {
  if (aprendendo) terminarAprendizado();
  kit = outro;
}

void PaginaEntrada::carregar() {
  if (aprendendo) terminarAprendizado();
  const AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  carregando = true;
  listarDispositivos(ajustes.dispositivo);
  listarMapas(ajustes);
  SpinVelocidadeMinima->setValue(ajustes.velocidadeMinima);
  SpinLimiarChimbal->setValue(ajustes.limiarChimbal);
  ckChimbalInvertido->setChecked(ajustes.chimbalInvertido);
  ckGuardaCruzada->setChecked(ajustes.guardaCruzada);
  carregando = false;
  mostrarEstadoAprendizado();
}

void PaginaEntrada::listarDispositivos(const QString &guardado) {
  CmbDispositivoEntrada->clear();
  CmbDispositivoEntrada->addItem(texto("nenhumaEntrada"), QString());
  // A port without a name could not be found again at the next start.
  if (kit)
    for (const QString &nome : kit->listarDispositivos())
      if (!nome.isEmpty()) CmbDispositivoEntrada->addItem(nome, nome);
  // The kit opens the exact name, else the first port whose name holds it; the list shows
  // the same port.
  int indice = CmbDispositivoEntrada->findData(guardado);
  for (int i = 1; indice < 0 && i < CmbDispositivoEntrada->count(); ++i)
    if (CmbDispositivoEntrada->itemData(i).toString().contains(guardado)) indice = i;
  // A kit unplugged now is still the drummer's choice: shown, and opened at a later start.
  if (indice < 0) {
    CmbDispositivoEntrada->addItem(texto("entradaAusente").replace(QLatin1String("%1"), guardado),
                                   guardado);
    indice = CmbDispositivoEntrada->count() - 1;
  }
  CmbDispositivoEntrada->setCurrentIndex(indice);
}

void PaginaEntrada::listarMapas(const AjustesEntrada &ajustes) {
  CmbMapaNotas->clear();
  for (const Preset &p : presets)
    CmbMapaNotas->addItem(QLatin1String(p.nome), MapaNotas::nomeDoPreset(p.preset));
  const bool personalizado = ajustes.mapa.compare(mapaPersonalizado, Qt::CaseInsensitive) == 0;
  // The taught map is offered once there is one, also while a preset is in use.
  if (personalizado || !ajustes.notas.isEmpty())
    CmbMapaNotas->addItem(texto("mapaPersonalizado"), mapaPersonalizado);
  const auto preset = MapaNotas::presetDoNome(ajustes.mapa);
  const QString palavra = personalizado
                              ? mapaPersonalizado
                              : MapaNotas::nomeDoPreset(preset.value_or(PresetMapa::generalMidi));
  CmbMapaNotas->setCurrentIndex(std::max(0, CmbMapaNotas->findData(palavra)));
}

bool PaginaEntrada::guardarEAplicar(const AjustesEntrada &ajustes) {
  ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
  return !kit || kit->aplicar(ajustes);
}

void PaginaEntrada::CmbDispositivoEntradaChange() {
  AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  const QString nome = CmbDispositivoEntrada->currentData().toString();
  // Picking the stored device again tries it again when it is not open (plugged in since).
  if (nome == ajustes.dispositivo && (!kit || nome.isEmpty() || kit->isAberto())) return;
  ajustes.dispositivo = nome;
  // Kept even when it cannot be opened now, as the kit keeps it: it opens at a later start.
  if (!guardarEAplicar(ajustes) && !nome.isEmpty() && avisarErro)
    avisarErro(texto("erroAbrirEntrada").replace(QLatin1String("%1"), nome));
  mostrarEstadoAprendizado();
}

void PaginaEntrada::CmbMapaNotasChange() {
  AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  ajustes.mapa = CmbMapaNotas->currentData().toString();
  guardarEAplicar(ajustes);
}

void PaginaEntrada::ajustesChange() {
  if (carregando) return;
  AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  ajustes.velocidadeMinima = SpinVelocidadeMinima->value();
  ajustes.limiarChimbal = SpinLimiarChimbal->value();
  ajustes.chimbalInvertido = ckChimbalInvertido->isChecked();
  ajustes.guardaCruzada = ckGuardaCruzada->isChecked();
  // A device that does not open was told when it was chosen; the thresholds are kept.
  guardarEAplicar(ajustes);
}

void PaginaEntrada::btnAprenderClick() {
  if (aprendendo) {
    terminarAprendizado();
    mostrarEstadoAprendizado();
    return;
  }
  if (!kit) return;
  const auto peca = static_cast<PecaBateria>(CmbPecaAprender->currentData().toInt());
  aprendendo = true;
  btnAprender->setText(texto("btnAprenderCancelar"));
  btnAprender->setToolTip(texto("btnAprenderCancelar"));
  lblAprender->setText(texto("aguardandoGolpe").replace(QLatin1String("%1"), nomeInteiro(peca)));
  CmbDispositivoEntrada->setEnabled(false);
  CmbMapaNotas->setEnabled(false);
  CmbPecaAprender->setEnabled(false);
  // The page cancels learning when it is hidden or destroyed; the guard covers a call that
  // comes all the same.
  kit->aprender(peca, [pagina = QPointer<PaginaEntrada>(this), peca](int nota) {
    if (pagina) pagina->aprendeu(peca, nota);
  });
}

void PaginaEntrada::aprendeu(PecaBateria peca, int nota) {
  if (!aprendendo) return;
  aprendendo = false;
  // The kit has taken the note into its map and plays by it already; the configuration
  // keeps the map for the next start.
  AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  ajustes.mapa = mapaPersonalizado;
  if (kit) ajustes.notas = kit->getMapa().paraTexto();
  ArquivoConfiguracao::instancia().setAjustesEntrada(ajustes);
  listarMapas(ajustes);
  mostrarEstadoAprendizado();
  lblAprender->setText(texto("aprendeuNota")
                           .replace(QLatin1String("%1"), QString::number(nota))
                           .replace(QLatin1String("%2"), nomeInteiro(peca)));
}

void PaginaEntrada::terminarAprendizado() {
  aprendendo = false;
  if (kit) kit->cancelarAprendizado();
}

void PaginaEntrada::mostrarEstadoAprendizado() {
  // Learning waits for a hit, which only an open input can bring.
  const bool podeAprender = kit && kit->isAberto();
  btnAprender->setText(texto("btnAprender"));
  btnAprender->setToolTip(texto("btnAprender"));
  btnAprender->setEnabled(podeAprender);
  CmbPecaAprender->setEnabled(podeAprender);
  CmbDispositivoEntrada->setEnabled(true);
  CmbMapaNotas->setEnabled(true);
  lblAprender->setText(texto(podeAprender ? "lblAprender" : "lblAprenderSemEntrada"));
}

void PaginaEntrada::hideEvent(QHideEvent *evento) {
  QWidget::hideEvent(evento);
  if (aprendendo) {
    terminarAprendizado();
    mostrarEstadoAprendizado();
  }
}
