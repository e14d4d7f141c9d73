#include "MusicaImpressa.h"

#include <QList>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace kovrinta::test {

namespace {

// The value of "key=value" among words; throws when it is missing or not a number.
int valor(const QList<QByteArray> &palavras, const char *chave, const QByteArray &linha) {
  const QByteArray prefixo = QByteArray(chave) + '=';
  for (const QByteArray &p : palavras) {
    if (!p.startsWith(prefixo)) continue;
    bool ok = false;
    const int v = p.mid(prefixo.size()).toInt(&ok);
    if (ok) return v;
    if (p.mid(prefixo.size()) == "-") return -1;
  }
  throw std::runtime_error("kovrinta-song printed a line without " + prefixo.toStdString() + ": " +
                           linha.toStdString());
}

}  // namespace

Mensagem EventoImpresso::mensagem() const {
  const auto byte = [](int v) { return static_cast<uint8_t>(v); };
  switch (tipo) {
    case Tipo::NoteOn:
      return {byte(0x90 | canal), byte(nota), byte(velocidade)};
    case Tipo::NoteOff:
      return {byte(0x90 | canal), byte(nota), 0};
    case Tipo::Andamento:
      return {};
    case Tipo::Generico:
      break;
  }
  if (status >= 0xC0 && status < 0xE0) return {byte(status), byte(dado1)};
  return {byte(status), byte(dado1), byte(dado2)};
}

bool EventoImpresso::soaNota() const {
  if (tipo == Tipo::NoteOn) return velocidade > 0;
  return tipo == Tipo::Generico && (status & 0xF0) == 0x90 && dado2 > 0;
}

std::vector<Mensagem> MusicaImpressa::mensagensTocadas() const {
  // Tick -> the messages of each track at that tick, tracks in order.
  std::map<int, std::vector<std::vector<Mensagem>>> porTick;
  for (std::size_t t = 0; t < trilhas.size(); ++t) {
    for (const EventoImpresso &e : trilhas[t].eventos) {
      if (e.posicao < 0 || e.posicao > duracao) continue;
      Mensagem m = e.mensagem();
      if (m.empty()) continue;
      auto &faixas = porTick[e.posicao];
      faixas.resize(trilhas.size());
      faixas[t].push_back(std::move(m));
    }
  }
  std::vector<Mensagem> ordem;
  for (auto &[tick, faixas] : porTick)
    for (auto &mensagens : faixas) ordem.insert(ordem.end(), mensagens.begin(), mensagens.end());
  return ordem;
}

int MusicaImpressa::andamento() const {
  for (const TrilhaImpressa &t : trilhas)
    for (const EventoImpresso &e : t.eventos)
      if (e.tipo == EventoImpresso::Tipo::Andamento) return e.bpm;
  return 120;
}

MusicaImpressa lerMusicaImpressa(const QByteArray &saida) {
  MusicaImpressa musica;
  bool cabecalho = false;
  for (const QByteArray &linha : saida.split('\n')) {
    const QList<QByteArray> palavras = linha.simplified().split(' ');
    if (linha.trimmed().isEmpty()) continue;
    const QByteArray &primeira = palavras[0];
    if (primeira == "song") {
      musica.duracao = valor(palavras, "duracao", linha);
      musica.numTempos = valor(palavras, "numTempos", linha);
      cabecalho = true;
      continue;
    }
    if (!cabecalho) throw std::runtime_error("kovrinta-song printed no song line first");
    if (primeira == "track") {
      TrilhaImpressa trilha;
      trilha.canal = valor(palavras, "canal", linha);
      trilha.bateria = valor(palavras, "bateria", linha) == 1;
      musica.trilhas.push_back(trilha);
      continue;
    }
    bool numero = false;
    const int posicao = primeira.toInt(&numero);
    if (!numero || palavras.size() < 2 || musica.trilhas.empty())
      throw std::runtime_error("kovrinta-song printed an unknown line: " + linha.toStdString());
    EventoImpresso e;
    e.posicao = posicao;
    e.canal = valor(palavras, "canal", linha);
    const QByteArray &tipo = palavras[1];
    if (tipo == "NoteOn") {
      e.tipo = EventoImpresso::Tipo::NoteOn;
      e.nota = valor(palavras, "nota", linha);
      e.velocidade = valor(palavras, "velocidade", linha);
    } else if (tipo == "NoteOff") {
      e.tipo = EventoImpresso::Tipo::NoteOff;
      e.nota = valor(palavras, "nota", linha);
    } else if (tipo == "Generico") {
      e.tipo = EventoImpresso::Tipo::Generico;
      e.status = valor(palavras, "status", linha);
      e.dado1 = valor(palavras, "dado1", linha);
      e.dado2 = valor(palavras, "dado2", linha);
    } else if (tipo == "Andamento") {
      e.tipo = EventoImpresso::Tipo::Andamento;
      e.bpm = valor(palavras, "bpm", linha);
    } else {
      throw std::runtime_error("kovrinta-song printed an unknown event: " + linha.toStdString());
    }
    musica.trilhas.back().eventos.push_back(e);
  }
  if (!cabecalho) throw std::runtime_error("kovrinta-song printed no song");
  return musica;
}

QString kovrintaSong() {
  return QString(KOVRINTA_PROGRAM_DIR) + "/kovrinta-song";
}

MusicaImpressa importar(const QString &arquivo) {
  QProcess processo;
  processo.start(kovrintaSong(), {arquivo});
  if (!processo.waitForFinished(30000))
    throw std::runtime_error("kovrinta-song did not end within 30 s");
  if (processo.exitStatus() != QProcess::NormalExit || processo.exitCode() != 0)
    throw std::runtime_error("kovrinta-song failed: " +
                             processo.readAllStandardError().toStdString());
  return lerMusicaImpressa(processo.readAllStandardOutput());
}

std::string hex(const Mensagem &mensagem) {
  std::string texto;
  for (uint8_t b : mensagem) {
    char par[4];
    std::snprintf(par, sizeof par, "%s%02x", texto.empty() ? "" : " ", b);
    texto += par;
  }
  return texto;
}

}  // namespace kovrinta::test
