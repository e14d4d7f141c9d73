// Standard MIDI Files written byte by byte for the tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kovrinta::test {

// Builds a Standard MIDI File: a header, then each track's raw event bytes (delta times
// included) in an MTrk chunk, End of Track appended.
inline std::vector<uint8_t> smf(uint16_t divisao, const std::vector<std::vector<uint8_t>> &trilhas,
                                uint16_t formato = 1) {
  std::vector<uint8_t> b = {'M',
                            'T',
                            'h',
                            'd',
                            0,
                            0,
                            0,
                            6,
                            0,
                            static_cast<uint8_t>(formato),
                            0,
                            static_cast<uint8_t>(trilhas.size()),
                            static_cast<uint8_t>(divisao >> 8),
                            static_cast<uint8_t>(divisao)};
  for (const auto &eventos : trilhas) {
    std::vector<uint8_t> corpo = eventos;
    corpo.insert(corpo.end(), {0, 0xFF, 0x2F, 0});
    const auto n = static_cast<uint32_t>(corpo.size());
    b.insert(b.end(),
             {'M', 'T', 'r', 'k', static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
              static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    b.insert(b.end(), corpo.begin(), corpo.end());
  }
  return b;
}

// A delta time as a variable-length quantity.
inline std::vector<uint8_t> vlq(uint32_t valor) {
  std::vector<uint8_t> b{static_cast<uint8_t>(valor & 0x7F)};
  while (valor >>= 7) b.insert(b.begin(), static_cast<uint8_t>(0x80 | (valor & 0x7F)));
  return b;
}

// One event: delta then bytes.
inline std::vector<uint8_t> ev(uint32_t delta, std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> b = vlq(delta);
  b.insert(b.end(), bytes);
  return b;
}

}  // namespace kovrinta::test
