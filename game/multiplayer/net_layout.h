// Packing and unpacking the messages' fields at fixed byte offsets, in the machine's
// little-endian order without padding, and reading a text that may lack its terminator.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rallix_game.h"

// The one game object, which the handlers and senders act on.
inline RallixGame& NetGame() { return *static_cast<RallixGame*>(g_engine); }

template <typename Field>
void PutField(BYTE* message, size_t offset, Field value) {
  std::memcpy(message + offset, &value, sizeof value);
}

template <typename Field>
Field GetField(const BYTE* message, size_t offset) {
  Field value;
  std::memcpy(&value, message + offset, sizeof value);
  return value;
}

// One received buffer; `size` is 0 when there is no data at all.
struct ReceivedBuffer {
  const BYTE* data = nullptr;
  DWORD size = 0;

  uint8_t Type() const { return size > 0 ? data[0] : 0; }
  // The text that starts at `offset`: up to its terminator, or to the end of the buffer.
  size_t TextLength(size_t offset) const {
    if (offset >= size) return 0;
    return strnlen(reinterpret_cast<const char*>(data + offset), size - offset);
  }
  const char* Text(size_t offset) const {
    return offset < size ? reinterpret_cast<const char*>(data + offset) : "";
  }
};
