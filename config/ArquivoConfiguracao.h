// The user's settings kept between runs (device, volume, language, the drummer's own kit),
// and the run-time state several windows share: the per-track enable flags and the drum-kit
// display.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "entrada/AjustesEntrada.h"
#include "julgamento/AjustesJulgamento.h"
#include "pistas/AjustesPistas.h"
#include "pratica/AjustesPratica.h"
#include "pratica/MemoriaMusicas.h"
#include "ui/Instrumento.h"

class PainelInstrumento;

class ArquivoConfiguracao {
 public:
  // Where the configuration file is looked for.
  struct Local {
    QString pastaPrograma;  // the program's folder
    QString nomePrograma;   // the program's file name, without folder
    QString pastaUsuario;   // used when pastaPrograma cannot be written, or is installed
    // The program folder is an installed one (it holds the mark the install leaves): the
    // settings live in pastaUsuario even when the folder could be written (an install into
    // a prefix of the user's own), so that every user keeps their own.
    bool instalado = false;
  };
  // The file an install leaves in the program folder.
  static constexpr const char *marcaInstalacao = "kovrinta-instalado.txt";

  // The single instance; the first call reads the file (or takes the defaults) and never
  // fails. Needs the application object. User-interface thread.
  static ArquivoConfiguracao &instancia();
  // Makes the next instancia() use local: a tool that works with the player's settings, and
  // tests.
  static void configurarParaTestes(const Local &local);
  // Destroys the single instance, with its instrument; for tests.
  static void reiniciarParaTestes();
  // The program's own place: its folder and file name, and $XDG_CONFIG_HOME/Kovrinta
  // (~/.config/Kovrinta by default).
  static Local localPadrao();
  // The same place for the program file executavel; needs no application object, for what
  // must be read before it exists (the window's zoom).
  static Local localDoPrograma(const QString &executavel);

  // Reads the configuration file of local; missing or unusable values take the defaults.
  explicit ArquivoConfiguracao(const Local &local);
  ~ArquivoConfiguracao();

  // The file name (the program's name with its extension replaced by "ini", or ".ini"
  // appended) and the full path that is read and written.
  const QString &getNomeArquivo() const { return nomeArquivo; }
  const QString &getCaminhoArquivo() const { return caminhoEscrita; }

  // Index of the chosen MIDI output device; -1 when none has been chosen yet.
  int getDriver() const { return driver; }
  void setDriver(int indice) { driver = indice; }
  // Master volume.
  int getVolume() const { return volume; }
  void setVolume(int valor) { volume = valor; }
  // Display name of the configured language; there is no setter, as a language picked in
  // the chooser is used for the run only.
  const QString &getIdioma() const { return idioma; }
  int getVisualizacao() const { return visualizacao; }
  int getTipoInstrumento() const { return tipoInstrumento; }
  // The drummer's own kit (section "entrada"): its input port, note map and thresholds, as
  // read (words and numbers brought into their ranges) or as last set.
  const AjustesEntrada &getAjustesEntrada() const { return ajustesEntrada; }
  void setAjustesEntrada(const AjustesEntrada &ajustes) { ajustesEntrada = ajustes; }
  // Practice (section "pratica"): count-in, click, loop marks and the speed trainer.
  const AjustesPratica &getAjustesPratica() const { return ajustesPratica; }
  void setAjustesPratica(const AjustesPratica &ajustes) { ajustesPratica = ajustes; }
  // Judging the drummer's hits (section "julgamento"): rigor, input latency, visual offset.
  const AjustesJulgamento &getAjustesJulgamento() const { return ajustesJulgamento; }
  void setAjustesJulgamento(const AjustesJulgamento &ajustes) { ajustesJulgamento = ajustes; }
  // The lane view (section "pistas"): look-ahead, open or not, its place and state.
  const AjustesPistas &getAjustesPistas() const { return ajustesPistas; }
  void setAjustesPistas(const AjustesPistas &ajustes) { ajustesPistas = ajustes; }
  // The window's zoom in percent (section "janela"): 100, 150 or 200, or 0 for the one the
  // screen's size suggests. Taken at the program's start.
  int getZoom() const { return zoom; }
  void setZoom(int percentual) { zoom = percentual; }
  // The songs opened last, each with its drum track, loop, speed and click (sections
  // "musica1" to "musica50").
  MemoriaMusicas &getMemoriaMusicas() { return memoriaMusicas; }

  // Whether track indice (0..15) of the open song plays; false for any other index. Read
  // by the sequencer on every tick.
  bool isTrilhaAtiva(int indice) const {
    return static_cast<unsigned>(indice) < trilhasAtivas.size() && trilhasAtivas[indice];
  }
  // Sets flag indice (0..15); any other index is ignored.
  void setTrilhaAtiva(int indice, bool ativa) {
    if (static_cast<unsigned>(indice) < trilhasAtivas.size()) trilhasAtivas[indice] = ativa;
  }

  // Keeps tipo and makes a new drum-kit display on painel the current instrument,
  // whatever the kind; a previous one is destroyed. Needs the QApplication.
  void setInstrumento(int tipo, PainelInstrumento *painel = nullptr);
  // The current instrument; nullptr before setInstrumento. Read on every tick.
  Instrumento *getInstrumento() const { return instrumento; }
  // Test seam: makes instrumento (not owned, nullptr allowed) the current instrument, so a
  // test can record what the kit is told; passing back the previous pointer restores it.
  void instrumentoParaTestes(Instrumento *outro) { instrumento = outro; }

  // Replaces the file by exactly "[geral]", "driver=", "volume=", "idioma=" lines, then, when
  // the kit's settings are not all defaults, "[entrada]", "dispositivo=", "mapa=", "notas=",
  // "velocidadeMinima=", "limiarChimbal=", "chimbalInvertido=", "guardaCruzada=" lines; then,
  // when the practice settings are not all defaults, "[pratica]" and its lines, and likewise
  // "[julgamento]" for the judging settings and "[pistas]" for the lane view's, and
  // "[janela]" with "zoom=" when a zoom was chosen; then a
  // "[musicaN]" section for each song remembered (CR LF, UTF-8; the flags as 0 or 1). A text that
  // reading would change (one in quotes, or with blanks at an end: a language or port name) is
  // written in double quotes, which reading takes off. The new text is written beside the old file
  // and renamed over it, so a failure at any point (unwritable folder, full disk) leaves the old
  // file whole, and the settings in memory stay as they are. Answers whether the file was
  // replaced. Never throws.
  bool salvar();

  // Test seam: called after the new text is written and before it replaces the old file;
  // answering false abandons the save there, as a crash at that moment would.
  void setAntesDeSubstituirParaTestes(std::function<bool()> verificacao) {
    antesDeSubstituir = std::move(verificacao);
  }

 private:
  void ler(const QString &caminho);

  QString nomeArquivo;
  QString idioma;
  int driver = 0;
  int tipoInstrumento = 0;
  int volume = 127;
  int visualizacao = 0;
  int zoom = 0;
  std::array<bool, 16> trilhasAtivas{};
  AjustesEntrada ajustesEntrada;
  AjustesPratica ajustesPratica;
  AjustesJulgamento ajustesJulgamento;
  AjustesPistas ajustesPistas;
  MemoriaMusicas memoriaMusicas;
  // The drum kit that setInstrumento made, and the current instrument (normally that one).
  std::unique_ptr<Instrumento> instrumentoProprio;
  Instrumento *instrumento = nullptr;

  QString pastaEscrita;
  QString caminhoEscrita;
  std::function<bool()> antesDeSubstituir;
};
