#include "pistas/PainelPistas.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "setup/Fontes.h"

namespace {

const QColor corFaixaPar(34, 40, 56);
const QColor corFaixaImpar(29, 34, 48);
const QColor corNomes(16, 20, 30);
const QColor corTexto(225, 230, 240);
const QColor corAgora(255, 214, 64);
// Tints laid into the lanes' colours: their alpha is how much of the tint shows.
const QColor corLoop(80, 130, 230, 55);
const QColor corContagem(170, 100, 220, 60);
const QColor corPassado(0, 0, 0, 70);
const QColor corCompasso(150, 155, 170);
const QColor corTempo(60, 66, 84);
const QColor corNoTempo(70, 205, 100);
const QColor corAdiantado(245, 175, 45);
const QColor corAtrasado(240, 85, 70);
const QColor corExtra(170, 175, 190);

// Each lane's colour, by Pista.
const QColor coresPista[numPistas] = {
    {250, 220, 90},   // crash
    {90, 210, 230},   // hi-hat
    {240, 190, 110},  // ride
    {120, 200, 120},  // tom 1
    {100, 180, 150},  // tom 2
    {235, 235, 245},  // snare
    {110, 160, 220},  // floor tom 1
    {130, 140, 220},  // floor tom 2
    {245, 130, 80},   // kick
    {200, 150, 220},  // others
};

QColor misturar(const QColor &base, const QColor &tinta) {
  const double a = tinta.alphaF();
  const auto canal = [a](int b, int t) { return static_cast<int>(std::lround(b + (t - b) * a)); };
  return QColor(canal(base.red(), tinta.red()), canal(base.green(), tinta.green()),
                canal(base.blue(), tinta.blue()));
}

// The share of the timeline left of the "now" line.
constexpr double fracaoPassado = 0.3;

}  // namespace

PainelPistas::PainelPistas(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pnPistas"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 200);
}

void PainelPistas::setPistas(std::vector<Pista> outras) {
  pistas = std::move(outras);
  imagemNomes = QPixmap();
  update();
}

void PainelPistas::setTextos(const std::array<QString, numPistas> &outrosNomes,
                             const std::array<QString, 5> &outrasClasses, const QString &contagem,
                             const QString &outraDica) {
  nomes = outrosNomes;
  classes = outrasClasses;
  textoContagem = contagem;
  dica = outraDica;
  imagemNomes = QPixmap();
  imagemLegenda = QPixmap();
  update();
}

void PainelPistas::setAntecipacao(int segundos) {
  antecipacao = std::clamp(segundos, 1, 6);
  update();
}

int PainelPistas::larguraNomes() const {
  return std::clamp(width() / 9, 90, 170);
}

int PainelPistas::alturaRegua() const {
  return std::max(22, height() / 32);
}

int PainelPistas::alturaLegenda() const {
  return std::max(24, height() / 30);
}

double PainelPistas::nsPorPixel() const {
  const double futuro = (width() - larguraNomes()) * (1 - fracaoPassado);
  return antecipacao * 1e9 / std::max(futuro, 1.0);
}

int PainelPistas::xAgora() const {
  return larguraNomes() + static_cast<int>((width() - larguraNomes()) * fracaoPassado);
}

double PainelPistas::xDe(int64_t ns) const {
  return xAgora() + static_cast<double>(ns - vista) / nsPorPixel();
}

int64_t PainelPistas::inicioEm(int64_t vistaNs) const {
  return vistaNs - static_cast<int64_t>((xAgora() - larguraNomes()) * nsPorPixel());
}

int64_t PainelPistas::fimEm(int64_t vistaNs) const {
  return vistaNs + int64_t{antecipacao} * 1'000'000'000;
}

QRect PainelPistas::faixaDaPista(int indice) const {
  const int topo = alturaRegua();
  const int altura = height() - topo - alturaLegenda();
  const int n = std::max(static_cast<int>(pistas.size()), 1);
  const int y0 = topo + altura * indice / n;
  const int y1 = topo + altura * (indice + 1) / n;
  return QRect(larguraNomes(), y0, width() - larguraNomes(), y1 - y0);
}

void PainelPistas::mostrar(QuadroPistas outro, int64_t vistaNs, bool estaParado) {
  quadro = std::move(outro);
  vista = vistaNs;
  // The legend's hint comes and goes with the transport.
  if (parado != estaParado) update();
  parado = estaParado;
}

// Only the timeline moves: the names column and the legend stay as they were painted.
void PainelPistas::pintarLinhaTempo() {
  repaint(QRect(larguraNomes(), 0, width() - larguraNomes(), height() - alturaLegenda()));
}

void PainelPistas::resizeEvent(QResizeEvent *) {
  update();
}

// Solid fills only over the large areas (the past, the loop and the count-in are tinted into
// the lanes' colours rather than laid over them), and the names and the legend from pictures
// made once: a frame at full HD costs a few milliseconds of the window's thread.
void PainelPistas::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const int esquerda = larguraNomes();
  const int regua = alturaRegua();
  const int baixo = height() - alturaLegenda();
  const QRect area(esquerda, regua, width() - esquerda, baixo - regua);
  const int agora = xAgora();
  const QFont fonteRegua = fonteJanela(std::max(11, regua * 6 / 10), true);

  std::array<int, numPistas> fila;
  fila.fill(-1);
  for (std::size_t i = 0; i < pistas.size(); ++i)
    fila[static_cast<int>(pistas[i])] = static_cast<int>(i);

  // Where the tints change: the now line and the ends of the loop's and count-in's regions.
  const auto xInteiro = [&](int64_t ns) {
    return static_cast<int>(
        std::clamp(xDe(ns), static_cast<double>(esquerda), static_cast<double>(width())));
  };
  std::vector<int> cortes{esquerda, agora, width()};
  for (const auto *faixas : {&quadro.loops, &quadro.contagens})
    for (const auto &f : *faixas) {
      cortes.push_back(xInteiro(f.inicioNs));
      cortes.push_back(xInteiro(f.fimNs));
    }
  std::sort(cortes.begin(), cortes.end());
  cortes.erase(std::unique(cortes.begin(), cortes.end()), cortes.end());
  const auto dentro = [&](const std::vector<QuadroPistas::Faixa> &faixas, int x) {
    return std::any_of(faixas.begin(), faixas.end(), [&](const QuadroPistas::Faixa &f) {
      return x >= xInteiro(f.inicioNs) && x < xInteiro(f.fimNs);
    });
  };
  const int n = std::max(static_cast<int>(pistas.size()), 1);
  for (std::size_t c = 0; c + 1 < cortes.size(); ++c) {
    const int x0 = cortes[c];
    const int x1 = cortes[c + 1];
    if (x1 <= x0 || x0 < esquerda) continue;
    const bool loop = dentro(quadro.loops, x0);
    const bool contagem = dentro(quadro.contagens, x0);
    const auto tingir = [&](QColor cor) {
      if (loop) cor = misturar(cor, corLoop);
      if (contagem) cor = misturar(cor, corContagem);
      if (x0 < agora) cor = misturar(cor, corPassado);
      return cor;
    };
    p.fillRect(QRect(x0, 0, x1 - x0, regua), tingir(corNomes));
    for (int i = 0; i < n; ++i)
      p.fillRect(QRect(x0, faixaDaPista(i).top(), x1 - x0, faixaDaPista(i).height()),
                 tingir(i % 2 ? corFaixaImpar : corFaixaPar));
  }

  // Beat and bar lines, the bars' numbers in the ruler.
  p.setFont(fonteRegua);
  for (const auto &linha : quadro.linhas) {
    const int x = static_cast<int>(std::lround(xDe(linha.ns)));
    if (x < esquerda || x >= width()) continue;
    if (linha.compasso > 0) {
      p.fillRect(QRect(x - 1, regua * 2 / 5, 2, baixo - regua * 2 / 5), corCompasso);
      p.setPen(corTexto);
      p.drawText(QPointF(x + 4, regua * 0.8), QString::number(linha.compasso));
    } else {
      p.fillRect(QRect(x, regua, 1, baixo - regua), corTempo);
    }
  }
  // The count-in's beats, large, with its name once.
  if (!quadro.temposContagem.empty()) {
    const int pixels = std::clamp(area.height() / 5, 16, 96);
    p.setFont(fonteJanela(pixels, true));
    p.setPen(QColor(235, 215, 255, 200));
    for (const auto &tempo : quadro.temposContagem) {
      const double x = xDe(tempo.ns);
      if (x < esquerda - pixels || x > width()) continue;
      p.drawText(QRectF(x - pixels, area.top(), 2 * pixels, area.height()), Qt::AlignCenter,
                 QString::number(tempo.tempo));
    }
    p.setFont(fonteRegua);
    const double x = std::max(xDe(quadro.contagens.front().inicioNs), double(esquerda));
    p.drawText(QPointF(x + 4, regua * 0.8), textoContagem);
  }

  for (const auto &nota : quadro.notas) {
    const int i = fila[static_cast<int>(nota.pista)];
    if (i >= 0) pintarNota(p, nota, faixaDaPista(i));
  }
  p.setRenderHint(QPainter::Antialiasing);
  for (const auto &golpe : quadro.golpes) {
    const int i = fila[static_cast<int>(golpe.pista)];
    if (i >= 0) pintarGolpe(p, golpe, faixaDaPista(i));
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(agora - 1, regua / 2, 3, baixo - regua / 2), corAgora);

  if (imagemNomes.size() != QSize(esquerda, height())) imagemNomes = pintarNomes();
  p.drawPixmap(0, 0, imagemNomes);
  if (imagemLegenda.size() != QSize(width(), alturaLegenda()) || legendaParada != parado) {
    imagemLegenda = pintarLegenda();
    legendaParada = parado;
  }
  p.drawPixmap(0, baixo, imagemLegenda);
}

// The names column: a bar of each lane's colour and its name.
QPixmap PainelPistas::pintarNomes() const {
  QPixmap imagem(larguraNomes(), height());
  imagem.fill(corNomes);
  QPainter p(&imagem);
  const int alturaFaixa = pistas.empty() ? height() : faixaDaPista(0).height();
  p.setFont(fonteJanela(std::clamp(alturaFaixa * 3 / 10, 11, 24), true));
  for (std::size_t i = 0; i < pistas.size(); ++i) {
    const QRect faixa = faixaDaPista(static_cast<int>(i));
    p.fillRect(QRect(0, faixa.top() + faixa.height() / 2 - alturaFaixa / 4, 5, alturaFaixa / 2),
               coresPista[static_cast<int>(pistas[i])]);
    p.setPen(corTexto);
    p.drawText(QRect(10, faixa.top(), imagem.width() - 14, faixa.height()),
               Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap,
               nomes[static_cast<int>(pistas[i])]);
  }
  return imagem;
}

// A gem whose height and brightness follow the velocity, so that ghost notes and accents
// read at a glance; the hi-hat's open notes carry a ring, its pedal notes point down, the
// rim is a diamond.
void PainelPistas::pintarNota(QPainter &p, const QuadroPistas::Nota &nota,
                              const QRect &faixa) const {
  const double x = xDe(nota.ns);
  const double forca = nota.velocidade / 127.0;
  const double largura = std::clamp(faixa.height() * 0.3, 6.0, 20.0);
  const double altura = faixa.height() * (0.25 + 0.6 * forca);
  if (x < larguraNomes() - largura || x > width() + largura) return;
  QColor cor = coresPista[static_cast<int>(nota.pista)];
  cor.setAlpha(static_cast<int>(90 + 165 * forca) / (nota.ns < vista ? 2 : 1));
  const double meio = faixa.center().y();
  p.setPen(Qt::NoPen);
  p.setBrush(cor);
  switch (nota.marca) {
    case MarcaNota::pedal: {
      const QPointF ponta(x, faixa.bottom() - faixa.height() * 0.1);
      const QPointF pontos[] = {
          {x - largura, ponta.y() - altura * 0.6}, {x + largura, ponta.y() - altura * 0.6}, ponta};
      p.drawPolygon(pontos, 3);
      break;
    }
    case MarcaNota::aro: {
      const QPointF pontos[] = {
          {x, meio - altura / 2}, {x + largura, meio}, {x, meio + altura / 2}, {x - largura, meio}};
      p.drawPolygon(pontos, 4);
      break;
    }
    case MarcaNota::aberto:
    case MarcaNota::normal:
      p.fillRect(QRectF(x - largura / 2, meio - altura / 2, largura, altura), cor);
      break;
  }
  if (nota.marca == MarcaNota::aberto) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(cor, 2));
    const double raio = largura * 0.6;
    p.drawEllipse(QPointF(x, meio - altura / 2 - raio - 2), raio, raio);
  }
}

// Each kind of hit has a shape of its own, not only a colour: a circle on time, a triangle
// pointing back early and forward late, a hollow square extra, a cross on a missed note.
void PainelPistas::desenharGolpe(QPainter &p, ClasseGolpe classe, QPointF centro, double r) {
  const double x = centro.x();
  const double y = centro.y();
  p.setPen(QPen(QColor(10, 10, 20), 1.5));
  switch (classe) {
    case ClasseGolpe::noTempo:
      p.setBrush(corNoTempo);
      p.drawEllipse(centro, r, r);
      break;
    case ClasseGolpe::adiantado:
    case ClasseGolpe::atrasado: {
      const double s = classe == ClasseGolpe::adiantado ? -1 : 1;
      const QPointF pontos[] = {
          {x + s * r * 1.2, y}, {x - s * r * 0.8, y - r}, {x - s * r * 0.8, y + r}};
      p.setBrush(classe == ClasseGolpe::adiantado ? corAdiantado : corAtrasado);
      p.drawPolygon(pontos, 3);
      break;
    }
    case ClasseGolpe::extra:
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(corExtra, 2.5));
      p.drawRect(QRectF(x - r * 0.8, y - r * 0.8, r * 1.6, r * 1.6));
      break;
    case ClasseGolpe::perdido:
      p.setPen(QPen(corAtrasado, 3));
      p.drawLine(QPointF(x - r, y - r), QPointF(x + r, y + r));
      p.drawLine(QPointF(x - r, y + r), QPointF(x + r, y - r));
      break;
  }
}

// An early or late hit carries its offset in milliseconds where the lane has room.
void PainelPistas::pintarGolpe(QPainter &p, const QuadroPistas::Golpe &golpe,
                               const QRect &faixa) const {
  const double x = xDe(golpe.ns);
  const double r = std::clamp(faixa.height() * 0.2, 5.0, 16.0);
  if (x < larguraNomes() - r || x > width() + r) return;
  const double y = faixa.center().y();
  desenharGolpe(p, golpe.classe, QPointF(x, y), r);
  const bool fora = golpe.classe == ClasseGolpe::adiantado || golpe.classe == ClasseGolpe::atrasado;
  if (fora && faixa.height() >= 40) {
    p.setPen(corTexto);
    p.setFont(fonteJanela(std::clamp(faixa.height() / 5, 10, 16)));
    p.drawText(QPointF(x - r, y + r + faixa.height() * 0.22),
               QString::number(std::lround(golpe.desvioMs)));
  }
}

// The hits' shapes with their words, and while the view stands still, how to look back.
QPixmap PainelPistas::pintarLegenda() const {
  const int altura = alturaLegenda();
  QPixmap imagem(width(), altura);
  imagem.fill(corNomes);
  QPainter p(&imagem);
  const QRect faixa = imagem.rect();
  p.setFont(fonteJanela(std::clamp(altura * 45 / 100, 11, 18)));
  const QFontMetrics medidas(p.font());
  const ClasseGolpe ordem[] = {ClasseGolpe::adiantado, ClasseGolpe::noTempo, ClasseGolpe::atrasado,
                               ClasseGolpe::extra, ClasseGolpe::perdido};
  double x = 12;
  const double raio = std::max(6.0, altura * 0.3);
  p.setRenderHint(QPainter::Antialiasing);
  for (const ClasseGolpe classe : ordem) {
    desenharGolpe(p, classe, QPointF(x + raio, faixa.center().y()), raio);
    p.setPen(corTexto);
    const QString &palavra = classes[static_cast<int>(classe)];
    x += 2 * raio + 8;
    p.drawText(QPointF(x, faixa.center().y() + medidas.ascent() / 2.0 - 1), palavra);
    x += medidas.horizontalAdvance(palavra) + 22;
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  if (parado && !dica.isEmpty()) {
    p.setPen(QColor(180, 190, 210));
    p.drawText(faixa.adjusted(static_cast<int>(x), 0, -12, 0), Qt::AlignVCenter | Qt::AlignRight,
               medidas.elidedText(dica, Qt::ElideRight, faixa.width() - static_cast<int>(x) - 12));
  }
  return imagem;
}
