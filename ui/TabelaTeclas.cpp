#include "ui/TabelaTeclas.h"

#include <Qt>

namespace {

// The notes of the General MIDI percussion map that the keys play.
constexpr int bumbo = 35;
constexpr int aro = 37;
constexpr int caixa = 38;
constexpr int surdo2 = 41;
constexpr int chimbalFechado = 42;
constexpr int surdo1 = 43;
constexpr int chimbalPedal = 44;
constexpr int ton2 = 45;
constexpr int chimbalAberto = 46;
constexpr int ton1 = 48;
constexpr int prato3 = 49;
constexpr int ataque2 = 51;
constexpr int ataque1 = 55;
constexpr int prato2 = 57;
constexpr int prato1 = 59;

// A key that plays the same note whatever Ctrl is.
constexpr TeclaBateria tecla(int codigo, const char *nome, int nota, const char *rotulo, int x,
                             int y) {
  return {codigo, nome, nota, nota, rotulo, QPoint(x, y)};
}

}  // namespace

const std::array<TeclaBateria, numTeclasBateria> tabelaTeclas{{
    tecla('A', "A", caixa, "imgTecla1Caixa", 154, 207),
    tecla('S', "S", caixa, "imgTecla2Caixa", 124, 207),
    tecla('Z', "Z", aro, "imgTeclaAro", 199, 195),
    {'X', "X", chimbalAberto, chimbalFechado, "imgTecla1Chimbal", QPoint(38, 138)},
    {'D', "D", chimbalAberto, chimbalFechado, "imgTecla2Chimbal", QPoint(54, 108)},
    tecla('C', "C", ton1, "imgTecla1Tom1", 233, 142),
    tecla('F', "F", ton1, "imgTecla2Tom1", 249, 112),
    tecla('V', "V", ton2, "imgTecla1Tom2", 306, 137),
    tecla('G', "G", ton2, "imgTecla2Tom2", 322, 107),
    tecla('B', "B", surdo1, "imgTecla1Surdo1", 383, 200),
    tecla('H', "H", surdo1, "imgTecla2Surdo1", 399, 170),
    tecla('N', "N", surdo2, "imgTecla1Surdo2", 470, 217),
    tecla('J', "J", surdo2, "imgTecla2Surdo2", 486, 187),
    tecla('E', "E", prato1, "imgTeclaPrato1", 113, 23),
    tecla('Y', "Y", prato2, "imgTeclaPrato2", 311, 28),
    tecla('O', "O", prato3, "imgTeclaPrato3", 482, 59),
    tecla('R', "R", ataque1, "imgTeclaAtaque1", 216, 35),
    tecla('K', "K", ataque2, "imgTeclaAtaque2", 418, 125),
    tecla(' ', "Space", bumbo, "imgTeclaBombo", 213, 353),
    tecla(-1, "Ctrl", chimbalPedal, "imgTeclaPedalChimbal", 90, 357),
}};

int slotDaTecla(int codigo) {
  if (codigo < 0) return -1;
  for (int slot = 0; slot < slotPedal; ++slot)
    if (tabelaTeclas[static_cast<std::size_t>(slot)].codigo == codigo) return slot;
  return -1;
}

int codigoVirtual(int teclaQt) {
  if ((teclaQt >= Qt::Key_A && teclaQt <= Qt::Key_Z) ||
      (teclaQt >= Qt::Key_0 && teclaQt <= Qt::Key_9) || teclaQt == Qt::Key_Space)
    return teclaQt;
  switch (teclaQt) {
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
      return 0x12;
    default:
      return 0;
  }
}
