// The main window's keyboard play-along: the keys that play the kit, with Ctrl as the hi-hat
// pedal, the play-along box that mutes the song's drums, and the keyboard help.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "entrada/KitEletronico.h"
#include "julgamento/SessaoJulgamento.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "ui/Imagem.h"
#include "ui/PainelInstrumento.h"
#include "ui/TFormPrincipal.h"
#include "widgets/FiguraArte.h"
#include "widgets/TOrvButton3D.h"

namespace {

QPixmap recursoTeclado(const char *nome) {
  return figuraArte(QStringLiteral(":/teclado/%1.png").arg(QLatin1String(nome)));
}

// A panel of the help: a plain area of the window's colour holding one control.
QWidget *criarPainel(QWidget *pai, const char *nome, const QRect &lugar) {
  auto *painel = new QWidget(pai);
  painel->setObjectName(QLatin1String(nome));
  painel->setGeometry(lugar);
  return painel;
}

Imagem *criarFigura(QWidget *pai, const char *nome, const QPoint &lugar) {
  auto *imagem = new Imagem(pai);
  imagem->setObjectName(QLatin1String(nome));
  const QPixmap pixmap = recursoTeclado(nome);
  imagem->setGeometry(QRect(lugar, pixmap.deviceIndependentSize().toSize()));
  imagem->setPixmap(pixmap);
  return imagem;
}

}  // namespace

void TFormPrincipal::criarAjudaTeclado() {
  panelTecladoPequeno = criarPainel(this, "panelTecladoPequeno", {688, 397, 97, 48});
  imgTecladoPequeno = criarFigura(panelTecladoPequeno, "imgTecladoPequeno", {3, 3});
  imgTecladoPequeno->setCursor(Qt::PointingHandCursor);

  panelTecladoEsquema = criarPainel(this, "panelTecladoEsquema", {460, 306, 329, 137});
  imgTecladoEsquema = criarFigura(panelTecladoEsquema, "imgTecladoEsquema", {3, 0});

  // The panel is a pixel shorter than the button, whose artwork leaves its last row out.
  panelBtnFecharAjuda = criarPainel(this, "panelBtnFecharAjuda", {725, 281, 58, 24});
  btnFecharAjudaAtalhos = new TOrvButton3D(panelBtnFecharAjuda);
  btnFecharAjudaAtalhos->setObjectName(QStringLiteral("btnFecharAjudaAtalhos"));
  btnFecharAjudaAtalhos->move(32, 0);
  btnFecharAjudaAtalhos->setButtonStyle(TOrvButton3D::bsDropWhenPressed);
  btnFecharAjudaAtalhos->setAutoControlPressing(true);
  // As a form restores them: the pressed picture, the released one, then the state.
  btnFecharAjudaAtalhos->setImagemPressionada(recursoTeclado("imgFecharAjuda2"));
  btnFecharAjudaAtalhos->setImagemSolta(recursoTeclado("imgFecharAjuda"));
  btnFecharAjudaAtalhos->setPressed(false);

  // The labels are pictures of the kit's panel, above the kit's own.
  for (int slot = 0; slot < numTeclasBateria; ++slot) {
    const TeclaBateria &tecla = tabelaTeclas[static_cast<std::size_t>(slot)];
    const QPixmap pixmap = recursoTeclado(tecla.rotulo);
    rotulosTeclas[static_cast<std::size_t>(slot)] = pnInstrumento->adicionarFigura(
        QLatin1String(tecla.rotulo),
        QRect(tecla.lugarRotulo, pixmap.deviceIndependentSize().toSize()), pixmap);
  }
}

void TFormPrincipal::mostrarAjudaTeclado(bool visivel) {
  panelTecladoEsquema->setVisible(visivel);
  panelBtnFecharAjuda->setVisible(visivel);
  panelTecladoPequeno->setVisible(!visivel);
  for (int figura : rotulosTeclas) pnInstrumento->setFiguraVisivel(figura, visivel);
}

void TFormPrincipal::imgTecladoPequenoClick() {
  mostrarAjudaTeclado(true);
}

void TFormPrincipal::btnFecharAjudaAtalhosClick() {
  mostrarAjudaTeclado(false);
}

void TFormPrincipal::setKitEletronico(KitEletronico *kit) {
  kitEletronico = kit;
  if (kit) {
    kit->aoGolpe = [this](const KitEletronico::Golpe &golpe) {
      sessaoJulgamento->golpe(golpe.peca, golpe.velocidade, golpe.chegadaNs);
    };
    // The song plays on: the keyboard still plays along, and the kit opens at the next start.
    kit->aoPerderDispositivo = [this](const QString &nome) {
      avisar(texto("msgEntradaPerdida").replace(QLatin1String("%1"), nome));
    };
  }
  SaidaMIDI::instancia().setAoAbrirDispositivo([kit] {
    if (kit) kit->reconectarSaida();
  });
}

void TFormPrincipal::abrirEntradaGuardada() {
  if (!kitEletronico) return;
  const AjustesEntrada ajustes = ArquivoConfiguracao::instancia().getAjustesEntrada();
  if (kitEletronico->aplicar(ajustes) || ajustes.dispositivo.isEmpty()) return;
  const GerenciadorIdiomas &idiomas = GerenciadorIdiomas::instancia();
  QString mensagem =
      idiomas.getTexto(QStringLiteral("frmSetup"), QStringLiteral("erroAbrirEntrada"));
  mensagem.replace(QLatin1String("%1"), ajustes.dispositivo);
  mensageiro(mensagem, idiomas.getTexto(QStringLiteral("geral"), QStringLiteral("nomeAplicacao")));
}

// With Play Along the song's drums are muted, whoever plays: the keys or the drummer's kit,
// whose hits sound through the library.
void TFormPrincipal::ckKaraokeClick(bool marcado) {
  Sequenciador::instancia().setBateriaMuda(marcado);
}

bool TFormPrincipal::FormKeyDown(QKeyEvent *evento) {
  return teclaDaJanela(evento, true);
}

bool TFormPrincipal::FormKeyUp(QKeyEvent *evento) {
  return teclaDaJanela(evento, false);
}

// A held key repeats. On X11 each repeat arrives as a key-up and a key-down, both marked as
// auto-repeated: the key-up is no release, so it is passed over, and the key-down is the
// repeated key-down a held key gives anywhere, which plays nothing as its slot is held.
//
// Ctrl is read from the modifiers of the event, except for the Ctrl key's own events, whose
// modifiers differ from one source to another: Qt on X11 gives the key-down with Ctrl and the
// key-up without it, the raw X11 state and Qt's synthesized events the other way round.
// There the key-down holds the pedal and the key-up lifts it.
bool TFormPrincipal::teclaDaJanela(QKeyEvent *evento, bool pressionada) {
  if (evento->key() == Qt::Key_F9) {
    if (pressionada && !evento->isAutoRepeat()) abrirPistas();
    return true;
  }
  const int codigo = codigoVirtual(evento->key());
  const bool toca = slotDaTecla(codigo) >= 0;
  if (!pressionada && evento->isAutoRepeat()) return toca;
  Qt::KeyboardModifiers modificadores = evento->modifiers();
  if (evento->key() == Qt::Key_Control) modificadores.setFlag(Qt::ControlModifier, pressionada);
  tratarTecla(codigo, modificadores, pressionada);
  return toca;
}

// The pedal rule runs for every key event, a key that plays nothing included. No note-off is
// ever sent: the drums die away by themselves.
void TFormPrincipal::tratarTecla(int codigo, Qt::KeyboardModifiers modificadores,
                                 bool pressionada) {
  const bool comCtrl = modificadores.testFlag(Qt::ControlModifier);
  const int slot = slotDaTecla(codigo);
  Instrumento *kit = ArquivoConfiguracao::instancia().getInstrumento();
  protegido([&] {
    SaidaMIDI &saida = SaidaMIDI::instancia();
    const int notaPedal = notaDoSlot(slotPedal, false);
    bool &pedal = teclasPressionadas[slotPedal];
    if (comCtrl) {
      if (kit) kit->acender(notaPedal);
      if (pressionada && !pedal) {
        pedal = true;
        saida.enviarNoteOn(canalTeclado, velocidadeTeclado, notaPedal);
        julgarGolpe(notaPedal, velocidadeTeclado);
      }
    } else {
      if (kit) kit->apagar(notaPedal);
      pedal = false;
    }
    if (slot < 0) return;
    const int nota = notaDoSlot(slot, comCtrl);
    bool &segura = teclasPressionadas[static_cast<std::size_t>(slot)];
    if (!pressionada) {
      if (kit) kit->apagar(nota);
      segura = false;
    } else if (!segura) {
      if (kit) kit->acender(nota);
      segura = true;
      saida.enviarNoteOn(canalTeclado, velocidadeTeclado, nota);
      julgarGolpe(nota, velocidadeTeclado);
    }
  });
}
