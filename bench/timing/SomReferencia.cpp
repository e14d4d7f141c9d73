#include "SomReferencia.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

namespace bench {

std::vector<float> renderizarNota(const std::string &soundfont, double taxa, int nota,
                                  int velocidade, std::size_t quadros) {
  for (int nivel : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(nivel, nullptr, nullptr);
  fluid_settings_t *ajustes = new_fluid_settings();
  fluid_settings_setnum(ajustes, "synth.sample-rate", taxa);
  fluid_synth_t *sintetizador = new_fluid_synth(ajustes);
  std::vector<float> picos;
  if (sintetizador && fluid_synth_sfload(sintetizador, soundfont.c_str(), 1) != FLUID_FAILED) {
    // A note-on before the first block starts the voice at frame 0.
    fluid_synth_noteon(sintetizador, 9, nota, velocidade);
    constexpr int bloco = 64;
    float esquerdo[bloco], direito[bloco];
    while (picos.size() < quadros) {
      fluid_synth_write_float(sintetizador, bloco, esquerdo, 0, 1, direito, 0, 1);
      for (int i = 0; i < bloco && picos.size() < quadros; ++i)
        picos.push_back(std::max(std::fabs(esquerdo[i]), std::fabs(direito[i])));
    }
  }
  if (sintetizador) delete_fluid_synth(sintetizador);
  delete_fluid_settings(ajustes);
  return picos;
}

Inicio inicioDoSom(const std::vector<float> &picos, const std::vector<float> &referencia,
                   std::size_t de, std::size_t ate) {
  Inicio melhor;
  double normaReferencia = 0;
  for (float r : referencia) normaReferencia += double(r) * r;
  if (normaReferencia <= 0 || picos.size() < referencia.size()) return melhor;
  ate = std::min(ate, picos.size() - referencia.size());
  melhor.semelhanca = -1;
  for (std::size_t q = de; q <= ate; ++q) {
    double produto = 0, energia = 0;
    for (std::size_t i = 0; i < referencia.size(); ++i) {
      produto += double(picos[q + i]) * referencia[i];
      energia += double(picos[q + i]) * picos[q + i];
    }
    const double semelhanca = energia > 0 ? produto / std::sqrt(energia * normaReferencia) : 0;
    if (semelhanca > melhor.semelhanca) melhor = {q, semelhanca};
  }
  return melhor;
}

}  // namespace bench
