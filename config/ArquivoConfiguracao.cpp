#include "config/ArquivoConfiguracao.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

#include "config/LeitorIni.h"
#include "config/SecaoJulgamento.h"
#include "config/SecaoPistas.h"
#include "config/SecaoPratica.h"
#include "config/TextoCodificado.h"
#include "config/ValoresIni.h"
#include "entrada/MapaNotas.h"
#include "ui/Bateria.h"

namespace {

const QString secaoGeral = QStringLiteral("geral");
const QString secaoJanela = QStringLiteral("janela");
const QString secaoEntrada = QStringLiteral("entrada");

struct ConfiguracaoTeste {
  bool ativa = false;
  ArquivoConfiguracao::Local local;
};

ConfiguracaoTeste &configuracaoTeste() {
  static ConfiguracaoTeste configuracao;
  return configuracao;
}

// Never destroyed in a run: the sequencer and the windows use it until the process ends.
ArquivoConfiguracao *&instanciaUnica() {
  static ArquivoConfiguracao *configuracao = nullptr;
  return configuracao;
}

// "Kovrinta" -> "Kovrinta.ini", "Kovrinta.exe" -> "Kovrinta.ini". A leading dot does not
// start an extension.
QString nomeDoArquivo(const QString &nomePrograma) {
  const QString nome = nomePrograma.isEmpty() ? QStringLiteral("Kovrinta") : nomePrograma;
  const qsizetype ponto = nome.lastIndexOf(u'.');
  return (ponto > 0 ? nome.left(ponto) : nome) + QStringLiteral(".ini");
}

bool lerInteiro(const LeitorIni &ini, const QString &chave, const QString &padrao, int &valor) {
  bool ok = false;
  const int lido = ini.lerTexto(secaoGeral, chave, padrao).toInt(&ok, 10);
  if (ok) valor = lido;
  return ok;
}

// The section entrada stands apart from geral: a bad value costs only its own setting. The
// map's word is kept in lower case, and the taught map keeps only its sound pairs.
AjustesEntrada lerAjustesEntrada(const LeitorIni &ini) {
  AjustesEntrada ajustes;
  const AjustesEntrada padrao;
  ajustes.dispositivo = ini.lerTexto(secaoEntrada, QStringLiteral("dispositivo"), QString());
  const QString mapa = ini.lerTexto(secaoEntrada, QStringLiteral("mapa"), padrao.mapa);
  if (const std::optional<PresetMapa> preset = MapaNotas::presetDoNome(mapa))
    ajustes.mapa = MapaNotas::nomeDoPreset(*preset);
  else if (mapa.compare(QLatin1String(nomeMapaPersonalizado), Qt::CaseInsensitive) == 0)
    ajustes.mapa = QLatin1String(nomeMapaPersonalizado);
  ajustes.notas = MapaNotas::deTexto(ini.lerTexto(secaoEntrada, QStringLiteral("notas"), QString()))
                      .paraTexto();
  using valoresIni::lerFlag;
  using valoresIni::lerNaFaixa;
  const QString &s = secaoEntrada;
  ajustes.velocidadeMinima =
      lerNaFaixa(ini, s, QStringLiteral("velocidadeMinima"), padrao.velocidadeMinima, 1, 127);
  ajustes.limiarChimbal =
      lerNaFaixa(ini, s, QStringLiteral("limiarChimbal"), padrao.limiarChimbal, 0, 127);
  ajustes.chimbalInvertido =
      lerFlag(ini, s, QStringLiteral("chimbalInvertido"), padrao.chimbalInvertido);
  ajustes.guardaCruzada = lerFlag(ini, s, QStringLiteral("guardaCruzada"), padrao.guardaCruzada);
  return ajustes;
}

// The section entrada, one "chave=valor" line each, after the section geral.
QString linhasEntrada(const AjustesEntrada &ajustes) {
  using valoresIni::gravado;
  using valoresIni::linha;
  QString texto = QStringLiteral("[entrada]\r\n");
  texto += linha("dispositivo", gravado(ajustes.dispositivo));
  texto += linha("mapa", gravado(ajustes.mapa));
  texto += linha("notas", gravado(ajustes.notas));
  texto += linha("velocidadeMinima", ajustes.velocidadeMinima);
  texto += linha("limiarChimbal", ajustes.limiarChimbal);
  texto += linha("chimbalInvertido", ajustes.chimbalInvertido);
  texto += linha("guardaCruzada", ajustes.guardaCruzada);
  return texto;
}

}  // namespace

ArquivoConfiguracao &ArquivoConfiguracao::instancia() {
  ArquivoConfiguracao *&configuracao = instanciaUnica();
  if (!configuracao) {
    const ConfiguracaoTeste &teste = configuracaoTeste();
    configuracao = new ArquivoConfiguracao(teste.ativa ? teste.local : localPadrao());
  }
  return *configuracao;
}

void ArquivoConfiguracao::configurarParaTestes(const Local &local) {
  configuracaoTeste() = {true, local};
}

void ArquivoConfiguracao::reiniciarParaTestes() {
  delete instanciaUnica();
  instanciaUnica() = nullptr;
}

ArquivoConfiguracao::Local ArquivoConfiguracao::localPadrao() {
  return localDoPrograma(QCoreApplication::applicationFilePath());
}

ArquivoConfiguracao::Local ArquivoConfiguracao::localDoPrograma(const QString &executavel) {
  const QString configuracoes =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QFileInfo programa(executavel);
  const QString pasta = programa.absolutePath();
  return {pasta, programa.fileName(),
          configuracoes.isEmpty() ? QString() : configuracoes + QStringLiteral("/Kovrinta"),
          QFileInfo::exists(QDir(pasta).filePath(QString::fromLatin1(marcaInstalacao)))};
}

// The file lies beside the program. An installed program's folder cannot be written (or, in
// a prefix of the user's own, should not hold one user's settings), so the settings then live
// in the user's folder, read from there once a save made them; until then a file shipped
// beside the program still gives the first settings.
ArquivoConfiguracao::ArquivoConfiguracao(const Local &local)
    : nomeArquivo(nomeDoArquivo(local.nomePrograma)) {
  const QString noPrograma = QDir(local.pastaPrograma).filePath(nomeArquivo);
  const QFileInfo pasta(local.pastaPrograma);
  QString caminhoLeitura = noPrograma;
  if (!local.instalado && pasta.isDir() && pasta.isWritable()) {
    pastaEscrita = local.pastaPrograma;
    caminhoEscrita = noPrograma;
  } else if (!local.pastaUsuario.isEmpty()) {
    pastaEscrita = local.pastaUsuario;
    caminhoEscrita = QDir(local.pastaUsuario).filePath(nomeArquivo);
    if (QFileInfo::exists(caminhoEscrita)) caminhoLeitura = caminhoEscrita;
  }
  try {
    ler(caminhoLeitura);
  } catch (...) {
    // The settings never stop the start-up: whatever was read stays, the rest is default.
  }
}

ArquivoConfiguracao::~ArquivoConfiguracao() = default;

// The keys of geral are read in file order; the first value that is not a whole number ends
// the reading of geral: volume and visualizacao fall back to their defaults, a driver not yet
// read stays 0 and idioma keeps what was read (empty when "driver" was the bad one).
void ArquivoConfiguracao::ler(const QString &caminho) {
  QString texto;
  QFile arquivo(caminho);
  if (arquivo.open(QIODevice::ReadOnly)) texto = decodificarTexto(arquivo.readAll());
  const LeitorIni ini(texto);
  ajustesEntrada = lerAjustesEntrada(ini);
  ajustesPratica = secaoPratica::lerAjustes(ini);
  ajustesJulgamento = secaoJulgamento::lerAjustes(ini);
  ajustesPistas = secaoPistas::lerAjustes(ini);
  memoriaMusicas = secaoPratica::lerMemoria(ini);
  // Any other zoom is taken as none chosen.
  zoom = ini.lerTexto(secaoJanela, QStringLiteral("zoom"), QString()).toInt();
  if (zoom != 100 && zoom != 150 && zoom != 200) zoom = 0;

  auto falhou = [this] {
    volume = 127;
    visualizacao = 0;
  };
  if (!lerInteiro(ini, QStringLiteral("driver"), QStringLiteral("0"), driver)) return falhou();
  idioma = ini.lerTexto(secaoGeral, QStringLiteral("idioma"), QStringLiteral("English"));
  if (!lerInteiro(ini, QStringLiteral("volume"), QStringLiteral("127"), volume)) return falhou();
  if (!lerInteiro(ini, QStringLiteral("visualizacao"), QStringLiteral("0"), visualizacao))
    return falhou();
}

void ArquivoConfiguracao::setInstrumento(int tipo, PainelInstrumento *painel) {
  tipoInstrumento = tipo;
  // The new kit exists before the old one goes; nothing keeps the old pointer, as the
  // sequencer asks for the instrument on every tick.
  instrumentoProprio = std::make_unique<Bateria>(painel);
  instrumento = instrumentoProprio.get();
}

bool ArquivoConfiguracao::salvar() {
  if (caminhoEscrita.isEmpty()) return false;
  try {
    if (!QDir().mkpath(pastaEscrita)) return false;
    QString texto = QStringLiteral("[geral]\r\ndriver=") + QString::number(driver) +
                    QStringLiteral("\r\nvolume=") + QString::number(volume) +
                    QStringLiteral("\r\nidioma=") + valoresIni::gravado(idioma) +
                    QStringLiteral("\r\n");
    // A kit never set up leaves the file as it was before the section existed.
    if (ajustesEntrada != AjustesEntrada{}) texto += linhasEntrada(ajustesEntrada);
    if (ajustesPratica != AjustesPratica{}) texto += secaoPratica::linhasAjustes(ajustesPratica);
    if (ajustesJulgamento != AjustesJulgamento{})
      texto += secaoJulgamento::linhasAjustes(ajustesJulgamento);
    if (ajustesPistas != AjustesPistas{}) texto += secaoPistas::linhasAjustes(ajustesPistas);
    if (zoom != 0)
      texto += QStringLiteral("[janela]\r\nzoom=") + QString::number(zoom) + QStringLiteral("\r\n");
    texto += secaoPratica::linhasMemoria(memoriaMusicas);
    const QByteArray conteudo = texto.toUtf8();
    // QSaveFile writes a temporary file in the same folder and renames it over the old one
    // on commit; until then the old file is untouched.
    // Unbuffered, so that a full disk fails the write itself: a buffered write that failed only
    // in the flush before the rename was taken for a success, and an empty file replaced the
    // settings.
    QSaveFile arquivo(caminhoEscrita);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (arquivo.write(conteudo) != conteudo.size() || (antesDeSubstituir && !antesDeSubstituir())) {
      arquivo.cancelWriting();
      return false;
    }
    // On a full disk the write may pass and the flush before the rename fail.
    return arquivo.commit();
  } catch (...) {
    // A save that fails leaves the old file and the settings as they are.
    return false;
  }
}
