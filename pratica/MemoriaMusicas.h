// What the drummer last had for each song: the drum track shown, the loop, the speed and the
// click, for the songs opened last, the most recent first.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct LembrancaMusica {
  QString arquivo;      // the song's absolute path
  int trilha = -2;      // the item of the drum-track list; -2: none chosen
  int inicioLoop = -1;  // the loop's marks, -1 when not set
  int fimLoop = -1;
  bool loopNaLinha = true;  // the loop wraps on its end's bar line
  int velocidade = 100;     // percent of the song's tempo
  bool clique = false;
  bool cliqueColcheias = false;
  int volumeClique = 80;
  int contagem = 1;

  bool operator==(const LembrancaMusica &) const = default;
};

class MemoriaMusicas {
 public:
  static constexpr int maximo = 50;
  static constexpr int recentesMostrados = 10;

  // The song's entry, or nullptr when it is not remembered.
  const LembrancaMusica *buscar(const QString &arquivo) const;
  // Keeps lembranca as the most recent, in place of the song's earlier entry; the oldest
  // beyond maximo is forgotten.
  void lembrar(const LembrancaMusica &lembranca);
  // The songs opened last, the most recent first, at most recentesMostrados.
  QStringList recentes() const;
  const std::vector<LembrancaMusica> &getLembrancas() const { return lembrancas; }

 private:
  std::vector<LembrancaMusica> lembrancas;
};
