// The drummer's electronic kit as the program sees it: the MIDI input port chosen, the note
// map and the settings that decide what a hit is, every hit lit on the kit picture, and the
// learn mode that teaches the map a pad.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "entrada/AjustesEntrada.h"
#include "entrada/MapaNotas.h"

class QTimer;
struct VxMidiEvent;

// The hits themselves sound in the MIDI library, which plays them on the output device at
// their own frame; this object tells the library what to play (the map as a note table, the
// thresholds) and shows what it played. Created once at start-up. User-interface thread only.
class KitEletronico : public QObject {
 public:
  explicit KitEletronico(QObject *parent = nullptr);
  ~KitEletronico() override;

  // The full names of the system's MIDI input ports, looked up now; empty when the MIDI
  // library cannot be loaded.
  QStringList listarDispositivos();

  // Takes ajustes: opens the port named ajustes.dispositivo when it is not the one open (the
  // exact name first, else the first port whose name contains it), closes it for an empty
  // name, and hands the map and thresholds to the library. Answers false when a port was
  // named and cannot be opened (absent, or refused): the settings are kept all the same, so a
  // device plugged in later opens at the next start. Never throws.
  bool aplicar(const AjustesEntrada &ajustes);
  // After the output device changed: the hits go to the new one.
  void reconectarSaida();

  const AjustesEntrada &getAjustes() const { return ajustes; }
  // The map in force: the preset named by the settings, or the taught one.
  const MapaNotas &getMapa() const { return mapa; }
  // Whether a port is open, and its full name.
  bool isAberto() const;
  QString getDispositivoAberto() const;

  // Learn mode: the next hit (a note-on at or above the velocity threshold) becomes peca;
  // the map turns "personalizado", is handed to the library, and concluido gets the note.
  void aprender(PecaBateria peca, std::function<void(int nota)> concluido);
  void cancelarAprendizado();
  bool isAprendendo() const { return pecaAprendendo != PecaBateria::nenhuma; }

  // Called with every hit as the library played it (raw note, velocity, the piece it was
  // taken for, the moment it arrived on CLOCK_MONOTONIC in nanoseconds); for kovrinta-song
  // and the benchmarks.
  struct Golpe {
    int nota;
    int velocidade;
    PecaBateria peca;
    long long chegadaNs;
  };
  std::function<void(const Golpe &)> aoGolpe;
  // The open port went away (the module unplugged, the program that made it closed): it is
  // closed, the settings keep its name, and this is called with that name.
  std::function<void(const QString &nome)> aoPerderDispositivo;

 private:
  void receber(const VxMidiEvent &evento);
  void dispositivoPerdido();

  struct Impl;
  std::unique_ptr<Impl> impl;
  AjustesEntrada ajustes;
  MapaNotas mapa;
  PecaBateria pecaAprendendo = PecaBateria::nenhuma;
  std::function<void(int)> aoAprender;
};
