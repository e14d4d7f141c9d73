// The language files of the program folder: every section and key the program looks up is
// present and filled in each language, and every picture key points at a JPEG inside the
// picture file that decodes to the size of the control that shows it.

#include "ArquivoIdiomaLido.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Chave {
  const char *secao;
  const char *chave;
};

// Every text the program asks for, by the window or service that asks.
const Chave kTextos[] = {
    // discovery of the language files
    {"EspecificacaoIdioma", "nomeIdioma"},
    {"EspecificacaoIdioma", "codAplicacao"},
    // start-up, the error report, message-box captions, the document links
    {"geral", "nomeAplicacao"},
    {"geral", "tituloGeral"},
    {"geral", "erroPPP"},
    {"geral", "erroGeral"},
    {"geral", "erroAbrirNavegador"},
    {"geral", "erroEncontrarAjuda"},
    {"geral", "erroEncontrarTutorial"},
    // main window: button hints (the picture's name without "img")
    {"frmPrincipal", "Help"},
    {"frmPrincipal", "Min"},
    {"frmPrincipal", "Fechar"},
    {"frmPrincipal", "Open"},
    {"frmPrincipal", "Setup"},
    {"frmPrincipal", "Play"},
    {"frmPrincipal", "Stop"},
    {"frmPrincipal", "Pause"},
    {"frmPrincipal", "Repeat"},
    {"frmPrincipal", "Rew"},
    {"frmPrincipal", "FF"},
    {"frmPrincipal", "Tutorial"},
    {"frmPrincipal", "Styles"},
    // main window: captions and hints under the control's name
    {"frmPrincipal", "lblTempo"},
    {"frmPrincipal", "lblVolume"},
    {"frmPrincipal", "lblVelocidade"},
    {"frmPrincipal", "tkbAndamento"},
    {"frmPrincipal", "tkbVol"},
    {"frmPrincipal", "tkbBPM"},
    {"frmPrincipal", "lblURL"},
    {"frmPrincipal", "CmbTracks"},
    {"frmPrincipal", "CmbTracksText"},
    // main window: drum-track list, rhythm folder, player status, messages
    {"frmPrincipal", "Bateria"},
    {"frmPrincipal", "BateriaTodas"},
    {"frmPrincipal", "SemNome"},
    {"frmPrincipal", "dlgRitmos"},
    {"frmPrincipal", "Tocando"},
    {"frmPrincipal", "Pausa"},
    {"frmPrincipal", "Parado"},
    {"frmPrincipal", "Repetindo"},
    {"frmPrincipal", "InicioLoop"},
    {"frmPrincipal", "Adiantando"},
    {"frmPrincipal", "Voltando"},
    {"frmPrincipal", "msgPlacaDesconfigurada"},
    {"frmPrincipal", "erroAbrirDispositivo"},
    {"frmPrincipal", "erroLerArquivoMidi"},
    {"frmPrincipal", "closeQuery"},
    {"frmPrincipal", "erroSalvarConfiguracao"},
    {"frmPrincipal", "msgDispositivoPerdido"},
    {"frmPrincipal", "msgEntradaPerdida"},
    // practice column and window
    {"frmPratica", "Caption"},
    {"frmPratica", "lblCompasso"},
    {"frmPratica", "lblVelocidade"},
    {"frmPratica", "ckClique"},
    {"frmPratica", "ckCliqueDica"},
    {"frmPratica", "btnPratica"},
    {"frmPratica", "btnPraticaDica"},
    {"frmPratica", "btnPistas"},
    {"frmPratica", "btnPistasDica"},
    {"frmPratica", "grpContagem"},
    {"frmPratica", "lblContagem"},
    {"frmPratica", "contagem0"},
    {"frmPratica", "contagem1"},
    {"frmPratica", "contagem2"},
    {"frmPratica", "ckContagemNoLoop"},
    {"frmPratica", "grpClique"},
    {"frmPratica", "ckCliqueTempos"},
    {"frmPratica", "ckColcheias"},
    {"frmPratica", "lblVolumeClique"},
    {"frmPratica", "grpLoop"},
    {"frmPratica", "ckMarcasNasLinhas"},
    {"frmPratica", "lblCompassosLoop"},
    {"frmPratica", "btnLoopCompassos"},
    {"frmPratica", "grpVelocidade"},
    {"frmPratica", "lblVelocidadeMusica"},
    {"frmPratica", "ckTreinador"},
    {"frmPratica", "lblInicio"},
    {"frmPratica", "lblPasso"},
    {"frmPratica", "lblPasses"},
    {"frmPratica", "lblAlvo"},
    {"frmPratica", "btnFechar"},
    {"frmPratica", "lblRecentes"},
    // the practice window's judging, and saving the take
    {"frmPratica", "grpJulgamento"},
    {"frmPratica", "lblRigor"},
    {"frmPratica", "rigorEstrito"},
    {"frmPratica", "rigorNormal"},
    {"frmPratica", "rigorFolgado"},
    {"frmPratica", "lblLatencia"},
    {"frmPratica", "btnCalibrar"},
    {"frmPratica", "lblAtrasoVisual"},
    {"frmPratica", "btnResumo"},
    {"frmPratica", "btnTake"},
    {"frmPratica", "takeTitulo"},
    {"frmPratica", "takeFiltro"},
    {"frmPratica", "takeVazio"},
    {"frmPratica", "takeModo"},
    {"frmPratica", "takeSo"},
    {"frmPratica", "takeMusica"},
    {"frmPratica", "takeErro"},
    // the drum lane view
    {"frmPistas", "Caption"},
    {"frmPistas", "lblAntecipacao"},
    {"frmPistas", "segundos"},
    {"frmPistas", "btnTelaCheia"},
    {"frmPistas", "pistaAtaque"},
    {"frmPistas", "pistaChimbal"},
    {"frmPistas", "pistaConducao"},
    {"frmPistas", "pistaTon1"},
    {"frmPistas", "pistaTon2"},
    {"frmPistas", "pistaCaixa"},
    {"frmPistas", "pistaSurdo1"},
    {"frmPistas", "pistaSurdo2"},
    {"frmPistas", "pistaBumbo"},
    {"frmPistas", "pistaOutras"},
    {"frmPistas", "noTempo"},
    {"frmPistas", "adiantado"},
    {"frmPistas", "atrasado"},
    {"frmPistas", "extra"},
    {"frmPistas", "perdido"},
    {"frmPistas", "contagem"},
    {"frmPistas", "dicaRolar"},
    // setup dialog
    {"frmSetup", "CheckBox"},
    {"frmSetup", "CheckBoxText"},
    {"frmSetup", "GroupBoxCanais"},
    {"frmSetup", "CheckBoxSel"},
    {"frmSetup", "TabCanais"},
    {"frmSetup", "btnOK"},
    {"frmSetup", "btnCancel"},
    {"frmSetup", "btnAssistenteDriver"},
    {"frmSetup", "CmbZoom"},
    {"frmSetup", "CmbZoomAutomatico"},
    {"frmSetup", "CmbZoomPercentual"},
    // sound-card test wizard
    {"fmAssistenteConfiguracaoDriver", "titulo"},
    {"fmAssistenteConfiguracaoDriver", "lblTitulo1-A"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao1-A"},
    {"fmAssistenteConfiguracaoDriver", "btnEscutando"},
    {"fmAssistenteConfiguracaoDriver", "btnNaoEscutando"},
    {"fmAssistenteConfiguracaoDriver", "btnProsseguir"},
    {"fmAssistenteConfiguracaoDriver", "btnCancelar"},
    {"fmAssistenteConfiguracaoDriver", "btnFinalizar"},
    {"fmAssistenteConfiguracaoDriver", "lblLinkVolumeWindows"},
    {"fmAssistenteConfiguracaoDriver", "lblTitulo2-A"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao2-A1"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao2-A2"},
    {"fmAssistenteConfiguracaoDriver", "lblTitulo2-B"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao2-B"},
    {"fmAssistenteConfiguracaoDriver", "lblTitulo2-C"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao2-C"},
    {"fmAssistenteConfiguracaoDriver", "lblTitulo2-D"},
    {"fmAssistenteConfiguracaoDriver", "lblExplicacao2-D"},
    {"fmAssistenteConfiguracaoDriver", "erroAbrirVolumeWindows"},
    // documents and web address
    {"parametros", "caminhoTutorial"},
    {"(r)parametros", "caminhoAjuda"},
    {"(r)parametros", "urlVelmaro"},
};

struct ChaveImagem {
  const char *secao;
  const char *chave;
  int largura;
  int altura;
};

// Every picture the program asks for, with the size of the control that shows it.
const ChaveImagem kImagens[] = {
    {"frmEntrada", "imgEntrada", 250, 250},       {"frmPrincipal", "imgURL", 169, 21},
    {"frmPrincipal", "imgKovrintaLogo", 137, 75}, {"frmPrincipal", "imgOpen", 83, 25},
    {"frmPrincipal", "imgOpen2", 83, 25},         {"frmPrincipal", "imgStyles", 82, 25},
    {"frmPrincipal", "imgStyles2", 82, 25},
};

// Each picture also drawn for the zoomed windows: its key with the scale's suffix, its size
// times the scale.
struct ImagemEscalada {
  std::string secao;
  std::string chave;
  int largura;
  int altura;
};

std::vector<ImagemEscalada> imagensEscaladas() {
  std::vector<ImagemEscalada> todas;
  for (const ChaveImagem &c : kImagens)
    for (const auto &[sufixo, escala] : {std::pair{"", 1.0}, {"@1.5x", 1.5}, {"@2x", 2.0}})
      todas.push_back({c.secao, std::string(c.chave) + sufixo,
                       static_cast<int>(std::lround(c.largura * escala)),
                       static_cast<int>(std::lround(c.altura * escala))});
  return todas;
}

struct IdiomaEsperado {
  const char *base;  // file name without extension
  const char *nome;  // display name; "English" is the configuration's default
};

const IdiomaEsperado kIdiomas[] = {
    {"en", "English"},
    {"pt-BR", "Português (Brasil)"},
    {"es", "Español"},
};

// Names the language in test output instead of dumping the structure's bytes.
void PrintTo(const IdiomaEsperado &idioma, std::ostream *os) {
  *os << idioma.base;
}

fs::path pastaPrograma() {
  return fs::path(KOVRINTA_PROGRAM_DIR);
}

std::string lerBytes(const fs::path &caminho) {
  std::ifstream arquivo(caminho, std::ios::binary);
  return {std::istreambuf_iterator<char>(arquivo), std::istreambuf_iterator<char>()};
}

// "offset,length" in decimal, nothing else.
std::optional<std::pair<std::uint64_t, std::uint64_t>> lerPosicao(const std::string &valor) {
  const std::size_t virgula = valor.find(',');
  if (virgula == std::string::npos || virgula == 0 || virgula + 1 == valor.size())
    return std::nullopt;
  const std::string a = valor.substr(0, virgula);
  const std::string b = valor.substr(virgula + 1);
  auto soDigitos = [](const std::string &s) {
    return s.size() <= 12 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!soDigitos(a) || !soDigitos(b)) return std::nullopt;
  return std::make_pair(std::stoull(a), std::stoull(b));
}

struct ImagemDecodificada {
  int largura = 0;
  int altura = 0;
  std::vector<unsigned char> rgb;
};

// Decodes a whole JPEG strictly (a warning such as a truncated stream counts as failure).
std::optional<ImagemDecodificada> decodificarJpeg(const std::string &jpeg, std::string *erro) {
  std::unique_ptr<void, int (*)(tjhandle)> decodificador(tjInitDecompress(), tjDestroy);
  const auto *dados = reinterpret_cast<const unsigned char *>(jpeg.data());
  int subamostragem = 0;
  int espacoCor = 0;
  ImagemDecodificada img;
  if (tjDecompressHeader3(decodificador.get(), dados, jpeg.size(), &img.largura, &img.altura,
                          &subamostragem, &espacoCor) != 0) {
    *erro = tjGetErrorStr2(decodificador.get());
    return std::nullopt;
  }
  img.rgb.resize(static_cast<std::size_t>(img.largura) * img.altura * 3);
  if (tjDecompress2(decodificador.get(), dados, jpeg.size(), img.rgb.data(), img.largura, 0,
                    img.altura, TJPF_RGB, TJFLAG_STOPONWARNING) != 0) {
    *erro = tjGetErrorStr2(decodificador.get());
    return std::nullopt;
  }
  return img;
}

// Share of pixels that differ clearly from the top-left one: near 0 for a blank picture.
double parteDesenhada(const ImagemDecodificada &img) {
  const std::size_t pixels = img.rgb.size() / 3;
  std::size_t diferentes = 0;
  for (std::size_t p = 0; p < pixels; ++p) {
    int distancia = 0;
    for (int c = 0; c < 3; ++c) distancia += std::abs(img.rgb[p * 3 + c] - img.rgb[c]);
    if (distancia > 48) ++diferentes;
  }
  return pixels ? static_cast<double>(diferentes) / pixels : 0.0;
}

class ArquivoIdioma : public ::testing::TestWithParam<IdiomaEsperado> {
 protected:
  void SetUp() override {
    idm_ = pastaPrograma() / (std::string(GetParam().base) + ".idm");
    dat_ = pastaPrograma() / (std::string(GetParam().base) + ".dat");
    ASSERT_TRUE(fs::is_regular_file(idm_)) << idm_;
    ASSERT_TRUE(fs::is_regular_file(dat_)) << dat_;
    arquivo_.emplace(idm_.string());
  }

  fs::path idm_;
  fs::path dat_;
  std::optional<ArquivoIdiomaLido> arquivo_;
};

TEST_P(ArquivoIdioma, IsPlainUtf8TextThatTheProgramReadsAsUtf8) {
  const std::string &bytes = arquivo_->bytes();
  EXPECT_TRUE(ehUtf8Valido(bytes)) << "a reader would fall back to Windows-1252";
  EXPECT_NE(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "a byte-order mark would hide the first section";
  EXPECT_EQ(bytes.find('\0'), std::string::npos);
}

TEST_P(ArquivoIdioma, IdentifiesItselfAsAKovrintaLanguage) {
  EXPECT_EQ(arquivo_->getTexto("EspecificacaoIdioma", "nomeIdioma"), GetParam().nome);
  EXPECT_EQ(arquivo_->getTexto("EspecificacaoIdioma", "codAplicacao"), "Kovrinta");
}

TEST_P(ArquivoIdioma, HoldsEveryTextTheProgramLooksUp) {
  std::vector<std::string> faltando;
  for (const Chave &c : kTextos)
    if (arquivo_->getTexto(c.secao, c.chave).empty())
      faltando.push_back(std::string(c.secao) + "/" + c.chave);
  for (const ChaveImagem &c : kImagens)
    if (arquivo_->getTexto(c.secao, c.chave).empty())
      faltando.push_back(std::string(c.secao) + "/" + c.chave);
  EXPECT_TRUE(faltando.empty()) << "missing or empty: " << ::testing::PrintToString(faltando);
}

// The program's flat lookup reaches only the first section of a name and the first key of a
// section, and joins the section's number with the key: every entry must be reachable under
// its own section and key, with the value written there.
TEST_P(ArquivoIdioma, EveryEntryIsReachedUnderItsOwnSectionAndKey) {
  EXPECT_EQ(arquivo_->entradasSemSecao(), 0u);
  std::set<std::string> nomes;
  for (const SecaoLida &secao : arquivo_->secoes()) {
    EXPECT_TRUE(nomes.insert(secao.nome).second) << "section [" << secao.nome << "] twice";
    std::set<std::string> chaves;
    for (const EntradaLida &e : secao.entradas) {
      SCOPED_TRACE(secao.nome + "/" + e.chave);
      EXPECT_TRUE(chaves.insert(e.chave).second) << "key twice";
      ASSERT_FALSE(e.chave.empty());
      EXPECT_FALSE(e.chave.front() >= '0' && e.chave.front() <= '9');
      EXPECT_EQ(e.chave.find_first_of(" \t"), std::string::npos) << "blank in key";
      std::string esperado;
      for (char c : e.valor) esperado += c == '#' ? std::string("\r\n") : std::string(1, c);
      EXPECT_EQ(arquivo_->getTexto(secao.nome, e.chave), esperado);
    }
  }
}

TEST_P(ArquivoIdioma, KeyLinesStartInTheFirstColumn) {
  const std::string &bytes = arquivo_->bytes();
  for (std::size_t inicio = 0; inicio < bytes.size();) {
    std::size_t fim = bytes.find_first_of("\r\n", inicio);
    if (fim == std::string::npos) fim = bytes.size();
    if (fim > inicio) {
      const auto primeiro = static_cast<unsigned char>(bytes[inicio]);
      EXPECT_GT(primeiro, 0x20) << "line starts with a blank: "
                                << bytes.substr(inicio, fim - inicio);
    }
    inicio = fim + 1;
  }
}

TEST_P(ArquivoIdioma, PicturesAreJpegsOfTheirControlsSizeAtEveryZoom) {
  const std::string dat = lerBytes(dat_);
  for (const ImagemEscalada &c : imagensEscaladas()) {
    SCOPED_TRACE(c.chave);
    const auto posicao = lerPosicao(arquivo_->getTexto(c.secao, c.chave));
    ASSERT_TRUE(posicao) << "value is not offset,length";
    const auto [inicio, tamanho] = *posicao;
    ASSERT_LE(inicio + tamanho, dat.size()) << "runs past the end of the picture file";
    const std::string jpeg = dat.substr(inicio, tamanho);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8") << "does not start a JPEG";
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9") << "does not end a JPEG";
    std::string erro;
    const auto img = decodificarJpeg(jpeg, &erro);
    ASSERT_TRUE(img) << erro;
    EXPECT_EQ(img->largura, c.largura);
    EXPECT_EQ(img->altura, c.altura);
    EXPECT_GT(parteDesenhada(*img), 0.05) << "the picture is nearly blank";
  }
}

// The picture file is the pictures end to end: no stray bytes, no picture sharing bytes.
TEST_P(ArquivoIdioma, PictureFileHoldsExactlyItsPictures) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> faixas;
  for (const ImagemEscalada &c : imagensEscaladas()) {
    const auto posicao = lerPosicao(arquivo_->getTexto(c.secao, c.chave));
    ASSERT_TRUE(posicao) << c.chave;
    faixas.push_back(*posicao);
  }
  std::sort(faixas.begin(), faixas.end());
  std::uint64_t fim = 0;
  for (const auto &[inicio, tamanho] : faixas) {
    EXPECT_EQ(inicio, fim) << "gap or overlap before the picture at " << inicio;
    fim = inicio + tamanho;
  }
  EXPECT_EQ(fim, fs::file_size(dat_));
}

// Texts that the program joins with something of its own.
TEST_P(ArquivoIdioma, TextsJoinedByTheProgramReadWell) {
  // "Bateria" is followed directly by the item number; the gap must be part of the text.
  const std::string bateria = arquivo_->getTexto("frmPrincipal", "Bateria");
  ASSERT_FALSE(bateria.empty());
  const auto ultimo = static_cast<unsigned char>(bateria.back());
  EXPECT_FALSE(std::isalnum(ultimo)) << "\"" << bateria << "1\" runs the number into the word";
  // The wizard appends " 1:" to the step title and "\"device\". " to the explanation.
  for (const char *chave : {"lblTitulo2-A", "lblExplicacao2-A1"}) {
    const std::string texto = arquivo_->getTexto("fmAssistenteConfiguracaoDriver", chave);
    ASSERT_FALSE(texto.empty()) << chave;
    EXPECT_EQ(std::string(".:").find(texto.back()), std::string::npos) << chave;
  }
}

TEST_P(ArquivoIdioma, PathsLieInsideTheProgramFolder) {
  for (const Chave c :
       {Chave{"parametros", "caminhoTutorial"}, Chave{"(r)parametros", "caminhoAjuda"},
        Chave{"frmPrincipal", "dlgRitmos"}}) {
    const std::string caminho = arquivo_->getTexto(c.secao, c.chave);
    SCOPED_TRACE(caminho);
    ASSERT_FALSE(caminho.empty()) << c.chave;
    EXPECT_FALSE(fs::path(caminho).is_absolute());
    EXPECT_EQ(caminho.find('\\'), std::string::npos);
    EXPECT_EQ(caminho.find(".."), std::string::npos);
  }
  const std::string url = arquivo_->getTexto("(r)parametros", "urlVelmaro");
  EXPECT_TRUE(url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0) << url;
}

INSTANTIATE_TEST_SUITE_P(Idiomas, ArquivoIdioma, ::testing::ValuesIn(kIdiomas),
                         [](const ::testing::TestParamInfo<IdiomaEsperado> &info) {
                           std::string nome = info.param.base;
                           std::replace(nome.begin(), nome.end(), '-', '_');
                           return nome;
                         });

// A key added to one language and forgotten in another shows an empty text in that one.
TEST(ArquivosIdioma, AllLanguagesHoldTheSameSectionsAndKeys) {
  auto chavesDe = [](const char *base) {
    std::set<std::string> chaves;
    const ArquivoIdiomaLido arquivo((pastaPrograma() / (std::string(base) + ".idm")).string());
    for (const SecaoLida &secao : arquivo.secoes())
      for (const EntradaLida &e : secao.entradas) chaves.insert(secao.nome + "/" + e.chave);
    return chaves;
  };
  const std::set<std::string> referencia = chavesDe(kIdiomas[0].base);
  for (const IdiomaEsperado &idioma : kIdiomas) {
    const std::set<std::string> chaves = chavesDe(idioma.base);
    std::vector<std::string> diferenca;
    std::set_symmetric_difference(referencia.begin(), referencia.end(), chaves.begin(),
                                  chaves.end(), std::back_inserter(diferenca));
    EXPECT_TRUE(diferenca.empty()) << idioma.base << " differs from " << kIdiomas[0].base << " in "
                                   << ::testing::PrintToString(diferenca);
  }
}

// What the program's discovery offers: every accepted file of the folder, by display name.
TEST(ArquivosIdioma, ProgramFolderOffersEachLanguageOnce) {
  std::map<std::string, int> oferecidos;
  for (const fs::directory_entry &entrada : fs::directory_iterator(pastaPrograma())) {
    if (!entrada.is_regular_file() || entrada.path().extension() != ".idm") continue;
    const ArquivoIdiomaLido arquivo(entrada.path().string());
    const std::string nome = arquivo.getTexto("EspecificacaoIdioma", "nomeIdioma");
    if (!nome.empty() && arquivo.getTexto("EspecificacaoIdioma", "codAplicacao") == "Kovrinta")
      ++oferecidos[nome];
    EXPECT_TRUE(fs::is_regular_file(fs::path(entrada.path()).replace_extension(".dat")))
        << entrada.path() << " has no picture file";
  }
  for (const IdiomaEsperado &idioma : kIdiomas)
    EXPECT_EQ(oferecidos[idioma.nome], 1) << idioma.nome;
}

}  // namespace
