// The message of the toolkit error a call raises, or "" when it raises none.
#pragma once

#include <string>

#include "EVxMidiException.h"

namespace kovrinta::test {

template <class Call>
std::string raised(Call call) {
  try {
    call();
  } catch (const EVxMidiException &e) {
    return e.what();
  }
  return "";
}

}  // namespace kovrinta::test
