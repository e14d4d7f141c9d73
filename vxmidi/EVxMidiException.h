// The toolkit's one error type: a fixed English message naming the misuse.
#pragma once

#include <stdexcept>
#include <string>

class EVxMidiException : public std::runtime_error {
 public:
  explicit EVxMidiException(const std::string &message) : std::runtime_error(message) {}
};
