// Every input that once made a reader fail (tests/data/<reader>/regressions) and the sample
// files its fuzzing starts from, through the same checks as the fuzz target of that reader. A
// check that does not hold aborts the test with the target's reason; the input's name is the
// last one written to standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "fuzz/AlvosFuzz.h"

namespace fs = std::filesystem;
using namespace kovrinta::fuzz;

namespace {

const fs::path dados = KOVRINTA_TEST_DATA;

using Bytes = std::vector<uint8_t>;

struct Entrada {
  std::string nome;
  Bytes bytes;
};

Bytes ler(const fs::path &arquivo) {
  std::ifstream entrada(arquivo, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(entrada), {});
}

// The files under pasta, in name order; the notes beside the inputs are left out.
std::vector<fs::path> arquivosEm(const fs::path &pasta) {
  std::vector<fs::path> arquivos;
  if (!fs::is_directory(pasta)) return arquivos;
  for (const auto &item : fs::recursive_directory_iterator(pasta))
    if (item.is_regular_file() && item.path().extension() != ".md") arquivos.push_back(item.path());
  std::sort(arquivos.begin(), arquivos.end());
  return arquivos;
}

void acrescentar(std::vector<Entrada> &entradas, const fs::path &pasta) {
  for (const fs::path &arquivo : arquivosEm(pasta))
    entradas.push_back({fs::relative(arquivo, dados).string(), ler(arquivo)});
}

// A language as the languages target takes it: the .idm, a zero byte, the .dat.
std::vector<Entrada> idiomasDe(const fs::path &pasta) {
  std::vector<Entrada> entradas;
  for (const fs::path &texto : arquivosEm(pasta)) {
    if (texto.extension() != ".idm") continue;
    Bytes bytes = ler(texto);
    bytes.push_back(0);
    fs::path imagens = texto;
    imagens.replace_extension(".dat");
    const Bytes dat = fs::exists(imagens) ? ler(imagens) : Bytes();
    bytes.insert(bytes.end(), dat.begin(), dat.end());
    entradas.push_back({fs::relative(texto, dados).string(), bytes});
  }
  return entradas;
}

// The pictures a language text points to in its .dat, by their "offset,length" values.
std::vector<Entrada> imagensDe(const fs::path &pasta) {
  std::vector<Entrada> entradas;
  const std::regex posicao(R"(=\s*(\d+)\s*,\s*(\d+)\s*$)");
  for (const fs::path &texto : arquivosEm(pasta)) {
    fs::path imagens = texto;
    imagens.replace_extension(".dat");
    if (texto.extension() != ".idm" || !fs::exists(imagens)) continue;
    const Bytes dat = ler(imagens);
    std::ifstream linhas(texto);
    std::smatch m;
    for (std::string linha; std::getline(linhas, linha);) {
      if (!linha.empty() && linha.back() == '\r') linha.pop_back();
      if (!std::regex_search(linha, m, posicao)) continue;
      const size_t inicio = std::stoul(m[1]), tamanho = std::stoul(m[2]);
      if (inicio > dat.size() || tamanho > dat.size() - inicio) continue;
      entradas.push_back({fs::relative(imagens, dados).string() + "@" + m[1].str(),
                          Bytes(dat.begin() + static_cast<long>(inicio),
                                dat.begin() + static_cast<long>(inicio + tamanho))});
    }
  }
  return entradas;
}

void repetir(int (*alvo)(const uint8_t *, size_t), const std::vector<Entrada> &entradas) {
  ASSERT_FALSE(entradas.empty()) << "no input to replay";
  for (const Entrada &e : entradas) {
    std::cerr << "replaying " << e.nome << '\n';
    alvo(e.bytes.data(), e.bytes.size());
  }
}

TEST(RegressoesFuzz, TheMidiFileReaderKeepsItsAnswersInsideEveryFile) {
  std::vector<Entrada> entradas;
  for (const char *pasta : {"smf/regressions", "midi"}) acrescentar(entradas, dados / pasta);
  repetir(fuzzSmf, entradas);
}

TEST(RegressoesFuzz, EveryFileImportsOrIsRefusedAndPlaysEveryEventOnce) {
  std::vector<Entrada> entradas;
  for (const char *pasta : {"importacao/regressions", "midi"}) acrescentar(entradas, dados / pasta);
  repetir(fuzzImportacao, entradas);
}

TEST(RegressoesFuzz, EveryConfigurationFileKeepsItsSettingsAcrossASave) {
  std::vector<Entrada> entradas;
  acrescentar(entradas, dados / "config");
  repetir(fuzzConfiguracao, entradas);
}

TEST(RegressoesFuzz, EveryLanguageLoadsAndAnswersItsTextsAndPictures) {
  std::vector<Entrada> entradas;
  acrescentar(entradas, dados / "idiomas/regressions");
  for (Entrada &e : idiomasDe(dados / "idiomas/valid")) entradas.push_back(std::move(e));
  repetir(fuzzIdiomas, entradas);
}

TEST(RegressoesFuzz, EveryPictureDecodesWithinTheSizeLimitOrIsRefused) {
  std::vector<Entrada> entradas;
  acrescentar(entradas, dados / "jpeg/regressions");
  for (Entrada &e : imagensDe(dados / "idiomas/valid")) entradas.push_back(std::move(e));
  repetir(fuzzJpeg, entradas);
}

TEST(RegressoesFuzz, EveryModuleStreamGivesWholeMessagesAndThinnedHits) {
  std::vector<Entrada> entradas;
  acrescentar(entradas, dados / "golpes/regressions");
  repetir(fuzzGolpes, entradas);
}

TEST(RegressoesFuzz, EveryTextDecodesSplitsAndReadsAsIni) {
  std::vector<Entrada> entradas;
  for (const char *pasta : {"texto/regressions", "config", "idiomas"})
    acrescentar(entradas, dados / pasta);
  repetir(fuzzTexto, entradas);
}

}  // namespace
