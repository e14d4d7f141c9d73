// A drummer's module may send anything: the bytes become messages and the messages are judged
// as the input's real-time thread does it. Every message must be whole, every hit must sound
// a note that exists on the drum channel, and a pad may not sound more often than the flood
// guard lets it.
#include <array>

#include "HitFilter.h"
#include "InputStream.h"
#include "fuzz/AlvosFuzz.h"

namespace kovrinta::fuzz {

namespace {

constexpr std::size_t bytesDaTabela = 8;

// The first bytes choose the judging, so that the fuzzer reaches every rule: which notes sound
// and as what, the hi-hat notes, the thresholds and the guard.
VxMidiThru tabelaDe(const uint8_t *dados) {
  VxMidiThru thru{};
  for (int nota = 0; nota < 128; ++nota) {
    const uint8_t escolha = static_cast<uint8_t>(dados[nota % 4] + nota);
    thru.note[nota] = escolha % 3 == 0 ? static_cast<uint8_t>(VX_THRU_NONE) : escolha & 0x7F;
    thru.hat[nota] = escolha % 5 == 0;
  }
  thru.closedHatNote = dados[4] & 0x7F;
  thru.openHatNote = static_cast<uint8_t>(dados[4] >> 1);
  thru.channel = dados[5] & 0x0F;
  thru.minVelocity = dados[6] & 0x7F;
  thru.closedFrom = dados[7] & 0x7F;
  thru.pedalInverted = dados[7] >> 7;
  thru.crossTalkGuard = dados[6] >> 7;
  return thru;
}

}  // namespace

int fuzzGolpes(const uint8_t *dados, size_t tamanho) {
  if (tamanho < bytesDaTabela) return 0;
  const VxMidiThru thru = tabelaDe(dados);
  vx::InputStream fluxo;
  vx::HitFilter filtro;
  filtro.configure(dados[0] & 1 ? &thru : nullptr);
  std::array<int64_t, 128> ultimoGolpe{};
  ultimoGolpe.fill(-1);
  int64_t agoraNs = 0;
  vx::ShortMessage mensagem;
  for (size_t i = bytesDaTabela; i < tamanho; ++i) {
    // Time moves by a byte's worth at 31,250 baud, and by more after a zero byte.
    agoraNs += dados[i] == 0 ? 7'000'000 : 320'000;
    if (!fluxo.take(dados[i], &mensagem)) continue;
    if (mensagem.length < 1 || mensagem.length > 3 || mensagem.bytes[0] < 0x80)
      falhar("golpes", "a message without its status or of no length");
    for (int b = 1; b < mensagem.length; ++b)
      if (mensagem.bytes[b] > 0x7F) falhar("golpes", "a status byte among the data bytes");
    const vx::HitFilter::Decision decisao = filtro.take(mensagem, agoraNs);
    if (decisao.sound.length == 0) continue;
    const uint8_t *som = decisao.sound.bytes;
    if (decisao.sound.length != 3 || som[0] != (0x90 | thru.channel) || som[1] > 0x7F ||
        som[2] > 0x7F)
      falhar("golpes", "a hit sounds as no note-on of the drum channel");
    const bool noteOn = (mensagem.bytes[0] & 0xF0) == 0x90 && mensagem.bytes[2] > 0;
    if (!noteOn) continue;
    if (!decisao.deliver || decisao.soundedNote != som[1])
      falhar("golpes", "a hit sounded that the program is not told of");
    int64_t &ultimo = ultimoGolpe[mensagem.bytes[1] & 0x7F];
    if (ultimo >= 0 && agoraNs - ultimo < VX_RETRIGGER_NS)
      falhar("golpes", "a pad sounded again within the flood guard");
    ultimo = agoraNs;
  }
  return 0;
}

}  // namespace kovrinta::fuzz
