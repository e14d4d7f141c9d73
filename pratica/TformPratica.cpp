#include "pratica/TformPratica.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/TformResumo.h"
#include "playback/Sequenciador.h"
#include "setup/Fontes.h"

namespace {

const QString secao = QStringLiteral("frmPratica");

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(secao, QLatin1String(chave));
}

template <typename T>
T *criar(QWidget *pai, const char *nome) {
  auto *w = new T(pai);
  w->setObjectName(QLatin1String(nome));
  return w;
}

QSpinBox *criarSpin(QWidget *pai, const char *nome, int minimo, int maximo) {
  auto *spin = criar<QSpinBox>(pai, nome);
  spin->setRange(minimo, maximo);
  spin->setKeyboardTracking(false);
  return spin;
}

}  // namespace

TformPratica::TformPratica(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPratica"));
  setFont(fonteJanela(pixelsTexto));
  // Two columns: what comes before and around the song, then its speed and the judging.
  auto *janela = new QVBoxLayout(this);
  auto *colunas = new QHBoxLayout;
  janela->addLayout(colunas);
  auto *coluna = new QVBoxLayout;
  auto *segunda = new QVBoxLayout;
  colunas->addLayout(coluna);
  colunas->addLayout(segunda);

  grpContagem = criar<QGroupBox>(this, "grpContagem");
  auto *contagem = new QFormLayout(grpContagem);
  lblContagem = criar<QLabel>(grpContagem, "lblContagem");
  cmbContagem = criar<QComboBox>(grpContagem, "cmbContagem");
  cmbContagem->addItems({QString(), QString(), QString()});
  ckContagemNoLoop = criar<QCheckBox>(grpContagem, "ckContagemNoLoop");
  contagem->addRow(lblContagem, cmbContagem);
  contagem->addRow(ckContagemNoLoop);
  coluna->addWidget(grpContagem);

  grpClique = criar<QGroupBox>(this, "grpClique");
  auto *clique = new QFormLayout(grpClique);
  ckClique = criar<QCheckBox>(grpClique, "ckClique");
  ckColcheias = criar<QCheckBox>(grpClique, "ckColcheias");
  lblVolumeClique = criar<QLabel>(grpClique, "lblVolumeClique");
  sldVolumeClique = new QSlider(Qt::Horizontal, grpClique);
  sldVolumeClique->setObjectName(QStringLiteral("sldVolumeClique"));
  sldVolumeClique->setRange(0, 100);
  sldVolumeClique->setPageStep(10);
  clique->addRow(ckClique);
  clique->addRow(ckColcheias);
  clique->addRow(lblVolumeClique, sldVolumeClique);
  coluna->addWidget(grpClique);

  grpLoop = criar<QGroupBox>(this, "grpLoop");
  auto *loop = new QVBoxLayout(grpLoop);
  ckMarcasNasLinhas = criar<QCheckBox>(grpLoop, "ckMarcasNasLinhas");
  auto *linhaLoop = new QHBoxLayout;
  lblCompassosLoop = criar<QLabel>(grpLoop, "lblCompassosLoop");
  spnCompassosLoop = criarSpin(grpLoop, "spnCompassosLoop", 1, 64);
  btnLoopCompassos = criar<QPushButton>(grpLoop, "btnLoopCompassos");
  linhaLoop->addWidget(lblCompassosLoop);
  linhaLoop->addWidget(spnCompassosLoop);
  linhaLoop->addWidget(btnLoopCompassos, 1);
  loop->addWidget(ckMarcasNasLinhas);
  loop->addLayout(linhaLoop);
  coluna->addWidget(grpLoop);

  grpVelocidade = criar<QGroupBox>(this, "grpVelocidade");
  auto *velocidade = new QFormLayout(grpVelocidade);
  lblVelocidade = criar<QLabel>(grpVelocidade, "lblVelocidade");
  const int minimo = Sequenciador::velocidadeMinima;
  const int maximo = Sequenciador::velocidadeMaxima;
  spnVelocidade = criarSpin(grpVelocidade, "spnVelocidade", minimo, maximo);
  ckTreinador = criar<QCheckBox>(grpVelocidade, "ckTreinador");
  lblInicio = criar<QLabel>(grpVelocidade, "lblInicio");
  spnInicio = criarSpin(grpVelocidade, "spnInicio", minimo, maximo);
  lblPasso = criar<QLabel>(grpVelocidade, "lblPasso");
  spnPasso = criarSpin(grpVelocidade, "spnPasso", 1, 50);
  lblPasses = criar<QLabel>(grpVelocidade, "lblPasses");
  spnPasses = criarSpin(grpVelocidade, "spnPasses", 1, 99);
  lblAlvo = criar<QLabel>(grpVelocidade, "lblAlvo");
  spnAlvo = criarSpin(grpVelocidade, "spnAlvo", minimo, maximo);
  velocidade->addRow(lblVelocidade, spnVelocidade);
  velocidade->addRow(ckTreinador);
  velocidade->addRow(lblInicio, spnInicio);
  velocidade->addRow(lblPasso, spnPasso);
  velocidade->addRow(lblPasses, spnPasses);
  velocidade->addRow(lblAlvo, spnAlvo);
  segunda->addWidget(grpVelocidade);

  grpJulgamento = criar<QGroupBox>(this, "grpJulgamento");
  auto *julgar = new QFormLayout(grpJulgamento);
  lblRigor = criar<QLabel>(grpJulgamento, "lblRigor");
  cmbRigor = criar<QComboBox>(grpJulgamento, "cmbRigor");
  cmbRigor->addItems({QString(), QString(), QString()});
  lblLatencia = criar<QLabel>(grpJulgamento, "lblLatencia");
  lblValorLatencia = criar<QLabel>(grpJulgamento, "lblValorLatencia");
  btnCalibrar = criar<QPushButton>(grpJulgamento, "btnCalibrar");
  auto *linhaLatencia = new QHBoxLayout;
  linhaLatencia->addWidget(lblValorLatencia, 1);
  linhaLatencia->addWidget(btnCalibrar);
  lblAtrasoVisual = criar<QLabel>(grpJulgamento, "lblAtrasoVisual");
  spnAtrasoVisual =
      criarSpin(grpJulgamento, "spnAtrasoVisual", 0, AjustesJulgamento::atrasoVisualMaximoMs);
  btnResumo = criar<QPushButton>(grpJulgamento, "btnResumo");
  btnTake = criar<QPushButton>(grpJulgamento, "btnTake");
  auto *linhaBotoes = new QHBoxLayout;
  linhaBotoes->addWidget(btnResumo);
  linhaBotoes->addWidget(btnTake);
  julgar->addRow(lblRigor, cmbRigor);
  julgar->addRow(lblLatencia, linhaLatencia);
  julgar->addRow(lblAtrasoVisual, spnAtrasoVisual);
  julgar->addRow(linhaBotoes);
  segunda->addWidget(grpJulgamento);
  segunda->addStretch(1);

  btnFechar = criar<QPushButton>(this, "btnFechar");
  janela->addWidget(btnFechar, 0, Qt::AlignRight);

  for (QCheckBox *caixa : {ckContagemNoLoop, ckClique, ckColcheias, ckMarcasNasLinhas, ckTreinador})
    connect(caixa, &QCheckBox::toggled, this, &TformPratica::alterado);
  for (QSpinBox *spin : {spnCompassosLoop, spnInicio, spnPasso, spnPasses, spnAlvo})
    connect(spin, &QSpinBox::valueChanged, this, &TformPratica::alterado);
  connect(cmbContagem, &QComboBox::currentIndexChanged, this, &TformPratica::alterado);
  connect(sldVolumeClique, &QSlider::valueChanged, this, &TformPratica::alterado);
  connect(spnVelocidade, &QSpinBox::valueChanged, this, [this](int valor) {
    if (!mostrando) emit velocidadeAlterada(valor);
  });
  connect(btnLoopCompassos, &QPushButton::clicked, this,
          [this] { emit loopPedido(spnCompassosLoop->value()); });
  const auto julgamentoMudou = [this] {
    if (mostrando) return;
    julgamento.rigor = static_cast<Rigor>(cmbRigor->currentIndex());
    julgamento.atrasoVisualMs = spnAtrasoVisual->value();
    emit julgamentoAlterado(julgamento);
  };
  connect(cmbRigor, &QComboBox::currentIndexChanged, this, julgamentoMudou);
  connect(spnAtrasoVisual, &QSpinBox::valueChanged, this, julgamentoMudou);
  connect(btnCalibrar, &QPushButton::clicked, this, &TformPratica::calibracaoPedida);
  connect(btnResumo, &QPushButton::clicked, this, &TformPratica::resumoPedido);
  connect(btnTake, &QPushButton::clicked, this, &TformPratica::takePedido);
  connect(btnFechar, &QPushButton::clicked, this, &QDialog::close);
}

void TformPratica::aplicarIdioma() {
  setWindowTitle(texto("Caption"));
  grpContagem->setTitle(texto("grpContagem"));
  lblContagem->setText(texto("lblContagem"));
  const char *itens[] = {"contagem0", "contagem1", "contagem2"};
  for (int i = 0; i < 3; ++i) cmbContagem->setItemText(i, texto(itens[i]));
  ckContagemNoLoop->setText(texto("ckContagemNoLoop"));
  grpClique->setTitle(texto("grpClique"));
  ckClique->setText(texto("ckCliqueTempos"));
  ckColcheias->setText(texto("ckColcheias"));
  lblVolumeClique->setText(texto("lblVolumeClique"));
  grpLoop->setTitle(texto("grpLoop"));
  ckMarcasNasLinhas->setText(texto("ckMarcasNasLinhas"));
  lblCompassosLoop->setText(texto("lblCompassosLoop"));
  btnLoopCompassos->setText(texto("btnLoopCompassos"));
  grpVelocidade->setTitle(texto("grpVelocidade"));
  lblVelocidade->setText(texto("lblVelocidadeMusica"));
  ckTreinador->setText(texto("ckTreinador"));
  lblInicio->setText(texto("lblInicio"));
  lblPasso->setText(texto("lblPasso"));
  lblPasses->setText(texto("lblPasses"));
  lblAlvo->setText(texto("lblAlvo"));
  for (QSpinBox *spin : {spnVelocidade, spnInicio, spnPasso, spnAlvo})
    spin->setSuffix(QStringLiteral(" %"));
  grpJulgamento->setTitle(texto("grpJulgamento"));
  lblRigor->setText(texto("lblRigor"));
  const char *rigores[] = {"rigorEstrito", "rigorNormal", "rigorFolgado"};
  for (int i = 0; i < 3; ++i) cmbRigor->setItemText(i, texto(rigores[i]));
  lblLatencia->setText(texto("lblLatencia"));
  btnCalibrar->setText(texto("btnCalibrar"));
  lblAtrasoVisual->setText(texto("lblAtrasoVisual"));
  spnAtrasoVisual->setSuffix(QStringLiteral(" ms"));
  btnResumo->setText(texto("btnResumo"));
  btnTake->setText(texto("btnTake"));
  mostrarJulgamento(julgamento);
  btnFechar->setText(texto("btnFechar"));
  adjustSize();
}

void TformPratica::mostrarJulgamento(const AjustesJulgamento &ajustes) {
  mostrando = true;
  julgamento = ajustes;
  cmbRigor->setCurrentIndex(static_cast<int>(ajustes.rigor));
  lblValorLatencia->setText(TformResumo::formatarDesvio(ajustes.latenciaEntradaMs));
  spnAtrasoVisual->setValue(ajustes.atrasoVisualMs);
  mostrando = false;
}

void TformPratica::mostrar(const AjustesPratica &a, int velocidade) {
  mostrando = true;
  cmbContagem->setCurrentIndex(a.contagem);
  ckContagemNoLoop->setChecked(a.contagemNoLoop);
  ckClique->setChecked(a.clique);
  ckColcheias->setChecked(a.cliqueColcheias);
  sldVolumeClique->setValue(a.volumeClique);
  ckMarcasNasLinhas->setChecked(a.marcasNasLinhas);
  spnCompassosLoop->setValue(a.compassosLoop);
  spnVelocidade->setValue(velocidade);
  ckTreinador->setChecked(a.treinador.ativo);
  spnInicio->setValue(a.treinador.inicio);
  spnPasso->setValue(a.treinador.passo);
  spnPasses->setValue(a.treinador.passes);
  spnAlvo->setValue(a.treinador.alvo);
  for (QWidget *w : std::initializer_list<QWidget *>{lblInicio, spnInicio, lblPasso, spnPasso,
                                                     lblPasses, spnPasses, lblAlvo, spnAlvo})
    w->setEnabled(a.treinador.ativo);
  ckColcheias->setEnabled(a.clique);
  mostrando = false;
}

void TformPratica::setComMusica(bool comMusica) {
  btnLoopCompassos->setEnabled(comMusica);
}

AjustesPratica TformPratica::lidos() const {
  AjustesPratica a;
  a.contagem = cmbContagem->currentIndex();
  a.contagemNoLoop = ckContagemNoLoop->isChecked();
  a.clique = ckClique->isChecked();
  a.cliqueColcheias = ckColcheias->isChecked();
  a.volumeClique = sldVolumeClique->value();
  a.marcasNasLinhas = ckMarcasNasLinhas->isChecked();
  a.compassosLoop = spnCompassosLoop->value();
  a.treinador.ativo = ckTreinador->isChecked();
  a.treinador.inicio = spnInicio->value();
  a.treinador.passo = spnPasso->value();
  a.treinador.passes = spnPasses->value();
  a.treinador.alvo = spnAlvo->value();
  return a;
}

void TformPratica::alterado() {
  if (mostrando) return;
  const AjustesPratica a = lidos();
  mostrar(a, spnVelocidade->value());
  emit ajustesAlterados(a);
}
