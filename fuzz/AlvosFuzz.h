// The fuzz targets: each takes any bytes to one reader of untrusted input and checks what it
// answers. The fuzzer calls them through EntradaFuzz.cpp, the replay test of tests/fuzz with
// the inputs that once made them fail. A check that does not hold ends the process through
// falhar, which the fuzzer keeps as a finding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovrinta::fuzz {

// The Standard MIDI File parser of the library: the located bytes and the records it answers
// must point inside the input.
int fuzzSmf(const uint8_t *dados, size_t tamanho);
// The whole import: a file -> carregarMusica -> the song, whose index by tick must hold every
// event once; then the sequencer steps through the song's ticks (all of them when the song is
// short enough, else the ticks that hold events) and must perform every event once.
int fuzzImportacao(const uint8_t *dados, size_t tamanho);
// The configuration file: read, saved and read again, giving the same settings; the saved file
// holds exactly its four lines of [geral], then the [entrada] section when it is not at rest.
int fuzzConfiguracao(const uint8_t *dados, size_t tamanho);
// A language: the bytes up to the first zero byte are its .idm, the rest its .dat; discovery,
// carregarIdioma, then getTexto and getImagem for every section and key the text holds (the
// first 256; the program's languages have 83).
int fuzzIdiomas(const uint8_t *dados, size_t tamanho);
// The JPEG loader: a null picture or one within the loader's size limit.
int fuzzJpeg(const uint8_t *dados, size_t tamanho);
// The text decoder, the line splitter, the trimming and the INI reader over the decoded text.
int fuzzTexto(const uint8_t *dados, size_t tamanho);

// A drummer's module: the bytes through the input's stream and hit judging, with a judging
// chosen by the first eight bytes; whole messages, hits on the drum channel, floods thinned.
int fuzzGolpes(const uint8_t *dados, size_t tamanho);

// Reports that a check did not hold and aborts.
[[noreturn]] void falhar(const char *alvo, const char *motivo);

// Makes the QApplication the language machinery needs, on the offscreen platform unless
// another is named, when there is none yet.
void garantirAplicacao();

}  // namespace kovrinta::fuzz
