#include "config/GerenciadorIdiomas.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "config/LeitorIni.h"
#include "config/TextoCodificado.h"
#include "config/TformListaIdiomas.h"

namespace {

// The application code a language file must carry, with exact letter case.
const QString codigoAplicacao = QStringLiteral("Kovrinta");

struct ConfiguracaoTeste {
  bool ativa = false;
  QString pasta;
  Mensageiro mensageiro;
};

ConfiguracaoTeste &configuracaoTeste() {
  static ConfiguracaoTeste configuracao;
  return configuracao;
}

// Never destroyed in a run: windows keep asking it for texts until the process ends.
GerenciadorIdiomas *&instanciaUnica() {
  static GerenciadorIdiomas *gerenciador = nullptr;
  return gerenciador;
}

// "dat" in the letter case of the text file's "idm", so "X.IDM" pairs with "X.DAT".
QString extensaoImagens(const QString &extensaoTexto) {
  const QString dat = QStringLiteral("dat");
  QString resultado;
  for (qsizetype i = 0; i < dat.size(); ++i)
    resultado +=
        i < extensaoTexto.size() && extensaoTexto.at(i).isUpper() ? dat.at(i).toUpper() : dat.at(i);
  return resultado;
}

}  // namespace

GerenciadorIdiomas &GerenciadorIdiomas::instancia() {
  GerenciadorIdiomas *&gerenciador = instanciaUnica();
  if (!gerenciador) {
    const ConfiguracaoTeste &teste = configuracaoTeste();
    gerenciador = teste.ativa ? new GerenciadorIdiomas(teste.pasta, teste.mensageiro)
                              : new GerenciadorIdiomas(QCoreApplication::applicationDirPath());
  }
  return *gerenciador;
}

void GerenciadorIdiomas::configurarParaTestes(const QString &pasta, Mensageiro mensageiro) {
  configuracaoTeste() = {true, pasta, std::move(mensageiro)};
}

void GerenciadorIdiomas::reiniciarParaTestes() {
  delete instanciaUnica();
  instanciaUnica() = nullptr;
}

// Discovery: every regular, visible file ending in ".idm" (any letter case), sorted by name
// so that the order does not depend on the file system. A file is usable when its section
// "EspecificacaoIdioma", read with INI rules (names regardless of case, values stripped),
// has a non-empty "nomeIdioma" and a "codAplicacao" of exactly "Kovrinta".
GerenciadorIdiomas::GerenciadorIdiomas(const QString &pasta_, Mensageiro mensageiro_)
    : pasta(pasta_),
      mensageiro(mensageiro_ ? std::move(mensageiro_) : Mensageiro(mostrarMensagem)),
      seletor(std::make_unique<TformListaIdiomas>()) {
  const QFileInfoList arquivos = QDir(pasta).entryInfoList(
      {QStringLiteral("*.idm")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo &info : arquivos) {
    QFile arquivo(info.filePath());
    if (!arquivo.open(QIODevice::ReadOnly)) continue;
    const LeitorIni ini(decodificarTexto(arquivo.readAll()));
    const QString secao = QStringLiteral("EspecificacaoIdioma");
    const QString nome = ini.lerTexto(secao, QStringLiteral("nomeIdioma"), QString());
    const QString codigo = ini.lerTexto(secao, QStringLiteral("codAplicacao"), QString());
    if (nome.isEmpty() || codigo != codigoAplicacao) continue;
    const QString nomeArquivo = info.fileName();
    nomesIdiomas.append(nome);
    arquivosIdiomas.append(nomeArquivo.left(nomeArquivo.size() - 4));
    extensoesIdiomas.append(nomeArquivo.right(3));
  }
  if (nomesIdiomas.isEmpty()) {
    mensageiro(QStringLiteral("No language files were found. Please, reinstall your software."),
               tituloMensagens());
    solicitarTerminacao();
  }
}

GerenciadorIdiomas::~GerenciadorIdiomas() = default;

void GerenciadorIdiomas::solicitarTerminacao() {
  terminacaoSolicitada = true;
}

Idioma *GerenciadorIdiomas::selecionarIdioma(const QString &nome) {
  for (qsizetype i = 0; i < nomesIdiomas.size(); ++i)
    if (nomesIdiomas.at(i).compare(nome, Qt::CaseInsensitive) == 0)
      return carregarIdioma(static_cast<int>(i));

  mensageiro(
      QStringLiteral("The language you have selected was not found. Please, select another one."),
      tituloMensagens());
  if (escolherIdioma()) return idiomaAtual.get();
  if (!terminacaoSolicitada)
    mensageiro(QStringLiteral(
                   "The application could not be initialized because no language was selected."),
               tituloMensagens());
  solicitarTerminacao();
  return nullptr;
}

bool GerenciadorIdiomas::escolherIdioma() {
  const int indice = seletor->escolher(nomesIdiomas, indiceAtual);
  if (indice < 0) return false;
  return carregarIdioma(indice) != nullptr;
}

Idioma *GerenciadorIdiomas::carregarIdioma(int indice) {
  if (indice < 0 || indice >= nomesIdiomas.size()) return nullptr;
  if (indice == indiceAtual) return idiomaAtual.get();
  const QString &base = arquivosIdiomas.at(indice);
  const QString &extensao = extensoesIdiomas.at(indice);
  // Built before the old one goes, so a read error leaves the current language in place.
  auto novo = std::make_unique<Idioma>(pasta, base + u'.' + extensao,
                                       base + u'.' + extensaoImagens(extensao), mensageiro);
  idiomaAtual = std::move(novo);
  indiceAtual = indice;
  return idiomaAtual.get();
}

QString GerenciadorIdiomas::getTexto(const QString &secao, const QString &chave) const {
  return idiomaAtual ? idiomaAtual->getTexto(secao, chave) : QString();
}

QImage GerenciadorIdiomas::getImagem(const QString &secao, const QString &chave) {
  return idiomaAtual ? idiomaAtual->getImagem(secao, chave) : QImage();
}

QPixmap GerenciadorIdiomas::getFigura(const QString &secao, const QString &chave) {
  return idiomaAtual ? idiomaAtual->getFigura(secao, chave) : QPixmap();
}
