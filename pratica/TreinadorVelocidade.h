// The speed trainer: the loop starts at a share of the song's speed and goes faster by a
// step after every few passes, up to a target.
#pragma once

struct AjustesTreinador {
  bool ativo = false;
  int inicio = 70;  // percent of the song's speed
  int passo = 5;    // percent added
  int passes = 2;   // passes of the loop between two steps
  int alvo = 100;   // percent it stops at
  bool operator==(const AjustesTreinador &) const = default;
};

class TreinadorVelocidade {
 public:
  // Takes ajustes brought into range (speeds 25..200 %, step 1..50, passes 1..99) and
  // starts over.
  void setAjustes(const AjustesTreinador &ajustes);
  const AjustesTreinador &getAjustes() const { return ajustes; }
  bool isAtivo() const { return ajustes.ativo; }

  // Starts over: answers the starting speed.
  int reiniciar();
  // A pass of the loop has ended: answers the speed of the next pass.
  int passeCompleto();
  int getVelocidade() const { return velocidade; }
  int getPassesFeitos() const { return passesFeitos; }

 private:
  AjustesTreinador ajustes;
  int velocidade = 70;
  int passesFeitos = 0;
};
