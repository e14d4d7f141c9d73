// The main window around a song file: importing it, listing its drum tracks, labelling the
// setup dialog's track boxes and starting it; and the play-along box.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSlider>
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

// A track's name without the blanks and control characters around it.
QString aparado(const QString &nome) {
  qsizetype inicio = 0;
  qsizetype fim = nome.size();
  while (inicio < fim && nome.at(inicio).unicode() <= 0x20) ++inicio;
  while (fim > inicio && nome.at(fim - 1).unicode() <= 0x20) --fim;
  return nome.mid(inicio, fim - inicio);
}

}  // namespace

void TFormPrincipal::abrirMusica(const QString &arquivo) {
  tempoAtual = 0;
  tkbAndamento->setValue(0);
  lblTime->setText(QStringLiteral("0"));
  SaidaMIDI &saida = SaidaMIDI::instancia();
  Sequenciador &sequenciador = Sequenciador::instancia();
  saida.silenciar();
  saida.resetarControladores();
  sequenciador.limparLoop();
  sequenciador.parar();

  // A file that cannot be imported leaves the previous song current, the sequencer halted
  // at tick 0 and the window as it was.
  try {
    saida.carregarMusica(arquivo);
  } catch (const std::exception &e) {
    avisarFalhaMidi(QDir::toNativeSeparators(arquivo) + QStringLiteral(": ") +
                    QString::fromUtf8(e.what()));
    return;
  }
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
    for (int i = std::max(numTrilhas, 1); i < trilhasComChave; ++i) {
      QCheckBox &caixa = FormSetup->getCaixa(i);
      caixa.setEnabled(false);
      caixa.setText(semTrilha);
    }
    FormSetup->getCheckBoxSel().setEnabled(true);
    FormSetup->getCheckBoxSel().setChecked(true);
  }

  if (Instrumento *kit = configuracao.getInstrumento()) kit->apagarTudo();
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

  // From tick 0 at the sequencer's tempo; the song's tempo events then set it.
  protegido([&] { sequenciador.tocar(); });
  estado = EstadoPlayer::Tocando;
}

void TFormPrincipal::ckKaraokeClick(bool marcado) {
  Sequenciador::instancia().setBateriaMuda(marcado);
}
