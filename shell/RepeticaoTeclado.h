// Held keys on an X display, as the keyboard play-along needs them.
#pragma once

// Asks the X server to repeat a held key as key-downs alone, without the key-up before each
// one. By default X repeats a key as key-up and key-down pairs, which Qt can tell from a real
// release only when both are already read from the server; now and then the pair is read
// apart, and a held key would strike twice. Does nothing on other platforms
// or when the server's keyboard extension refuses; answers whether the server agreed.
bool pedirRepeticaoSemSoltura();
