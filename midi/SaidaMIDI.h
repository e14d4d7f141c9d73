// The one way to the MIDI output device and to MIDI files: devices, short messages, notes,
// volume, resets, and the import of a file into the current song.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class TVxMidi;
class TVxMidiOut;
class TVxMidiSMF;
class TVxMidiScore;

// A MIDI file that cannot become a song: it cannot be opened, or its header is unusable.
class ErroArquivoMidi : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SaidaMIDI {
 public:
  // The instance; the first call loads the library, opens the initial device (0 unless
  // setDispositivoInicial said otherwise) and sends the master volume. Never throws: when the
  // library cannot be loaded, abrirDispositivo, listarDispositivos and carregarMusica raise
  // its error, and messages are dropped as for a closed device.
  static SaidaMIDI &instancia();
  // The device the first instancia() opens; -1 opens none. Call before the first instancia()
  // (tools that only read files, or that play on a device of their own choice).
  static void setDispositivoInicial(int dispositivo);

  // Closes the open device (which resets it) and opens dispositivo; true when open, else
  // getMotivoFalha() tells why.
  bool abrirDispositivo(int dispositivo);
  // Why the last abrirDispositivo failed, in the library's English words (what was tried and
  // what to do); empty when it did not fail.
  QString getMotivoFalha() const;
  // The names of the output devices, numbered as abrirDispositivo numbers them.
  QStringList listarDispositivos();

  // Sends one message at once; dropped without error when no device is open.
  void enviarMensagem(int status, int dado1, int dado2);
  void enviarNoteOn(int canal, int velocidade, int nota);
  // A note-off is a note-on of velocity 0: 0x90 + canal, nota, 0.
  void enviarNoteOff(int canal, int nota);
  // Bank 0 and program programa on canal; 128 means none and sends nothing.
  void setPrograma(int canal, int programa);
  void enviarProgramaBateria();
  // Master volume in percent, sent as controller 7 on all 16 channels.
  void setVolume(int percentual);
  void aplicarVolumes();
  void resetarControladores();
  // Ends all sound on the open device: at once, or inside a beat when the beat sounds.
  void silenciar();

  // Closes the open file, if any.
  void fecharArquivo();
  int getNumTrilhasArquivo();
  // The track-name meta event of track indice (first 99 bytes, up to the first zero), or
  // empty.
  QString getNomeTrilha(int indice);
  // Beats per minute of the first Set Tempo in the first track, or -1.
  int getAndamentoArquivo();

  // Reads arquivo into a new current song (see the definition). Throws ErroArquivoMidi when
  // the file cannot be opened or has a division of 0, and the toolkit's errors; the previous
  // song then stays current and no file is left open.
  void carregarMusica(const QString &arquivo);

  bool isArquivoAberto() const { return arquivoAberto; }
  bool isMusicaCarregada() const { return musicaCarregada; }
  int getVolumeGeral() const { return volumeGeral; }
  TVxMidiOut &getSaida() { return *saida; }
  // The loader of the MIDI library, for the input device; null when it could not be loaded.
  TVxMidi *getVxMidi() { return vxMidi.get(); }
  // Called after every abrirDispositivo, open or not: what plays on the device follows it.
  void setAoAbrirDispositivo(std::function<void()> aviso) { aoAbrir = std::move(aviso); }

  ~SaidaMIDI();

 private:
  SaidaMIDI();
  // Raises the library's load error when it could not be loaded.
  void exigirBiblioteca() const;
  void construirMusica();

  std::unique_ptr<TVxMidi> vxMidi;
  std::unique_ptr<TVxMidiOut> saida;
  std::unique_ptr<TVxMidiSMF> arquivoMidi;
  std::unique_ptr<TVxMidiScore> partitura;
  int volumeGeral = 100;
  bool arquivoAberto = false;
  bool musicaCarregada = false;
  std::string erroCarga;
  std::function<void()> aoAbrir;
};
