// The main window: the skinned, borderless frame with its picture buttons, the transport
// and its status line, the sliders, and the drum kit that lights as the song plays.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "config/Mensageiro.h"
#include "playback/VisorReproducao.h"
#include "ui/EstadoPlayer.h"

class Imagem;
class PainelInstrumento;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QSlider;
class QTimer;

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

  // Stops, rewinds and silences; the Stop button and the end of the song.
  void pararMusica();
  // Resets the transport, imports arquivo and plays it from tick 0. A file that cannot be
  // imported is reported (the import's own words after the language's message) and the
  // window stays as it was.
  void abrirMusica(const QString &arquivo);
  // Opens arquivo when the window is first shown, once the output device is ready.
  void abrirAoMostrar(const QString &arquivo) { arquivoInicial = arquivo; }

  // Where message boxes go (the OK kind, with the application's name as caption); tests
  // record them instead.
  void setMensageiro(Mensageiro outro) { mensageiro = std::move(outro); }
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
  QTimer *getTimerPlayer() const { return TimerPlayer; }

 protected:
  // Key events of the window and of every control in it arrive here first, before the
  // focused control sees them (a filter on the window's QWindow, which the window system
  // delivers keys to). Answer true to consume the event. Nothing is played from the keys
  // yet: both answer false.
  virtual bool FormKeyDown(QKeyEvent *evento);
  virtual bool FormKeyUp(QKeyEvent *evento);

  bool eventFilter(QObject *objeto, QEvent *evento) override;
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
  void imgPlayClick();
  void imgPauseClick();
  void imgStopClick();
  void imgRepeatClick();
  void imgRewMouseDown();
  void imgFFMouseDown();
  void imgFFRewMouseUp(Imagem *pressionada);
  void iniciarBusca();
  void terminarBusca();
  void TimerPlayerTimer();
  void tkbAndamentoChange(int posicao);
  void tkbBPMChange(int posicao);
  void tkbVolChange(int posicao);

  // Opening a song (TFormPrincipalMusica.cpp).
  void ckKaraokeClick(bool marcado);

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
  QLabel *lblURL;
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

  // Transport.
  EstadoPlayer estado = EstadoPlayer::SemMusica;
  EstadoPlayer estadoRetorno = EstadoPlayer::SemMusica;
  EstadoPlayer estadoRetornoPausa = EstadoPlayer::SemMusica;
  int tempoAtual = 0;                    // beat shown in lblTime: the position in ticks / 64
  int totalTempos = 0;                   // song length in beats, the end of fast-forward
  bool posicaoPeloSequenciador = false;  // true while a beat moves tkbAndamento

  // The drum tracks behind the items of CmbTracks, by item.
  std::array<int, 16> trilhasBateria{};
  int numTrilhasBateria = 0;

  bool jaExibida = false;
  QString arquivoInicial;
  Mensageiro mensageiro;
  std::function<bool(const QString &)> pergunta;
};

// The main window of the running program, made first at start-up.
extern TFormPrincipal *FormPrincipal;
