// The main window around a song file: the open dialogs and a file dropped on the window,
// importing it, listing its drum tracks, labelling the setup dialog's track boxes and
// starting it; and the choice of the drum track that drives the kit.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "config/ArquivoConfiguracao.h"
#include "config/GerenciadorIdiomas.h"
#include "midi/SaidaMIDI.h"
#include "playback/Sequenciador.h"
#include "setup/TFormSetup.h"
#include "song/GerenciadorMusica.h"
#include "ui/TFormPrincipal.h"

namespace {

// Only the tracks 0..15 have a switch in the setup dialog and can drive the kit.
constexpr int trilhasComChave = 16;

// Linux file names keep their letter case, so each letter of an extension matches both
// cases. The dialog shows the name before the patterns.
const QString filtroMidi =
    QStringLiteral("MIDI (*.[mM][iI][dD] *.[mM][iI][dD][iI] *.[kK][aA][rR] *.[rR][mM][iI])");

// A track's name without the blanks and control characters around it.
QString aparado(const QString &nome) {
  qsizetype inicio = 0;
  qsizetype fim = nome.size();
  while (inicio < fim && nome.at(inicio).unicode() <= 0x20) ++inicio;
  while (fim > inicio && nome.at(fim - 1).unicode() <= 0x20) --fim;
  return nome.mid(inicio, fim - inicio);
}

// The items of CmbTracks' list: plain text on rows 13 pixels high.
class ItemTrilha : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem &opcao, const QModelIndex &indice) const override {
    return {QStyledItemDelegate::sizeHint(opcao, indice).width(), 13};
  }
};

// The first local MIDI file among the files a drag carries, or the empty text.
QString arquivoArrastado(const QMimeData *dados) {
  if (!dados || !dados->hasUrls()) return {};
  for (const QUrl &url : dados->urls()) {
    if (!url.isLocalFile()) continue;
    const QString arquivo = url.toLocalFile();
    if (TFormPrincipal::isNomeMidi(arquivo) && QFileInfo(arquivo).isFile()) return arquivo;
  }
  return {};
}

}  // namespace

bool TFormPrincipal::isNomeMidi(const QString &arquivo) {
  const QString extensao = QFileInfo(arquivo).suffix();
  for (const char *midi : {"mid", "midi", "kar", "rmi"})
    if (extensao.compare(QLatin1String(midi), Qt::CaseInsensitive) == 0) return true;
  return false;
}

void TFormPrincipal::criarDialogos() {
  CmbTracks->setItemDelegate(new ItemTrilha(CmbTracks));

  // Each dialog is kept and shown again, so that it stays where the user left it.
  dlgOpen = new QFileDialog(this);
  dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
  dlgOpen->setFileMode(QFileDialog::ExistingFile);
  dlgOpen->setAcceptMode(QFileDialog::AcceptOpen);
  dlgOpen->setNameFilter(filtroMidi);
  dlgOpen->setOption(QFileDialog::HideNameFilterDetails);

  dlgRitmos = new QFileDialog(this);
  dlgRitmos->setObjectName(QStringLiteral("dlgRitmos"));
  dlgRitmos->setFileMode(QFileDialog::ExistingFile);
  dlgRitmos->setAcceptMode(QFileDialog::AcceptOpen);
  setPastaPrograma(pastaPrograma);
}

// The rhythm folder lies in the program's folder where the language says; a language file
// written on Windows may separate its folders with backslashes, as for the documents.
void TFormPrincipal::setPastaPrograma(const QString &pasta) {
  pastaPrograma = pasta;
  QString ritmos = texto("dlgRitmos");
  ritmos.replace(u'\\', u'/');
  if (pastaUltimoRitmo.isEmpty()) dlgRitmos->setDirectory(QDir(pastaPrograma).filePath(ritmos));
}

// The open dialog starts in the folder of the last song opened, however it was opened.
// A song of the recent list opens as a picked file does.
void TFormPrincipal::imgOpenClick() {
  if (!pastaUltimaMusica.isEmpty()) dlgOpen->setDirectory(pastaUltimaMusica);
  preencherRecentes();
  recenteEscolhido.clear();
  const bool aceito = dlgOpen->exec() == QDialog::Accepted;
  if (!recenteEscolhido.isEmpty()) {
    abrirMusica(recenteEscolhido);
    return;
  }
  if (!aceito || dlgOpen->selectedFiles().isEmpty()) return;
  abrirMusica(dlgOpen->selectedFiles().constFirst());
}

// The rhythm dialog starts in the rhythm folder, and then where the last groove it opened
// lies, so that songs opened in other ways do not lead it away from the grooves.
void TFormPrincipal::imgStylesClick() {
  if (!pastaUltimoRitmo.isEmpty()) dlgRitmos->setDirectory(pastaUltimoRitmo);
  if (dlgRitmos->exec() != QDialog::Accepted || dlgRitmos->selectedFiles().isEmpty()) return;
  const QString arquivo = dlgRitmos->selectedFiles().constFirst();
  if (abrirMusica(arquivo)) pastaUltimoRitmo = QFileInfo(arquivo).absolutePath();
}

void TFormPrincipal::dragEnterEvent(QDragEnterEvent *evento) {
  if (!arquivoArrastado(evento->mimeData()).isEmpty()) evento->acceptProposedAction();
}

// The song opens once the drop has ended, so that a message about it does not hold up the
// program the file came from.
void TFormPrincipal::dropEvent(QDropEvent *evento) {
  const QString arquivo = arquivoArrastado(evento->mimeData());
  if (arquivo.isEmpty()) return;
  evento->acceptProposedAction();
  QTimer::singleShot(0, this, [this, arquivo] { abrirMusica(arquivo); });
}

bool TFormPrincipal::abrirMusica(const QString &arquivo) {
  tempoAtual = 0;
  tkbAndamento->setValue(0);
  lblTime->setText(QStringLiteral("0"));
  SaidaMIDI &saida = SaidaMIDI::instancia();
  Sequenciador &sequenciador = Sequenciador::instancia();
  saida.silenciar();
  saida.resetarControladores();
  sequenciador.limparLoop();
  sequenciador.parar();

  try {
    saida.carregarMusica(arquivo);
  } catch (const std::exception &e) {
    falhaImportacao(arquivo, QString::fromUtf8(e.what()));
    return false;
  }
  pastaUltimaMusica = QFileInfo(arquivo).absolutePath();
  novaMusicaJulgada();
  const Musica &musica = *GerenciadorMusica::instancia().getMusicaAtual();
  ArquivoConfiguracao &configuracao = ArquivoConfiguracao::instancia();
  GerenciadorIdiomas &idioma = GerenciadorIdiomas::instancia();

  // The drum tracks fill the list; every track of the file gets its box in the setup dialog.
  CmbTracks->clear();
  CmbTracks->setPlaceholderText(texto("CmbTracksText"));
  numTrilhasBateria = 0;
  const int numTrilhas = saida.getNumTrilhasArquivo();
  for (int i = 0; i < numTrilhas && i < trilhasComChave; ++i) {
    if (i < musica.getNumTrilhas() && musica.getTrilha(i).isBateria()) {
      trilhasBateria[static_cast<std::size_t>(numTrilhasBateria)] = i;
      ++numTrilhasBateria;
      CmbTracks->addItem(texto("Bateria") + QString::number(numTrilhasBateria));
    }
    QString nome = aparado(saida.getNomeTrilha(i));
    if (nome.isEmpty()) nome = texto("SemNome");
    if (FormSetup) {
      QCheckBox &caixa = FormSetup->getCaixa(i);
      caixa.setText(nome);
      caixa.setChecked(true);
      caixa.setEnabled(true);
    }
    configuracao.setTrilhaAtiva(i, true);
  }
  if (numTrilhasBateria > 1) {
    CmbTracks->addItem(texto("BateriaTodas"));
    CmbTracks->setCurrentIndex(numTrilhasBateria);
    sequenciador.selecionarTrilhaBateria(-1);
  } else if (numTrilhasBateria == 1) {
    CmbTracks->setCurrentIndex(0);
    sequenciador.selecionarTrilhaBateria(trilhasBateria[0]);
  }
  if (FormSetup) {
    const QString semTrilha =
        idioma.getTexto(QStringLiteral("frmSetup"), QStringLiteral("CheckBoxText"));
    for (int i = numTrilhas; i < trilhasComChave; ++i) {
      QCheckBox &caixa = FormSetup->getCaixa(i);
      caixa.setEnabled(false);
      caixa.setText(semTrilha);
    }
    FormSetup->getCheckBoxSel().setEnabled(true);
    FormSetup->getCheckBoxSel().setChecked(true);
  }

  sequenciador.getAgendaKit().apagarTudo();
  ckKaraoke->setChecked(false);
  sequenciador.setBateriaMuda(false);

  totalTempos = GerenciadorMusica::instancia().getNumTempos();
  lblTimeTotal->setText(QString::number(totalTempos));
  tkbAndamento->setMaximum(GerenciadorMusica::instancia().getDuracao());

  mostrarStatus(EstadoPlayer::Tocando);
  habilitar(tagPlay, false);
  for (int tag : {tagStop, tagPause, tagFF, tagRew, tagRepeat}) habilitar(tag, true);
  CmbTracks->setEnabled(true);
  tkbAndamento->setEnabled(true);
  tkbBPM->setEnabled(true);

  // From tick 0 at the sequencer's tempo, the song's tempo events then set it; or from the
  // start of the loop the song had when last opened.
  estado = EstadoPlayer::Tocando;
  const bool comLoop = restaurarMusica(arquivo);
  mostrarCompassoEm(sequenciador.getPosicao());
  atualizarPistas();
  protegido([&] { sequenciador.tocar(); });
  if (comLoop) {
    estado = EstadoPlayer::Repetindo;
    mostrarStatus(EstadoPlayer::Repetindo);
    habilitar(tagRepeat, false);
    habilitar(tagPlay, true);
  }
  return true;
}

// The import has stopped the sequencer at tick 0 and kept the previous song, so the window
// shows that song stopped, as Stop leaves it: Play starts it again from its beginning. The
// track list and the setup boxes still belong to it. Without a previous song the window
// stays as it started.
void TFormPrincipal::falhaImportacao(const QString &arquivo, const QString &detalhe) {
  if (estado != EstadoPlayer::SemMusica) {
    TimerPlayer->stop();
    pararMusica();
  }
  QString mensagem = texto("erroLerArquivoMidi");
  mensagem.replace(QLatin1String("%1"), QDir::toNativeSeparators(arquivo));
  avisar(detalhe.isEmpty() ? mensagem : mensagem + QStringLiteral("\n\n") + detalhe);
}

void TFormPrincipal::CmbTracksChange(int indice) {
  if (indice < 0) return;
  Sequenciador::instancia().selecionarTrilhaBateria(
      indice == numTrilhasBateria ? -1 : trilhasBateria[static_cast<std::size_t>(indice)]);
  // No hit of the track shown before stays lit, nor waits to light.
  Sequenciador::instancia().getAgendaKit().apagarTudo();
  atualizarPistas();
  lembrarMusica();
}
