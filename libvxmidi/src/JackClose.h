// Ends a JACK client within a deadline. jack2 can hang inside jack_client_close while the
// server's graph changes; a program must still close a device, and quit, at once.
#pragma once

#include <jack/jack.h>

#include <chrono>

namespace vx {

// How long a close is waited for.
inline constexpr std::chrono::milliseconds jackCloseDeadline{800};

// Closes client on a thread of its own and waits for it up to jackCloseDeadline. Answers
// false when the close had not returned by then: it goes on in the background, the server is
// taken for hung, later closes no longer wait at all, and the library is never unloaded.
// Null is closed at once.
bool closeJackClient(jack_client_t *client);

// Keeps what the threads of a client whose close hung may still reach, for the rest of the
// process: it is never freed, and stays reachable (no leak to the leak checker).
void abandonar(void *estado);

}  // namespace vx
