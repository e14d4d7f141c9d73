#include "entrada/KitEletronico.h"

#include <QDateTime>
#include <QTimer>
#include <array>
#include <chrono>
#include <exception>

#include "TVxMidiStamp.h"
#include "config/ArquivoConfiguracao.h"
#include "midi/SaidaMIDI.h"
#include "ui/Instrumento.h"
#include "vxmidi/TVxMidi.h"
#include "vxmidi/TVxMidiIn.h"
#include "vxmidi/TVxMidiOut.h"

namespace {

// How long a hit stays lit: a module's note-off comes at any time or never, and a drummer's
// eye wants the stroke, not the note's length.
constexpr qint64 tempoAcesoMs = 120;
// The notes of the hi-hat as the pedal shows it.
constexpr int notaChimbalFechado = 42;
constexpr int notaChimbalAberto = 46;
constexpr int canalBateria = 9;

// What the library needs to play and judge the hits: each note's sound, the hi-hat notes the
// pedal turns, the thresholds.
VxMidiThru tabelaDaBiblioteca(const MapaNotas &mapa, const AjustesEntrada &ajustes) {
  VxMidiThru thru{};
  for (int nota = 0; nota < 128; ++nota) {
    const PecaBateria peca = mapa.peca(nota);
    thru.note[nota] = peca == PecaBateria::nenhuma ? static_cast<uint8_t>(VX_THRU_NONE)
                                                   : static_cast<uint8_t>(descricaoPeca(peca).nota);
    thru.hat[nota] = isChimbalTocado(peca) ? 1 : 0;
  }
  thru.closedHatNote = notaChimbalFechado;
  thru.openHatNote = notaChimbalAberto;
  thru.channel = canalBateria;
  thru.minVelocity = static_cast<uint8_t>(std::clamp(ajustes.velocidadeMinima, 1, 127));
  thru.closedFrom = static_cast<uint8_t>(std::clamp(ajustes.limiarChimbal, 0, 127));
  thru.pedalInverted = ajustes.chimbalInvertido ? 1 : 0;
  thru.crossTalkGuard = ajustes.guardaCruzada ? 1 : 0;
  return thru;
}

MapaNotas mapaDosAjustes(const AjustesEntrada &ajustes) {
  if (const auto preset = MapaNotas::presetDoNome(ajustes.mapa)) return MapaNotas::preset(*preset);
  if (ajustes.mapa == QLatin1String(nomeMapaPersonalizado))
    return MapaNotas::deTexto(ajustes.notas);
  return MapaNotas::preset(PresetMapa::generalMidi);
}

}  // namespace

struct KitEletronico::Impl {
  std::unique_ptr<TVxMidiIn> entrada;
  QString aberto;
  // Whether the library plays the hits; when the output cannot take them from the library's
  // thread (an ALSA sequencer port), this object sends them.
  bool bibliotecaToca = false;
  // When each lit note was last struck, ms since the epoch; 0 when it is dark.
  std::array<qint64, 128> acesaDesde{};
  QTimer apagador;
};

KitEletronico::KitEletronico(QObject *parent) : QObject(parent), impl(std::make_unique<Impl>()) {
  mapa = mapaDosAjustes(ajustes);
  impl->apagador.setInterval(20);
  connect(&impl->apagador, &QTimer::timeout, this, [this] {
    const qint64 agora = QDateTime::currentMSecsSinceEpoch();
    Instrumento *kit = ArquivoConfiguracao::instancia().getInstrumento();
    bool algumaAcesa = false;
    for (int nota = 0; nota < 128; ++nota) {
      qint64 &desde = impl->acesaDesde[static_cast<std::size_t>(nota)];
      if (desde == 0) continue;
      if (agora - desde >= tempoAcesoMs) {
        desde = 0;
        if (kit) kit->apagar(nota);
      } else {
        algumaAcesa = true;
      }
    }
    if (!algumaAcesa) impl->apagador.stop();
  });
}

KitEletronico::~KitEletronico() {
  if (impl->entrada && impl->entrada->IsOpen()) {
    try {
      impl->entrada->SetThru(nullptr, nullptr);
      impl->entrada->Close();
    } catch (const std::exception &) {
      // The library is going away with the program: nothing left to release.
    }
  }
}

QStringList KitEletronico::listarDispositivos() {
  QStringList nomes;
  TVxMidi *vxMidi = SaidaMIDI::instancia().getVxMidi();
  if (!vxMidi) return nomes;
  TVxMidiIn leitor;
  leitor.VxMidi = vxMidi;
  const int total = leitor.GetNumDevices();
  for (int i = 0; i < total; ++i) nomes << leitor.PortName(static_cast<uint16_t>(i));
  return nomes;
}

bool KitEletronico::isAberto() const {
  return impl->entrada && impl->entrada->IsOpen();
}

QString KitEletronico::getDispositivoAberto() const {
  return isAberto() ? impl->aberto : QString();
}

bool KitEletronico::aplicar(const AjustesEntrada &novos) {
  ajustes = novos;
  mapa = mapaDosAjustes(ajustes);
  TVxMidi *vxMidi = SaidaMIDI::instancia().getVxMidi();
  if (!vxMidi) return ajustes.dispositivo.isEmpty();
  try {
    if (isAberto() && impl->aberto != ajustes.dispositivo) {
      impl->entrada->SetThru(nullptr, nullptr);
      impl->entrada->Close();
      impl->aberto.clear();
    }
    if (ajustes.dispositivo.isEmpty()) return true;
    if (!isAberto()) {
      // The exact name first: a name that contains another (a second port of one module)
      // must not open the other.
      const QStringList nomes = listarDispositivos();
      qsizetype indice = nomes.indexOf(ajustes.dispositivo);
      if (indice < 0) {
        for (qsizetype i = 0; i < nomes.size() && indice < 0; ++i)
          if (nomes[i].contains(ajustes.dispositivo)) indice = i;
      }
      if (indice < 0) return false;
      if (!impl->entrada) {
        impl->entrada = std::make_unique<TVxMidiIn>();
        impl->entrada->OnMidiData = [this](VxMidiEvent *evento, bool *) { receber(*evento); };
        // Closed once the notification that told it has been handled.
        impl->entrada->OnDeviceLost = [this](QObject *) {
          QTimer::singleShot(0, this, &KitEletronico::dispositivoPerdido);
        };
      }
      impl->entrada->VxMidi = vxMidi;
      if (!impl->entrada->Open(static_cast<uint16_t>(indice), 0)) return false;
      impl->aberto = nomes[indice];
      impl->entrada->Start();
    }
    reconectarSaida();
    return true;
  } catch (const std::exception &) {
    return false;
  }
}

void KitEletronico::dispositivoPerdido() {
  if (!isAberto()) return;
  const QString nome = impl->aberto;
  try {
    impl->entrada->SetThru(nullptr, nullptr);
    impl->entrada->Close();
  } catch (const std::exception &) {
    // Gone already: there is nothing left to close.
  }
  impl->aberto.clear();
  if (aoPerderDispositivo) aoPerderDispositivo(nome);
}

void KitEletronico::reconectarSaida() {
  if (!isAberto()) return;
  const VxMidiThru thru = tabelaDaBiblioteca(mapa, ajustes);
  try {
    impl->bibliotecaToca = impl->entrada->SetThru(&SaidaMIDI::instancia().getSaida(), &thru);
    // The judging holds even where the library cannot play: this object sends the hits.
    if (!impl->bibliotecaToca) impl->entrada->SetThru(nullptr, &thru);
  } catch (const std::exception &) {
    impl->bibliotecaToca = false;
  }
}

void KitEletronico::aprender(PecaBateria peca, std::function<void(int)> concluido) {
  pecaAprendendo = peca;
  aoAprender = std::move(concluido);
}

void KitEletronico::cancelarAprendizado() {
  pecaAprendendo = PecaBateria::nenhuma;
  aoAprender = nullptr;
}

// Every event the library let through, as it played it: a note-on is a hit (data3 is the
// note it sounded as), the rest changes nothing on the picture.
void KitEletronico::receber(const VxMidiEvent &evento) {
  const int tipo = evento.status & 0xF0;
  if (tipo != 0x90 || evento.data2 == 0) return;
  const int nota = evento.data1 & 0x7F;
  const int soada = evento.data3;
  if (isAprendendo()) {
    const PecaBateria peca = pecaAprendendo;
    auto concluido = std::move(aoAprender);
    cancelarAprendizado();
    mapa.atribuir(nota, peca);
    ajustes.mapa = QLatin1String(nomeMapaPersonalizado);
    ajustes.notas = mapa.paraTexto();
    reconectarSaida();
    if (concluido) concluido(nota);
  }
  const PecaBateria peca = mapa.peca(nota);
  if (soada > 0 && soada < 128) {
    if (!impl->bibliotecaToca)
      SaidaMIDI::instancia().enviarNoteOn(canalBateria, evento.data2, soada);
    if (Instrumento *kit = ArquivoConfiguracao::instancia().getInstrumento()) kit->acender(soada);
    impl->acesaDesde[static_cast<std::size_t>(soada)] = QDateTime::currentMSecsSinceEpoch();
    if (!impl->apagador.isActive()) impl->apagador.start();
  }
  if (aoGolpe) {
    const int64_t chegada = impl->entrada ? impl->entrada->LastEventNs() : TVxMidiStamp::agora();
    aoGolpe({nota, evento.data2, peca, static_cast<long long>(chegada)});
  }
}
