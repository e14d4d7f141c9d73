// The main window: the skinned, borderless frame with its picture buttons, the transport
// and its status line, the sliders, and the drum kit that lights as the song plays.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "config/Mensageiro.h"
#include "julgamento/AjustesJulgamento.h"
#include "julgamento/GravadorTake.h"
#include "julgamento/ResumoPasse.h"
#include "playback/VisorReproducao.h"
#include "ui/EstadoPlayer.h"
#include "ui/TabelaTeclas.h"

class FaixaLoop;
class KitEletronico;
class MarcasJulgamento;
class SessaoJulgamento;
class TformCalibracao;
class TformResumo;
class PainelPratica;
class QListWidget;
class TformPratica;
class TformPistas;
class LinhaTempoPistas;
struct AjustesPratica;

class Imagem;
class PainelInstrumento;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QSlider;
class QTimer;
class TOrvButton3D;

// The window is the front end that playback reports to (AcessoGui) while it exists. Every
// text and the language's pictures come from the loaded language while it is built, so a
// language must be loaded first. Errors of the MIDI layer raised in a handler are shown
// with the language's message and the window stays usable. User-interface thread only.
class TFormPrincipal : public QWidget, public VisorReproducao {
  Q_OBJECT

 public:
  // The button pictures by Tag: the normal picture of a button has an even tag, its pressed
  // twin the next odd one.
  enum Tag {
    tagHelp = 0,
    tagMin = 2,
    tagFechar = 4,
    tagOpen = 6,
    tagSetup = 8,
    tagPlay = 10,
    tagStop = 12,
    tagPause = 14,
    tagRepeat = 16,
    tagRew = 18,
    tagFF = 20,
    tagTutorial = 22,
    tagStyles = 24,
  };
  static constexpr int numImagensBotoes = 26;
  // Client area in pixels; the window is not scaled with the display's resolution.
  static constexpr int largura = 793;
  static constexpr int altura = 527;

  // Builds the hidden window: its controls, the drum kit on pnInstrumento (made the
  // configuration's instrument), the language's texts and pictures, the transport at rest.
  explicit TFormPrincipal(QWidget *parent = nullptr);
  ~TFormPrincipal() override;

  // Playback's reports (VisorReproducao); called on the user-interface thread from the tick.
  // A tempo event was played: the tempo slider follows when 40 <= bpm <= 240.
  void exibirAndamento(int bpm) override;
  // Playback reached a beat: the position display follows, and past the song's length
  // playback stops.
  void avancarTempo() override;
  // The bar and beat reached, and the count-in's beat (0: it has ended).
  void exibirCompasso(int compasso, int tempo) override;
  void exibirContagem(int tempo) override;

  // Stops, rewinds and silences; the Stop button and the end of the song.
  void pararMusica();
  // Resets the transport, imports arquivo and plays it from tick 0: the drum tracks fill
  // CmbTracks, the setup dialog's track boxes take the tracks' names, play-along ends. A
  // file that cannot be imported is named in the language's message (the import's own words
  // after it); the previous song stays, halted at its start: the window shows it stopped,
  // or stays without a song when there was none. Answers whether the song opened.
  bool abrirMusica(const QString &arquivo);
  // Opens arquivo when the window is first shown, once the output device is ready.
  void abrirAoMostrar(const QString &arquivo) { arquivoInicial = arquivo; }
  // Opens the lane view when the window is first shown (it also opens when it was open as the
  // program last closed).
  void abrirPistasAoMostrar() { pistasAoMostrar = true; }
  // Opens the lane view (the practice column's button and F9).
  void abrirPistas();
  // Whether arquivo's name ends in .mid, .midi, .kar or .rmi, in any letter case: what the
  // open dialog lists and what a drop on the window opens.
  static bool isNomeMidi(const QString &arquivo);

  // Shows the keyboard help (the key scheme, its close button and the 20 key labels over
  // the kit) and hides the small keyboard that opens it; false the other way round.
  void mostrarAjudaTeclado(bool visivel);
  // Whether the key of slot (0..19, slotPedal for Ctrl) is held, as the window has seen it.
  bool isTeclaPressionada(int slot) const {
    return teclasPressionadas.at(static_cast<std::size_t>(slot));
  }

  // The open dialog (MIDI files) and the rhythm folder's dialog, for tests to act on while
  // they are shown.
  QFileDialog *getDlgOpen() const { return dlgOpen; }
  QFileDialog *getDlgRitmos() const { return dlgRitmos; }
  // The program's folder, where the rhythm folder and the documents the language names lie:
  // the executable's folder, or another for tests. Sets the rhythm dialog's start folder.
  void setPastaPrograma(const QString &pasta);
  const QString &getPastaPrograma() const { return pastaPrograma; }
  // How the tutorial, the help and the web address are opened (abrirDocumento: the
  // desktop's default application); tests record them instead.
  void setAbridor(std::function<void(const QString &texto)> outro) { abridor = std::move(outro); }

  // Where message boxes go (the OK kind, with the application's name as caption); tests
  // record them instead.
  void setMensageiro(Mensageiro outro) { mensageiro = std::move(outro); }
  // The drummer's electronic kit (not owned; null for none): its stored input device opens
  // once the output device has, and follows every change of the output device.
  void setKitEletronico(KitEletronico *kit);

  // Asks the close question (Yes answers true); tests answer it themselves.
  void setPergunta(std::function<bool(const QString &texto)> outra) { pergunta = std::move(outra); }

  EstadoPlayer getEstado() const { return estado; }
  EstadoPlayer getEstadoRetorno() const { return estadoRetorno; }
  EstadoPlayer getEstadoRetornoPausa() const { return estadoRetornoPausa; }
  int getTempoAtual() const { return tempoAtual; }
  int getTotalTempos() const { return totalTempos; }
  // The button picture of that tag (0..25).
  Imagem *getImagemBotao(int tag) const { return imagensBotoes.at(static_cast<std::size_t>(tag)); }
  PainelInstrumento *getPainelInstrumento() const { return pnInstrumento; }
  PainelPratica *getPainelPratica() const { return pnPratica; }
  TformPratica *getFormPratica() const { return frmPratica; }
  FaixaLoop *getFaixaLoop() const { return faixaLoop; }
  QListWidget *getListaRecentes() const { return lstRecentes; }
  // A loop of compassos bars from the current bar, looping at once (the practice window's
  // button); playback starts when it was stopped.
  void loopCompassos(int compassos);
  QTimer *getTimerPlayer() const { return TimerPlayer; }
  SessaoJulgamento *getSessaoJulgamento() const { return sessaoJulgamento; }
  MarcasJulgamento *getMarcasJulgamento() const { return marcasJulgamento; }
  TformResumo *getFormResumo() const { return frmResumo; }
  TformCalibracao *getFormCalibracao() const { return frmCalibracao; }
  TformPistas *getFormPistas() const { return frmPistas; }
  const LinhaTempoPistas &getLinhaPistas() const { return *linhaPistas; }
  // Saves the take of the session as arquivo (the practice window's button asks for both);
  // a failure is named in a message. Answers whether it was saved.
  bool salvarTakeEm(const QString &arquivo, ModoTake modo);

 protected:
  // Key events of the window and of every control in it arrive here first, before the
  // focused control sees them (a filter on the window's QWindow, which the window system
  // delivers keys to). Answer true to consume the event. Both play the kit (tratarTecla)
  // and consume the keys that play, so that no control takes them as well (Space would
  // toggle ckKaraoke, a letter would pick an item of CmbTracks).
  virtual bool FormKeyDown(QKeyEvent *evento);
  virtual bool FormKeyUp(QKeyEvent *evento);

  bool eventFilter(QObject *objeto, QEvent *evento) override;
  // A MIDI file dragged over the window is accepted; dropped, it opens as if picked in the
  // open dialog.
  void dragEnterEvent(QDragEnterEvent *evento) override;
  void dropEvent(QDropEvent *evento) override;
  // FormShow: on the first show the output device is prepared, then arquivoInicial opens.
  void showEvent(QShowEvent *evento) override;
  // FormCloseQuery: asks; on Yes saves the configuration, stops and closes the output.
  void closeEvent(QCloseEvent *evento) override;

 private:
  // Building (TFormPrincipal.cpp).
  void criarControles();
  void criarBotao(int tag, const char *nome, const QRect &lugar, const QPixmap &normal,
                  const QPixmap &pressionada);
  void aplicarIdioma();
  void conectar();

  // The frame (TFormPrincipal.cpp).
  void imgMouseDown(Imagem *normal);
  void imgMouseUp(Imagem *pressionada);
  void imgCimaMouseDown(Qt::MouseButton botao);
  void imgMinClick();
  void imgFecharClick();
  void imgSetupClick();

  // Transport (TFormPrincipalTransporte.cpp).
  void prepararSaida();
  void dispositivoPerdido();
  bool reabrirSaidaPerdida();
  // Opens the stored input device of the drummer's kit; one that is absent or refuses is
  // named in a message, and the window and the keyboard go on without it.
  void abrirEntradaGuardada();
  void imgPlayClick();
  void imgPauseClick();
  void imgStopClick();
  void imgRepeatClick();
  void imgRewMouseDown();
  void imgFFMouseDown();
  void imgFFRewMouseUp(Imagem *pressionada);
  void iniciarBusca();
  void pausarSequenciador();
  void terminarBusca();
  void TimerPlayerTimer();
  void tkbAndamentoChange(int posicao);
  void tkbBPMChange(int posicao);
  void tkbVolChange(int posicao);

  // Keyboard play-along (TFormPrincipalTeclado.cpp).
  void criarAjudaTeclado();
  // One key event: code a virtual-key code, modificadores its modifiers, pressionada for a
  // key-down.
  void tratarTecla(int codigo, Qt::KeyboardModifiers modificadores, bool pressionada);
  bool teclaDaJanela(QKeyEvent *evento, bool pressionada);
  void ckKaraokeClick(bool marcado);
  void imgTecladoPequenoClick();
  void btnFecharAjudaAtalhosClick();

  // Opening a song (TFormPrincipalMusica.cpp).
  void criarDialogos();
  void imgOpenClick();
  void imgStylesClick();
  void CmbTracksChange(int indice);
  // The window after a failed import: halted with the sequencer.
  void falhaImportacao(const QString &arquivo, const QString &detalhe);

  // Practice (TFormPrincipalPratica.cpp).
  void criarPratica();
  void aplicarIdiomaPratica();
  // Makes ajustes the settings of playback and of the configuration.
  void aplicarAjustesPratica(const AjustesPratica &ajustes);
  void mudarVelocidade(int percentual);
  void mostrarVelocidade();
  void mostrarCompassoEm(int posicao);
  void atualizarFaixaLoop();
  // Keeps what the drummer has for the open song: drum track, loop, speed and click.
  void lembrarMusica();
  // Gives the song what it had when last opened; answers whether that included a loop, which
  // then is in force with playback at its start.
  bool restaurarMusica(const QString &arquivo);
  void abrirPratica();
  void preencherRecentes();

  // Judging the drummer's hits (TFormPrincipalJulgamento.cpp).
  void criarJulgamento();
  void aplicarIdiomaJulgamento();
  void aplicarAjustesJulgamento(const AjustesJulgamento &ajustes);
  // A hit of the keyboard or the kit on note nota's piece, arrived now.
  void julgarGolpe(int nota, int velocidade);
  // Another song: its passes, take and marks start empty.
  void novaMusicaJulgada();
  void passeFechado(const ResumoPasse &passe);
  void mostrarResumo();
  void abrirCalibracao();
  void salvarTake();

  // The lane view (TFormPrincipalPistas.cpp).
  void criarPistas();
  // The open song's drum part, of the drum track chosen, into the view.
  void atualizarPistas();
  // Keeps whether the view is open, with its place and state, for the next start.
  void guardarPistas();

  // The tutorial, the help and the web address (TFormPrincipalDocumentos.cpp).
  void imgTutorialClick();
  void imgHelpClick();
  void imgURLClick();
  void lblURLClick();
  // Opens the document the language names under secao and chave, inside the program's
  // folder; a missing one is reported with chaveAusente of section "geral".
  void abrirDocumentoDoPrograma(const QString &secao, const char *chave, const char *chaveAusente);
  // Shows texto of section "geral" with the application's name as caption.
  void avisarGeral(const char *chave);
  // Shows mensagem with the application's name as caption.
  void avisar(const QString &mensagem);

  // Helpers.
  QString texto(const char *chave) const;
  void mostrarStatus(EstadoPlayer estadoMostrado);
  void mostrarTempoAtual();
  void habilitar(int tag, bool habilitado);
  // Shows the language's message for a failure of the MIDI layer, with detalhe (the
  // library's or the import's English words) after a blank line when there is one.
  void avisarFalhaMidi(const QString &detalhe, const char *chave = "msgPlacaDesconfigurada");
  // Runs acao; an error it raises is reported with avisarFalhaMidi.
  void protegido(const std::function<void()> &acao);

  // Controls, named as the window's design names them.
  Imagem *imgCima;
  Imagem *imgBaixo;
  Imagem *Shape1;
  PainelInstrumento *pnInstrumento;
  Imagem *imgOrv;
  Imagem *imgURL;
  Imagem *lblURL;  // a transparent click area without caption
  Imagem *imgKovrintaLogo;
  std::array<Imagem *, numImagensBotoes> imagensBotoes{};
  QLabel *lblPlayer;
  QLabel *lblTempo;
  QLabel *lblTime;
  QLabel *lblTotal;
  QLabel *lblTimeTotal;
  QSlider *tkbAndamento;
  QLabel *lblVolume;
  QSlider *tkbVol;
  QLabel *lblVelocidade;
  QLabel *lblBPM;
  QSlider *tkbBPM;
  QLabel *lblPlayAlong;
  QCheckBox *ckKaraoke;
  QLabel *lblTracks;
  QComboBox *CmbTracks;
  QTimer *TimerPlayer;
  QFileDialog *dlgOpen;
  QFileDialog *dlgRitmos;
  QListWidget *lstRecentes;
  PainelPratica *pnPratica;
  TformPratica *frmPratica;
  FaixaLoop *faixaLoop;
  SessaoJulgamento *sessaoJulgamento = nullptr;
  MarcasJulgamento *marcasJulgamento = nullptr;
  TformResumo *frmResumo = nullptr;
  TformCalibracao *frmCalibracao = nullptr;
  std::unique_ptr<LinhaTempoPistas> linhaPistas;
  TformPistas *frmPistas = nullptr;
  bool pistasAoMostrar = false;

  // The keyboard help.
  QWidget *panelTecladoPequeno;
  Imagem *imgTecladoPequeno;
  QWidget *panelTecladoEsquema;
  Imagem *imgTecladoEsquema;
  QWidget *panelBtnFecharAjuda;
  TOrvButton3D *btnFecharAjudaAtalhos;
  // The key labels' pictures in pnInstrumento, by slot.
  std::array<int, numTeclasBateria> rotulosTeclas{};

  // Transport.
  EstadoPlayer estado = EstadoPlayer::SemMusica;
  EstadoPlayer estadoRetorno = EstadoPlayer::SemMusica;
  EstadoPlayer estadoRetornoPausa = EstadoPlayer::SemMusica;
  int tempoAtual = 0;                    // beat shown in lblTime: the position in ticks / 64
  int totalTempos = 0;                   // song length in beats, the end of fast-forward
  bool posicaoPeloSequenciador = false;  // true while a beat moves tkbAndamento

  // Play-along: which slots are held, from a key's first key-down to its key-up.
  std::array<bool, numTeclasBateria> teclasPressionadas{};

  // The drum tracks behind the items of CmbTracks, by item.
  std::array<int, 16> trilhasBateria{};
  int numTrilhasBateria = 0;
  // Where the dialogs start: the folder of the last song opened, and of the last one
  // opened from the rhythm dialog (empty before the first).
  QString pastaUltimaMusica;
  QString pastaUltimoRitmo;
  QString pastaPrograma;
  std::function<void(const QString &)> abridor;

  // The open song's absolute path, and the recent song picked in the open dialog.
  QString musicaAberta;
  QString recenteEscolhido;

  bool jaExibida = false;
  QString arquivoInicial;
  KitEletronico *kitEletronico = nullptr;
  // The output's sound server went away; Play opens the device again.
  bool saidaPerdida = false;
  Mensageiro mensageiro;
  std::function<bool(const QString &)> pergunta;
};

// The main window of the running program, made first at start-up.
extern TFormPrincipal *FormPrincipal;
