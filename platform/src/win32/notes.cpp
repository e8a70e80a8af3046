// The debug channel of notes.h and the sink the engine installs through aru_platform.h.
#include "win32/notes.h"

#include <aru_platform.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

std::atomic<NoteSink> g_sink{nullptr};

bool DebugRequested() {
  const char* value = std::getenv("ARU_DEBUG");
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

void SetNoteSink(NoteSink sink) { g_sink.store(sink); }

void Note(const std::string& text) {
  if (NoteSink sink = g_sink.load()) {
    sink(text.c_str());
    return;
  }
  if (DebugRequested()) std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace platform
