#include "midi/SaidaMIDI.h"

#include <QStringDecoder>
#include <algorithm>

#include "EVxMidiException.h"
#include "TVxMidi.h"
#include "TVxMidiOut.h"
#include "TVxMidiSMF.h"
#include "TVxMidiScore.h"
#include "TVxMidiStamp.h"
#include "TVxMidiTrack.h"
#include "config/TextoCodificado.h"

namespace {

// The open parameter every device is opened with.
constexpr uint32_t parametroAbertura = 78624;

// A track name is at most 99 bytes long. Names are UTF-8 in newer files and Windows-1252 in
// those written on Windows, as the language files are read; a UTF-8 name is cut where a
// character ends, so that the cut does not turn it into a Windows-1252 misreading.
QString nomeLimitado(const QByteArray &inteiro) {
  constexpr qsizetype limite = 99;
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString nome = utf8(inteiro);
  if (utf8.hasError()) return decodificarTexto(inteiro.left(limite));
  qsizetype bytes = 0;
  qsizetype caracteres = 0;
  for (const QChar *c = nome.constBegin(); c != nome.constEnd();) {
    const char32_t codigo = c->isHighSurrogate() && c + 1 != nome.constEnd()
                                ? QChar::surrogateToUcs4(c[0], c[1])
                                : c->unicode();
    const qsizetype tamanho = codigo < 0x80 ? 1 : codigo < 0x800 ? 2 : codigo < 0x10000 ? 3 : 4;
    if (bytes + tamanho > limite) break;
    bytes += tamanho;
    const qsizetype unidades = codigo >= 0x10000 ? 2 : 1;
    caracteres += unidades;
    c += unidades;
  }
  return nome.left(caracteres);
}

int &dispositivoInicial() {
  static int dispositivo = 0;
  return dispositivo;
}

}  // namespace

void SaidaMIDI::setDispositivoInicial(int dispositivo) {
  dispositivoInicial() = dispositivo;
}

// The holder is made before the instance, so that it is destroyed after the library's own
// statics have closed every handle: the program's exit sends nothing more.
SaidaMIDI &SaidaMIDI::instancia() {
  static std::unique_ptr<SaidaMIDI> instancia;
  if (!instancia) instancia.reset(new SaidaMIDI());
  return *instancia;
}

// A library that cannot be loaded leaves the instance without a device; its error is kept and
// raised by the first operation that needs the library, so that the window can show it. Later
// failures are swallowed and the instance is kept as far as it got.
SaidaMIDI::SaidaMIDI()
    : saida(std::make_unique<TVxMidiOut>()),
      arquivoMidi(std::make_unique<TVxMidiSMF>()),
      partitura(std::make_unique<TVxMidiScore>(0)) {
  try {
    vxMidi = std::make_unique<TVxMidi>();
  } catch (const std::exception &e) {
    erroCarga = e.what();
    return;
  }
  try {
    saida->VxMidi = vxMidi.get();
    arquivoMidi->VxMidi = vxMidi.get();
    saida->SetScore(partitura.get());
    arquivoMidi->SetScore(partitura.get());
    if (!saida->IsOpen() && dispositivoInicial() >= 0)
      saida->Open(static_cast<uint16_t>(dispositivoInicial()), parametroAbertura);
    volumeGeral = 100;
    aplicarVolumes();
  } catch (const std::exception &) {
  }
}

void SaidaMIDI::exigirBiblioteca() const {
  if (!vxMidi) throw EVxMidiException(erroCarga);
}

SaidaMIDI::~SaidaMIDI() {
  // The components go before the library they point to.
  saida.reset();
  arquivoMidi.reset();
}

bool SaidaMIDI::abrirDispositivo(int dispositivo) {
  exigirBiblioteca();
  if (saida->IsOpen()) saida->Close();
  const bool aberto = saida->Open(static_cast<uint16_t>(dispositivo), parametroAbertura);
  if (aoAbrir) aoAbrir();
  return aberto;
}

// Every device is listed, also one without a description, so that a name's place in the
// list is always the number that opens it.
QStringList SaidaMIDI::listarDispositivos() {
  exigirBiblioteca();
  QStringList nomes;
  const int n = saida->GetNumDevices();
  for (int i = 0; i < n; ++i) {
    char descricao[VX_DESCRIPTION_SIZE] = {};
    vxMidi->entries().GetMidiOutDescription(static_cast<uint32_t>(i), descricao);
    descricao[VX_DESCRIPTION_SIZE - 1] = '\0';
    const QString nome = QString::fromUtf8(descricao);
    nomes << (nome.isEmpty() ? QStringLiteral("MIDI %1").arg(i) : nome);
  }
  return nomes;
}

void SaidaMIDI::enviarMensagem(int status, int dado1, int dado2) {
  const VxMidiEvent evento{0, static_cast<uint8_t>(status), static_cast<uint8_t>(dado1),
                           static_cast<uint8_t>(dado2), 0};
  saida->Put(evento);
}

void SaidaMIDI::enviarNoteOn(int canal, int velocidade, int nota) {
  enviarMensagem(0x90 + canal, nota, velocidade);
}

void SaidaMIDI::enviarNoteOff(int canal, int nota) {
  enviarMensagem(0x90 + canal, nota, 0);
}

void SaidaMIDI::setPrograma(int canal, int programa) {
  if (programa == 128) return;
  enviarMensagem(0xB0 + canal, 0, 0);
  enviarMensagem(0xC0 + canal, programa, 0);
}

void SaidaMIDI::enviarProgramaBateria() {
  enviarMensagem(0xC9, 0, 0);
}

void SaidaMIDI::setVolume(int percentual) {
  volumeGeral = percentual;
  aplicarVolumes();
}

void SaidaMIDI::aplicarVolumes() {
  const int valor = 127 * std::clamp(volumeGeral, 0, 100) / 100;
  for (int canal = 0; canal < 16; ++canal) enviarMensagem(0xB0 + canal, 7, valor);
}

void SaidaMIDI::resetarControladores() {
  for (int canal = 0; canal < 16; ++canal) enviarMensagem(0xB0 + canal, 121, 0);
}

// Inside a beat (the song's end) the silence goes with the beat's stamp, after the messages
// the song still has on its way, so that its last notes sound. Elsewhere (a stop, a pause, a
// seek) the device drops what waits and goes silent at once.
void SaidaMIDI::silenciar() {
  if (!saida->IsOpen()) return;
  if (TVxMidiStamp::current() == 0) {
    saida->Reset();
    return;
  }
  for (int canal = 0; canal < 16; ++canal) {
    enviarMensagem(0xB0 + canal, 123, 0);
    enviarMensagem(0xB0 + canal, 120, 0);
  }
}

QString SaidaMIDI::getMotivoFalha() const {
  return saida->FailureText();
}

void SaidaMIDI::fecharArquivo() {
  if (!arquivoAberto) return;
  saida->Sync = nullptr;
  arquivoMidi->Rewind();
  arquivoMidi->Close();
  arquivoAberto = false;
}

int SaidaMIDI::getNumTrilhasArquivo() {
  return static_cast<int>(arquivoMidi->GetNumTracks());
}

QString SaidaMIDI::getNomeTrilha(int indice) {
  if (!arquivoMidi->IsOpen() || indice < 0 || indice >= partitura->GetNumTracks()) return {};
  const TVxMidiMeta nome = arquivoMidi->ReadMeta(partitura->GetTrack(indice), 3);
  if (!nome.found()) return {};
  const auto fim = std::find(nome.data.begin(), nome.data.end(), 0);
  const QByteArray inteiro(reinterpret_cast<const char *>(nome.data.data()),
                           static_cast<int>(fim - nome.data.begin()));
  return nomeLimitado(inteiro);
}

int SaidaMIDI::getAndamentoArquivo() {
  if (!arquivoMidi->IsOpen() || partitura->GetNumTracks() == 0) return -1;
  const TVxMidiMeta tempo = arquivoMidi->ReadMeta(partitura->GetTrack(0), 0x51);
  if (!tempo.found() || tempo.data.size() < 3) return -1;
  const int microssegundos = tempo.data[0] << 16 | tempo.data[1] << 8 | tempo.data[2];
  return microssegundos == 0 ? -1 : 60000000 / microssegundos;
}
