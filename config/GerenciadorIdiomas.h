// The language manager: finds the language files, loads one, and answers text and
// picture lookups for every window.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "config/Idioma.h"
#include "config/Mensageiro.h"

class TformListaIdiomas;

class GerenciadorIdiomas {
 public:
  // The single instance; the first call discovers the languages of the program's folder
  // (or of the folder given to configurarParaTestes). Needs the QApplication.
  static GerenciadorIdiomas &instancia();
  // Makes the next instancia() use pasta and mensageiro; for tests.
  static void configurarParaTestes(const QString &pasta, Mensageiro mensageiro = {});
  // Destroys the single instance, so the next instancia() builds a new one; for tests.
  static void reiniciarParaTestes();

  // Discovers the usable language files of pasta and creates the chooser; with none
  // found, shows its message through mensageiro (the message box when empty) and asks
  // for termination. Needs the QApplication; user-interface thread.
  explicit GerenciadorIdiomas(const QString &pasta, Mensageiro mensageiro = {});
  ~GerenciadorIdiomas();

  // Loads the language whose display name equals nome regardless of case (the first
  // discovered wins); when none does, says so and lets the user choose. Returns the
  // loaded language, or nullptr (after asking for termination) when none is loaded.
  // Propagates EFOpenError when the chosen text file cannot be read.
  Idioma *selecionarIdioma(const QString &nome);
  // Shows the chooser; true when the user picked a language and it is now loaded.
  bool escolherIdioma();
  // The language of that index of getNomesIdiomas(), loaded unless it already is;
  // nullptr for an index outside the list. Throws EFOpenError when its text file cannot
  // be read, keeping the previous language.
  Idioma *carregarIdioma(int indice);

  // The loaded language's text for (secao, chave); empty when missing or none is loaded.
  QString getTexto(const QString &secao, const QString &chave) const;
  // The loaded language's picture for (secao, chave), a copy the caller keeps; null when
  // there is none (see Idioma::getImagem) or no language is loaded.
  QImage getImagem(const QString &secao, const QString &chave);
  // The current language's picture for the screen (Idioma::getFigura); null without one.
  QPixmap getFigura(const QString &secao, const QString &chave);
  // Whether a language is loaded.
  bool temIdioma() const { return idiomaAtual != nullptr; }
  // Whether the manager has asked the application to end: no language file was found,
  // or the configured one was missing and the user chose none. Start-up checks it.
  bool isTerminacaoSolicitada() const { return terminacaoSolicitada; }

  // The display names, in discovery order, and the base file names beside them.
  const QStringList &getNomesIdiomas() const { return nomesIdiomas; }
  const QStringList &getArquivosIdiomas() const { return arquivosIdiomas; }
  // Index of the loaded language in those lists; -1 while none is loaded.
  int getIndiceAtual() const { return indiceAtual; }
  // The chooser window, which the manager owns.
  TformListaIdiomas &getSeletor() const { return *seletor; }

 private:
  void solicitarTerminacao();

  QString pasta;
  Mensageiro mensageiro;
  std::unique_ptr<Idioma> idiomaAtual;
  QStringList nomesIdiomas;
  QStringList arquivosIdiomas;
  // The extension of each text file as found ("idm" in any letter case); the picture
  // file takes "dat" in the same letter case.
  QStringList extensoesIdiomas;
  int indiceAtual = -1;
  bool terminacaoSolicitada = false;
  std::unique_ptr<TformListaIdiomas> seletor;
};
