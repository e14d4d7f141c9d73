// The shell utilities: the version text, what reaches the document opener, starting a
// program, and telling whether a sound server runs.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "Ambiente.h"
#include "QtWait.h"
#include "shell/Util.h"
#include "shell/Utilgui.h"

using kovrinta::test::Ambiente;
using kovrinta::test::waitFor;

namespace {

// Receives what QDesktopServices::openUrl is asked to open, for the schemes it is put on.
class Abridor : public QObject {
  Q_OBJECT

 public:
  explicit Abridor(const QStringList &esquemas) : esquemas_(esquemas) {
    for (const QString &esquema : esquemas_)
      QDesktopServices::setUrlHandler(esquema, this, "abrir");
  }
  ~Abridor() override {
    for (const QString &esquema : esquemas_) QDesktopServices::unsetUrlHandler(esquema);
  }

  QList<QUrl> abertos;

 public slots:
  void abrir(const QUrl &url) { abertos << url; }

 private:
  QStringList esquemas_;
};

// A Unix socket file that is bound but never listened on: what a server that ended
// without removing its socket leaves behind. Connecting to it is refused.
class SoqueteAbandonado {
 public:
  explicit SoqueteAbandonado(const QString &caminho) {
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un endereco{};
    endereco.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(caminho);
    std::memcpy(endereco.sun_path, bytes.constData(),
                std::min<std::size_t>(bytes.size(), sizeof(endereco.sun_path) - 1));
    ligado_ = bind(fd_, reinterpret_cast<sockaddr *>(&endereco), sizeof endereco) == 0;
  }
  ~SoqueteAbandonado() { close(fd_); }
  bool ligado() const { return ligado_; }

 private:
  int fd_ = -1;
  bool ligado_ = false;
};

}  // namespace

TEST(VersaoArquivo, IsTheVersionTheBuildEmbeds) {
  EXPECT_EQ(versaoArquivo(), QStringLiteral(KOVRINTA_VERSAO_ESPERADA));
}

TEST(AbrirDocumento, QuotesAreAddedOnlyWhereMissing) {
  EXPECT_EQ(textoEntreAspas(" \t/tmp/a b/guia.html\r\n"), "\"/tmp/a b/guia.html\"");
  EXPECT_EQ(textoEntreAspas("\"/tmp/a b/guia.html\""), "\"/tmp/a b/guia.html\"");
  EXPECT_EQ(textoEntreAspas("\"/tmp/guia.html"), "\"/tmp/guia.html\"");
  EXPECT_EQ(textoEntreAspas("/tmp/guia.html\""), "\"/tmp/guia.html\"");
  // A lone quote both starts and ends with a quote.
  EXPECT_EQ(textoEntreAspas("\""), "\"");
}

TEST(AbrirDocumento, AnEmptyTextRaisesAndOpensNothing) {
  Abridor abridor({"file", "https"});
  for (const QString &vazio : {QString(), QString("   "), QString("\t\r\n\x01")})
    EXPECT_THROW(abrirDocumento(vazio), std::out_of_range) << vazio.toStdString();
  EXPECT_TRUE(abridor.abertos.isEmpty());
}

TEST(AbrirDocumento, APathWithBlanksReachesTheOpenerWhole) {
  QTemporaryDir pasta;
  const QString caminho = QDir(pasta.path()).filePath("Meus documentos/tutorial.html");
  Abridor abridor({"file"});
  abrirDocumento("  " + caminho + "  ");
  abrirDocumento("\"" + caminho + "\"");
  abrirDocumento("\"" + caminho);
  ASSERT_EQ(abridor.abertos.size(), 3);
  for (const QUrl &url : abridor.abertos) EXPECT_EQ(url.toLocalFile(), caminho);
}

TEST(AbrirDocumento, ARelativePathIsTakenFromTheCurrentFolder) {
  Abridor abridor({"file"});
  abrirDocumento("docs/en/help.html");
  ASSERT_EQ(abridor.abertos.size(), 1);
  EXPECT_EQ(abridor.abertos[0].toLocalFile(), QDir::current().filePath("docs/en/help.html"));
}

TEST(AbrirDocumento, AWebAddressReachesTheOpenerAsAnAddress) {
  Abridor abridor({"https", "mailto", "file"});
  abrirDocumento(" https://kovrinta.example.org/ajuda?p=1 ");
  abrirDocumento("\"mailto:suporte@kovrinta.org\"");
  ASSERT_EQ(abridor.abertos.size(), 2);
  EXPECT_EQ(abridor.abertos[0], QUrl("https://kovrinta.example.org/ajuda?p=1"));
  EXPECT_EQ(abridor.abertos[1], QUrl("mailto:suporte@kovrinta.org"));
}

TEST(AbrirDocumento, ALoneQuoteOpensNothing) {
  Abridor abridor({"file"});
  EXPECT_NO_THROW(abrirDocumento("\""));
  EXPECT_TRUE(abridor.abertos.isEmpty());
}

TEST(ExecutarPrograma, StartsTheProgramWithItsParametersAndTellsWhenItCannot) {
  QTemporaryDir pasta;
  const QString programa = QDir(pasta.path()).filePath("programa de teste");
  const QString saida = QDir(pasta.path()).filePath("argumentos.txt");
  {
    QFile script(programa);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$SAIDA.tmp\"\n"
        "mv \"$SAIDA.tmp\" \"$SAIDA\"\n");
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  Ambiente ambiente("SAIDA", QFile::encodeName(saida));
  EXPECT_TRUE(executarPrograma(programa, "-e \"dois nomes\" fim"));
  ASSERT_TRUE(waitFor([&] { return QFile::exists(saida); }));
  QFile lido(saida);
  ASSERT_TRUE(lido.open(QIODevice::ReadOnly));
  EXPECT_EQ(lido.readAll(), "[-e]\n[dois nomes]\n[fim]\n");

  EXPECT_FALSE(executarPrograma(QDir(pasta.path()).filePath("nao-existe"), {}));
  EXPECT_FALSE(executarPrograma({}, {}));
}

TEST(ServidorSom, RunsOnlyWhenASocketOfTheSessionAnswers) {
  QTemporaryDir sessao;
  Ambiente pasta("XDG_RUNTIME_DIR", QFile::encodeName(sessao.path()));
  Ambiente pulse("PULSE_SERVER", {});
  EXPECT_FALSE(isServidorSomAtivo()) << "no socket at all";

  {
    SoqueteAbandonado abandonado(QDir(sessao.path()).filePath("pipewire-0"));
    ASSERT_TRUE(abandonado.ligado());
    EXPECT_FALSE(isServidorSomAtivo()) << "a socket nobody listens on";
  }
  QFile::remove(QDir(sessao.path()).filePath("pipewire-0"));

  QLocalServer pipewire;
  ASSERT_TRUE(pipewire.listen(QDir(sessao.path()).filePath("pipewire-0")));
  EXPECT_TRUE(isServidorSomAtivo()) << "PipeWire";
  pipewire.close();

  ASSERT_TRUE(QDir(sessao.path()).mkdir("pulse"));
  QLocalServer pulseaudio;
  ASSERT_TRUE(pulseaudio.listen(QDir(sessao.path()).filePath("pulse/native")));
  EXPECT_TRUE(isServidorSomAtivo()) << "PulseAudio, or PipeWire's PulseAudio socket";
  pulseaudio.close();
  EXPECT_FALSE(isServidorSomAtivo()) << "both servers gone";
}

TEST(ServidorSom, PulseServerNamesTheServer) {
  QTemporaryDir sessao;
  QTemporaryDir outra;
  Ambiente pasta("XDG_RUNTIME_DIR", QFile::encodeName(sessao.path()));
  QLocalServer servidor;
  ASSERT_TRUE(servidor.listen(QDir(outra.path()).filePath("native")));
  const QByteArray caminho = QFile::encodeName(servidor.fullServerName());
  {
    Ambiente pulse("PULSE_SERVER", "unix:" + caminho);
    EXPECT_TRUE(isServidorSomAtivo());
  }
  {
    Ambiente pulse("PULSE_SERVER", caminho);
    EXPECT_TRUE(isServidorSomAtivo());
  }
  {
    Ambiente pulse("PULSE_SERVER", "tcp:som.example.org:4713");
    EXPECT_TRUE(isServidorSomAtivo());
  }
  servidor.close();
  Ambiente pulse("PULSE_SERVER", "unix:" + caminho);
  EXPECT_FALSE(isServidorSomAtivo());
}

#include "UtilTest.moc"
