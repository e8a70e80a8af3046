// The platform layer's debug channel: notes on what it cannot do exactly (an unsupported
// Direct3D state, a sound device that refused a setting). A player never needs them, so they go
// to the engine's log when it listens, and to standard error only when ARU_DEBUG is set.
#pragma once

#include <string>

namespace platform {

// Hands one note to the sink set by SetNoteSink, or writes it to standard error when no sink is
// set and ARU_DEBUG is set and not "0". Callers decide how often a note is worth giving.
void Note(const std::string& text);

}  // namespace platform
