// mkidioma: builds one language's text file (.idm) and picture file (.dat) from its sources.
// The picture file is the JPEG drawings laid end to end; the text file is written in the
// same run with each picture's offset and length, so the two can never disagree.

#include "ModeloIdioma.h"
#include "RenderizadorImagem.h"
#include "Substituicoes.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <stdexcept>

namespace {

using namespace mkidioma;

constexpr int kQualidadeJpeg = 92;

QtMessageHandler gTratadorAnterior = nullptr;

// Build machines often run without a session; Qt's warning about the missing runtime folder
// says nothing about the pictures, so it is kept out of the build log.
void filtrarMensagens(QtMsgType tipo, const QMessageLogContext &contexto, const QString &texto) {
  if (texto.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR"))) return;
  gTratadorAnterior(tipo, contexto, texto);
}

QByteArray lerArquivo(const QString &caminho) {
  QFile arquivo(caminho);
  if (!arquivo.open(QIODevice::ReadOnly))
    throw std::runtime_error(qPrintable(caminho + ": " + arquivo.errorString()));
  return arquivo.readAll();
}

void gravarArquivo(const QString &caminho, const QByteArray &bytes) {
  // Written whole or not at all, so a failed run never leaves a half file behind.
  QSaveFile arquivo(caminho);
  if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(bytes) != bytes.size() ||
      !arquivo.commit())
    throw std::runtime_error(qPrintable(caminho + ": " + arquivo.errorString()));
}

int executar(const QCommandLineParser &args) {
  // Lettering must come out the same on every build machine: refuse to fall back silently.
  for (const QString &fonte : args.values("fonte"))
    if (!QFontDatabase::families().contains(fonte))
      throw std::runtime_error(qPrintable("font '" + fonte + "' is not installed"));

  Substituicoes palavras;
  // A value's trailing blanks are dropped by the program, so a word that must be followed
  // by a gap (a number appended to it) ends with a no-break space instead.
  palavras.definir(QStringLiteral("semQuebra"), QString(QChar(0x00A0)));
  for (const QString &par : args.values("var")) {
    const qsizetype igual = par.indexOf('=');
    if (igual <= 0) throw std::runtime_error(qPrintable("--var needs NAME=VALUE: " + par));
    palavras.definir(par.left(igual), par.mid(igual + 1));
  }
  if (args.isSet("palavras")) palavras.lerArquivo(args.value("palavras"));

  const ModeloIdioma modelo(args.value("modelo"), palavras);
  const QDir desenhos(args.value("desenhos"));
  const QString previa = args.value("previa");
  if (!previa.isEmpty() && !QDir().mkpath(previa))
    throw std::runtime_error(qPrintable(previa + ": cannot create the folder"));
  const QString base = QFileInfo(args.value("idm")).completeBaseName();

  QByteArray dat;
  std::vector<PosicaoImagem> posicoes;
  std::vector<std::vector<PosicaoImagem>> escaladas;
  for (const ReferenciaImagem &ref : modelo.imagens()) {
    const QString caminho = desenhos.filePath(ref.arquivoSvg);
    const QString svg = palavras.aplicar(QString::fromUtf8(lerArquivo(caminho)), true, caminho);
    const QImage imagem = renderizarSvg(svg.toUtf8(), caminho);
    // A drawing of another size would show cut or shifted in its control.
    if (imagem.size() != ref.tamanho) {
      const QString erro = QStringLiteral("%1: drawing is %2x%3, %4 needs %5x%6")
                               .arg(caminho)
                               .arg(imagem.width())
                               .arg(imagem.height())
                               .arg(ref.chave)
                               .arg(ref.tamanho.width())
                               .arg(ref.tamanho.height());
      throw std::runtime_error(erro.toStdString());
    }
    const QByteArray jpeg = codificarJpeg(imagem, kQualidadeJpeg);
    posicoes.push_back({dat.size(), jpeg.size()});
    dat += jpeg;
    // The same drawing for the zoomed windows.
    escaladas.emplace_back();
    for (const EscalaImagem &escala : escalasImagem) {
      const QByteArray fina =
          codificarJpeg(renderizarSvg(svg.toUtf8(), caminho, escala.fator), kQualidadeJpeg);
      escaladas.back().push_back({dat.size(), fina.size()});
      dat += fina;
    }
    if (!previa.isEmpty()) {
      const QString png = QDir(previa).filePath(base + '-' + ref.chave + ".png");
      if (!imagem.save(png)) throw std::runtime_error(qPrintable(png + ": cannot write"));
    }
  }

  const auto sobras = palavras.naoUsadas();
  if (!sobras.empty())
    throw std::runtime_error(
        qPrintable(args.value("palavras") + ": word '" + *sobras.begin() + "' is used nowhere"));

  gravarArquivo(args.value("dat"), dat);
  gravarArquivo(args.value("idm"), modelo.gerar(posicoes, escaladas));
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  // Rendering needs fonts but never a screen: build machines have none.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gTratadorAnterior = qInstallMessageHandler(filtrarMensagens);
  QGuiApplication app(argc, argv);

  QCommandLineParser args;
  args.setApplicationDescription("Builds a language's .idm text file and .dat picture file.");
  args.addHelpOption();
  args.addOptions({
      {"modelo", "Language template (.idm.in).", "file"},
      {"palavras", "Words of the language's drawings (name=value lines).", "file"},
      {"desenhos", "Folder of the SVG drawings the template names.", "folder"},
      {"var", "A word given here, such as the web address.", "name=value"},
      {"fonte", "A font the drawings need; the run fails when it is missing.", "family"},
      {"idm", "Language text file to write.", "file"},
      {"dat", "Picture file to write.", "file"},
      {"previa", "Also write every picture as PNG into this folder.", "folder"},
  });
  args.process(app);
  for (const char *obrigatoria : {"modelo", "desenhos", "idm", "dat"})
    if (!args.isSet(obrigatoria)) {
      std::fprintf(stderr, "mkidioma: --%s is required\n", obrigatoria);
      return 2;
    }

  try {
    return executar(args);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "mkidioma: %s\n", e.what());
    return 1;
  }
}
