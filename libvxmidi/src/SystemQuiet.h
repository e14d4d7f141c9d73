// Keeps libjack and libasound from printing: looking for a JACK server or a sound card that is
// not there is no error for the library, which reports its failures through its results.
#pragma once

namespace vx {

// Silences libjack's error and info messages for the whole process.
void silenceJack();
// Silences libasound's error messages for the whole process.
void silenceAlsa();

// Both are put back to the libraries' own when the library is unloaded, since the silencing
// functions are its code and the libraries may stay loaded by the program.

}  // namespace vx
