// Renders the judge's marks over the drum kit in each language of the program folder, one PNG
// per language, so that a person can look at them:
//
//   render-marcas OUTPUT_FOLDER
//
// The picture: the kit lit for a groove's hits, a badge of every verdict on several pieces,
// and the pass's readout in its corner. It runs offscreen unless a platform is named
// (QT_QPA_PLATFORM=xcb under Xvfb: tests/janela/com-xvfb.sh). It fails when the readout
// lies over a picture of the kit, when a badge covers the readout, or when a verdict leaves
// the picture as it was.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QRect>
#include <QTest>
#include <cstdio>
#include <iterator>

#include "Previa.h"
#include "julgamento/MarcasJulgamento.h"
#include "julgamento/ResumoPasse.h"
#include "ui/Bateria.h"
#include "ui/MapaBateria.h"
#include "ui/PainelInstrumento.h"

namespace {

using previa::falhar;

Julgamento julgamento(PecaBateria peca, ClasseGolpe classe, double desvioMs = 0) {
  Julgamento j;
  j.peca = peca;
  j.pecaGolpe = classe == ClasseGolpe::perdido ? PecaBateria::nenhuma : peca;
  j.classe = classe;
  j.desvioMs = desvioMs;
  return j;
}

// The latest verdict on each of nine pieces, every class among them.
const Julgamento cena[] = {
    julgamento(PecaBateria::chimbalFechado, ClasseGolpe::atrasado, 41.2),
    julgamento(PecaBateria::caixa, ClasseGolpe::adiantado, -38.4),
    julgamento(PecaBateria::bumbo, ClasseGolpe::noTempo, -4),
    julgamento(PecaBateria::ton1, ClasseGolpe::noTempo, 6),
    julgamento(PecaBateria::ton2, ClasseGolpe::extra),
    julgamento(PecaBateria::surdo1, ClasseGolpe::perdido),
    julgamento(PecaBateria::prato1, ClasseGolpe::adiantado, -57),
    julgamento(PecaBateria::ataque2, ClasseGolpe::atrasado, 44),
    julgamento(PecaBateria::prato3, ClasseGolpe::noTempo, 12),
};

QImage fotografar(QWidget &w) {
  QCoreApplication::processEvents();
  return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels where two pictures of the same size differ.
QRect diferenca(const QImage &a, const QImage &b) {
  QRect caixa;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) caixa |= QRect(x, y, 1, 1);
  return caixa;
}

void renderizar(const QDir &pasta, const QString &codigo) {
  PainelInstrumento painel;
  Bateria kit(&painel);
  auto *marcas = new MarcasJulgamento(&painel);
  marcas->aplicarIdioma();
  painel.show();
  if (!QTest::qWaitForWindowExposed(&painel)) falhar(QStringLiteral("the panel was not shown"));

  // Three passes in, 34 notes so far.
  ResumoPasse passe;
  for (int i = 0; i < 26; ++i)
    passe.somar(julgamento(PecaBateria::chimbalFechado, ClasseGolpe::noTempo, (i % 7) - 4.5));
  for (int i = 0; i < 4; ++i)
    passe.somar(julgamento(PecaBateria::caixa, ClasseGolpe::adiantado, -39 - i));
  for (int i = 0; i < 2; ++i)
    passe.somar(julgamento(PecaBateria::bumbo, ClasseGolpe::atrasado, 38 + i));
  for (int i = 0; i < 2; ++i) passe.somar(julgamento(PecaBateria::surdo1, ClasseGolpe::perdido));
  marcas->setNumeroPasse(3);
  marcas->mostrarPasse(passe);

  // The readout alone first: it must stand clear of every picture of the kit.
  const QImage bateria = fotografar(painel);
  marcas->mostrar(julgamento(PecaBateria::nenhuma, ClasseGolpe::extra));
  const QImage soLeitura = fotografar(painel);
  const QRect leitura = diferenca(bateria, soLeitura);
  if (leitura.isEmpty()) falhar(codigo + QStringLiteral(": the readout is not drawn"));
  for (const DescricaoFigura &d : figurasBateria) {
    const QRect lugar(d.esquerda, d.topo, d.largura, d.altura);
    if (QLatin1String(d.nome) != QLatin1String("imgBateria") && lugar.intersects(leitura))
      falhar(QStringLiteral("%1: the readout lies over %2").arg(codigo, QLatin1String(d.nome)));
  }

  for (const Julgamento &j : cena)
    if (j.classe != ClasseGolpe::perdido) kit.acender(descricaoPeca(j.peca).nota);
  const QImage acesa = fotografar(painel);
  for (const Julgamento &j : cena) marcas->mostrar(j);
  const QImage foto = fotografar(painel);
  if (marcas->getMarcas().size() != std::size(cena))
    falhar(QStringLiteral("%1: %2 badges of %3 are shown")
               .arg(codigo)
               .arg(marcas->getMarcas().size())
               .arg(std::size(cena)));
  if (foto.copy(leitura) != soLeitura.copy(leitura))
    falhar(codigo + QStringLiteral(": a badge covers the readout"));
  if (diferenca(acesa, foto).isEmpty()) falhar(codigo + QStringLiteral(": no badge is drawn"));

  const QString caminho = pasta.filePath(codigo + QStringLiteral(".png"));
  if (!foto.save(caminho, "PNG"))
    falhar(QStringLiteral("cannot write %1").arg(caminho));
  else
    std::printf("%s  (%s)\n", qPrintable(caminho),
                qPrintable(marcas->getTextoLeitura().replace(u'\n', QStringLiteral(" | "))));
}

}  // namespace

int main(int argc, char **argv) {
  return previa::executarPrevia(argc, argv, "render-marcas", renderizar);
}
