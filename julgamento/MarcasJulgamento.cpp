#include "julgamento/MarcasJulgamento.h"

#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "config/GerenciadorIdiomas.h"
#include "julgamento/TformResumo.h"
#include "setup/Fontes.h"
#include "ui/PainelInstrumento.h"

namespace {

QString texto(const char *chave) {
  return GerenciadorIdiomas::instancia().getTexto(QStringLiteral("frmPrincipal"),
                                                  QLatin1String(chave));
}

// Shown where a figure has nothing to be taken from yet, such as a mean with no hit on a note.
const QString semValor = QStringLiteral("–");

// Repaints of a fading badge: 25 a second.
constexpr int intervaloQuadroMs = 40;

// Badges: the height of a pill, the extra hit's disc and the missed note's ring, across.
constexpr int alturaMarca = 22;
constexpr int diametroExtra = 18;
constexpr int diametroAnel = 30;
// The readout's distance from the panel's edges, and its padding.
constexpr int margemLeitura = 6;
constexpr int folgaLeituraX = 8;
constexpr int folgaLeituraY = 5;

// A picture's pixels with less opacity than this are not part of what it draws.
constexpr int alfaDesenhado = 64;

// The colours help; the shapes and texts carry the verdict.
const QColor corNoTempo(30, 122, 70);
const QColor corAdiantado(28, 94, 190);
const QColor corAtrasado(190, 88, 0);
const QColor corExtra(105, 105, 105);
const QColor corPerdido(205, 40, 70);
const QColor corContorno(15, 15, 20);
const QColor corFundoLeitura(18, 18, 24, 225);

QFont fonteMarca() {
  return fonteJanela(12, true);
}

// modelo with its %1 replaced by valor; valor alone while no language gave the text.
QString preencher(const QString &modelo, const QString &valor) {
  return modelo.contains(QLatin1String("%1")) ? modelo.arg(valor) : valor;
}

// The kit picture a piece's badge sits on: among the pictures its note shows, the lit piece
// first, then the stick that strikes it (the rim and the open hi-hat light no piece), then
// any other.
std::optional<FiguraBateria> figuraDaPeca(PecaBateria peca) {
  if (peca == PecaBateria::nenhuma) return std::nullopt;
  const std::span<const MudancaFigura> mudancas =
      MapaBateria::mudancasAcender(descricaoPeca(peca).nota);
  auto visivelEm = [&](std::span<const FiguraBateria> grupo) -> std::optional<FiguraBateria> {
    for (const MudancaFigura &m : mudancas)
      if (m.visivel && std::find(grupo.begin(), grupo.end(), m.figura) != grupo.end())
        return m.figura;
    return std::nullopt;
  };
  if (auto figura = visivelEm(MapaBateria::pecas())) return figura;
  if (auto figura = visivelEm(MapaBateria::baquetas())) return figura;
  for (const MudancaFigura &m : mudancas)
    if (m.visivel) return m.figura;
  return std::nullopt;
}

// The bounding box of the pixels a bitmap draws within its first `tamanho` pixels; the
// whole of it when it draws none. The hi-hat's picture, for one, is as tall as its stand but
// draws only its cymbals.
QRect partesDesenhadas(const QPixmap &pixmap, QSize tamanho) {
  const QRect inteiro(QPoint(0, 0), tamanho);
  if (pixmap.isNull()) return inteiro;
  const QImage imagem =
      pixmap.toImage().copy(inteiro).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  int esquerda = imagem.width(), topo = imagem.height(), direita = -1, base = -1;
  for (int y = 0; y < imagem.height(); ++y) {
    const auto *linha = reinterpret_cast<const QRgb *>(imagem.constScanLine(y));
    for (int x = 0; x < imagem.width(); ++x) {
      if (qAlpha(linha[x]) < alfaDesenhado) continue;
      esquerda = std::min(esquerda, x);
      direita = std::max(direita, x);
      topo = std::min(topo, y);
      base = std::max(base, y);
    }
  }
  if (direita < 0) return inteiro;
  return QRect(QPoint(esquerda, topo), QPoint(direita, base));
}

// Strokes path twice, wide and dark then narrower in cor, so it reads on light and dark
// artwork alike.
void tracarContornado(QPainter &pintor, const QPainterPath &caminho, const QColor &cor,
                      double largura) {
  pintor.setBrush(Qt::NoBrush);
  pintor.setPen(QPen(corContorno, largura + 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  pintor.drawPath(caminho);
  pintor.setPen(QPen(cor, largura, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  pintor.drawPath(caminho);
}

// A solid rounded shape in cor with a white line inside a dark one around it.
void pintarFundo(QPainter &pintor, const QRectF &area, const QColor &cor) {
  const QRectF forma = area.adjusted(1.5, 1.5, -1.5, -1.5);
  const double raio = std::min(forma.height(), forma.width()) / 2;
  pintor.setPen(QPen(corContorno, 3.5));
  pintor.setBrush(Qt::NoBrush);
  pintor.drawRoundedRect(forma, raio, raio);
  pintor.setPen(QPen(Qt::white, 1.5));
  pintor.setBrush(cor);
  pintor.drawRoundedRect(forma, raio, raio);
}

// A solid triangle, 8 pixels wide and 10 high, pointing left or right from ponta.
void pintarSeta(QPainter &pintor, QPointF ponta, bool paraEsquerda) {
  const double recuo = paraEsquerda ? 8 : -8;
  const QPointF pontos[] = {ponta, ponta + QPointF(recuo, -5), ponta + QPointF(recuo, 5)};
  pintor.setPen(Qt::NoPen);
  pintor.setBrush(Qt::white);
  pintor.drawPolygon(pontos, 3);
}

}  // namespace

MarcasJulgamento::MarcasJulgamento(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("marcasJulgamento"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  relogio = new QTimer(this);
  relogio->setInterval(intervaloQuadroMs);
  connect(relogio, &QTimer::timeout, this, &MarcasJulgamento::passarTempo);
  if (parent) {
    setGeometry(parent->rect());
    parent->installEventFilter(this);
    raise();
    show();
  }
}

std::vector<std::pair<PecaBateria, ClasseGolpe>> MarcasJulgamento::getMarcas() const {
  std::vector<std::pair<PecaBateria, ClasseGolpe>> vivas;
  for (const Marca &m : marcas) vivas.emplace_back(m.peca, m.classe);
  return vivas;
}

QString MarcasJulgamento::getTextoLeitura() const {
  return leituraVisivel ? linhasLeitura.join(u'\n') : QString();
}

std::optional<QPoint> MarcasJulgamento::lugarMarca(PecaBateria peca) const {
  const std::optional<FiguraBateria> figura = figuraDaPeca(peca);
  if (!figura) return std::nullopt;
  return centroFigura(*figura);
}

// On the kit's panel the picture's place and bitmap are the panel's; elsewhere the place is
// the artwork's and the badge goes to its middle.
QPoint MarcasJulgamento::centroFigura(FiguraBateria figura) const {
  const DescricaoFigura &d = descricaoFigura(figura);
  QRect lugar(d.esquerda, d.topo, d.largura, d.altura);
  const auto *painel = qobject_cast<const PainelInstrumento *>(parentWidget());
  const int indice = painel ? painel->indiceFigura(QLatin1String(d.nome)) : -1;
  if (indice < 0) return lugar.center();
  lugar = painel->geometriaFigura(indice);
  std::optional<QPoint> &centro = centros[static_cast<std::size_t>(figura)];
  if (!centro) centro = partesDesenhadas(painel->pixmapFigura(indice), lugar.size()).center();
  return lugar.topLeft() + *centro;
}

void MarcasJulgamento::aplicarIdioma() {
  textoPasse = texto("julgPasse");
  textoNoTempo = texto("julgNoTempo");
  textoMedia = texto("julgMedia");
  textoAdiantado = texto("julgAdiantado");
  textoAtrasado = texto("julgAtrasado");
  atualizarLeitura();
}

void MarcasJulgamento::mostrar(const Julgamento &julgamento) {
  if (!leituraVisivel) {
    leituraVisivel = true;
    atualizarLeitura();
  }
  const std::optional<QPoint> centro = lugarMarca(julgamento.peca);
  if (!centro) return;
  // The class gives the sign: an offset that rounds to 0 ms is still early or late.
  QString desvio;
  const QString valor = QString::number(std::lround(std::abs(julgamento.desvioMs)));
  if (julgamento.classe == ClasseGolpe::adiantado) desvio = QStringLiteral("−") + valor;
  if (julgamento.classe == ClasseGolpe::atrasado) desvio = QStringLiteral("+") + valor;
  const QRect area = areaMarca(julgamento.classe, desvio, *centro);

  // A badge that would cover another takes its place: the same piece hit again, or a piece
  // drawn close to it, such as the rim by the snare.
  QRegion sujo(area);
  std::erase_if(marcas, [&](const Marca &m) {
    const bool coberta = m.peca == julgamento.peca || m.area.intersects(area);
    if (coberta) sujo += m.area;
    return coberta;
  });
  marcas.push_back({julgamento.peca, julgamento.classe, desvio, area, Relogio::now()});
  update(sujo);
  if (!relogio->isActive()) relogio->start();
}

void MarcasJulgamento::mostrarPasse(const ResumoPasse &passe_) {
  passe = passe_;
  if (passe.numero != 0) numeroPasse = passe.numero;
  atualizarLeitura();
}

void MarcasJulgamento::setNumeroPasse(int numero) {
  numeroPasse = numero;
  atualizarLeitura();
}

void MarcasJulgamento::limpar() {
  QRegion sujo(areaLeitura());
  for (const Marca &m : marcas) sujo += m.area;
  marcas.clear();
  relogio->stop();
  leituraVisivel = false;
  passe = ResumoPasse();
  update(sujo);
}

bool MarcasJulgamento::eventFilter(QObject *objeto, QEvent *evento) {
  if (objeto == parentWidget() && evento->type() == QEvent::Resize)
    setGeometry(parentWidget()->rect());
  return QWidget::eventFilter(objeto, evento);
}

// The badge's box around centro, kept inside the panel: a pill with the arrow and the offset
// for early and late hits, a round one for on time, a small disc for an extra hit and a
// ring for a missed note.
QRect MarcasJulgamento::areaMarca(ClasseGolpe classe, const QString &texto, QPoint centro) const {
  QSize tamanho(alturaMarca, alturaMarca);
  if (classe == ClasseGolpe::extra) tamanho = QSize(diametroExtra, diametroExtra);
  if (classe == ClasseGolpe::perdido) tamanho = QSize(diametroAnel, diametroAnel);
  if (!texto.isEmpty())
    tamanho.setWidth(6 + 8 + 4 + QFontMetrics(fonteMarca()).horizontalAdvance(texto) + 8);
  QRect area(QPoint(0, 0), tamanho);
  area.moveCenter(centro);
  if (rect().width() >= area.width() && rect().height() >= area.height()) {
    area.moveLeft(std::clamp(area.left(), 0, width() - area.width()));
    area.moveTop(std::clamp(area.top(), 0, height() - area.height()));
  }
  return area;
}

void MarcasJulgamento::paintEvent(QPaintEvent *) {
  QPainter pintor(this);
  pintor.setRenderHint(QPainter::Antialiasing);
  if (leituraVisivel) pintarLeitura(pintor);
  for (const Marca &m : marcas) pintarMarca(pintor, m);
}

void MarcasJulgamento::pintarMarca(QPainter &pintor, const Marca &marca) const {
  using std::chrono::duration;
  const double idade = duration<double, std::milli>(Relogio::now() - marca.inicio).count();
  const double inteiro = duration<double, std::milli>(tempoInteiro).count();
  const double vida = duration<double, std::milli>(tempoVida).count();
  pintor.setOpacity(std::clamp((vida - idade) / (vida - inteiro), 0.0, 1.0));

  const QRectF area = marca.area;
  const QPointF c = area.center();
  switch (marca.classe) {
    case ClasseGolpe::noTempo: {
      pintarFundo(pintor, area, corNoTempo);
      QPainterPath visto;
      visto.moveTo(c + QPointF(-5, 0.5));
      visto.lineTo(c + QPointF(-1.5, 4));
      visto.lineTo(c + QPointF(5, -4));
      pintor.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      pintor.setBrush(Qt::NoBrush);
      pintor.drawPath(visto);
      break;
    }
    case ClasseGolpe::adiantado:
    case ClasseGolpe::atrasado: {
      // Early points to the left, where the offsets histogram puts it; late to the right,
      // the arrow at the end the time runs to.
      const bool adiantado = marca.classe == ClasseGolpe::adiantado;
      pintarFundo(pintor, area, adiantado ? corAdiantado : corAtrasado);
      const QRectF texto = area.adjusted(adiantado ? 18 : 8, 0, adiantado ? -8 : -18, 0);
      if (adiantado)
        pintarSeta(pintor, QPointF(area.left() + 6, c.y()), true);
      else
        pintarSeta(pintor, QPointF(area.right() - 6, c.y()), false);
      pintor.setPen(Qt::white);
      pintor.setFont(fonteMarca());
      pintor.drawText(texto, Qt::AlignCenter, marca.texto);
      break;
    }
    case ClasseGolpe::extra: {
      pintarFundo(pintor, area, corExtra);
      QPainterPath mais;
      mais.moveTo(c + QPointF(-4.5, 0));
      mais.lineTo(c + QPointF(4.5, 0));
      mais.moveTo(c + QPointF(0, -4.5));
      mais.lineTo(c + QPointF(0, 4.5));
      pintor.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
      pintor.setBrush(Qt::NoBrush);
      pintor.drawPath(mais);
      break;
    }
    case ClasseGolpe::perdido: {
      // Hollow, so that the piece that should have sounded shows through: a ring in the
      // class colour between white and dark edges, with a white cross inside.
      const double raio = diametroAnel / 2.0 - 4;
      QPainterPath anel;
      anel.addEllipse(c, raio, raio);
      tracarContornado(pintor, anel, Qt::white, 5);
      pintor.setPen(QPen(corPerdido, 2.5));
      pintor.drawPath(anel);
      const double braco = raio * 0.32;
      QPainterPath cruz;
      cruz.moveTo(c + QPointF(-braco, -braco));
      cruz.lineTo(c + QPointF(braco, braco));
      cruz.moveTo(c + QPointF(braco, -braco));
      cruz.lineTo(c + QPointF(-braco, braco));
      tracarContornado(pintor, cruz, Qt::white, 2.5);
      break;
    }
  }
  pintor.setOpacity(1);
}

// In the bottom-right corner, on the stage's floor: the kit's pieces and the pedals stand
// clear of it.
QRect MarcasJulgamento::areaLeitura() const {
  const QFontMetrics medidas(fonteMarca());
  int largura = 0;
  for (const QString &linha : linhasLeitura)
    largura = std::max(largura, medidas.horizontalAdvance(linha));
  const QSize tamanho(
      largura + 2 * folgaLeituraX,
      static_cast<int>(linhasLeitura.size()) * medidas.lineSpacing() + 2 * folgaLeituraY);
  return QRect(QPoint(width() - margemLeitura - tamanho.width(),
                      height() - margemLeitura - tamanho.height()),
               tamanho);
}

void MarcasJulgamento::pintarLeitura(QPainter &pintor) const {
  const QRect area = areaLeitura();
  pintor.setPen(QPen(QColor(255, 255, 255, 110), 1));
  pintor.setBrush(corFundoLeitura);
  pintor.drawRoundedRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  pintor.setPen(Qt::white);
  pintor.setFont(fonteMarca());
  const int linha = QFontMetrics(fonteMarca()).lineSpacing();
  QRect texto = area.adjusted(folgaLeituraX, folgaLeituraY, -folgaLeituraX, 0);
  for (const QString &l : linhasLeitura) {
    texto.setHeight(linha);
    pintor.drawText(texto, Qt::AlignLeft | Qt::AlignVCenter, l);
    texto.translate(0, linha);
  }
}

// The first line names the pass and its share of notes on time, the second the mean offset
// with the word that says which way it leans.
void MarcasJulgamento::atualizarLeitura() {
  QRegion sujo(areaLeitura());
  QString acerto = preencher(
      textoNoTempo, passe.notas() == 0 ? semValor
                                       : QString::number(std::lround(passe.precisao() * 100)) +
                                             QStringLiteral(" %"));
  if (numeroPasse != 0)
    acerto = preencher(textoPasse, QString::number(numeroPasse)) + QStringLiteral(" · ") + acerto;
  QString media = semValor;
  if (passe.noTempo + passe.adiantados + passe.atrasados > 0) {
    media = TformResumo::formatarDesvio(passe.media);
    if (media.startsWith(u'−'))
      media = preencher(textoAdiantado, media);
    else if (media.startsWith(u'+'))
      media = preencher(textoAtrasado, media);
  }
  linhasLeitura = {acerto, preencher(textoMedia, media)};
  sujo += areaLeitura();
  if (leituraVisivel) update(sujo);
}

void MarcasJulgamento::passarTempo() {
  const Relogio::time_point agora = Relogio::now();
  QRegion sujo;
  std::erase_if(marcas, [&](const Marca &m) {
    const auto idade = agora - m.inicio;
    if (idade > tempoInteiro) sujo += m.area;
    return idade >= tempoVida;
  });
  if (marcas.empty()) relogio->stop();
  update(sujo);
}
