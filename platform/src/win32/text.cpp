// MultiByteToWideChar: multibyte text is UTF-8 here whatever the code page, and wide characters
// are the platform's 32-bit wchar_t. Follows Windows on lengths, a too small buffer and invalid
// bytes (replaced by U+FFFD unless MB_ERR_INVALID_CHARS asks for failure).
#include <windows.h>

#include <cstring>

#include "win32/win32_internal.h"

#define ERROR_NO_UNICODE_TRANSLATION 1113L

namespace {

// Decodes one UTF-8 sequence at text[0..left); returns its length, or 0 when it is invalid.
int DecodeUtf8(const unsigned char* text, int left, uint32_t& code) {
  const unsigned char lead = text[0];
  int length;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    code = lead & 0x1F;
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    code = lead & 0x0F;
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    code = lead & 0x07;
    length = 4;
  } else {
    return 0;
  }
  if (length > left) return 0;
  for (int i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (text[i] & 0x3F);
  }
  static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

int MultiByteToWideChar(UINT, DWORD flags, LPCSTR text, int textLength, LPWSTR wideText, int wideLength) {
  if (!text || textLength == 0 || textLength < -1 || wideLength < 0 || (wideLength > 0 && !wideText)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int length = textLength == -1 ? static_cast<int>(std::strlen(text)) + 1 : textLength;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  int written = 0;
  for (int at = 0; at < length;) {
    uint32_t code;
    int used = DecodeUtf8(bytes + at, length - at, code);
    if (used == 0) {
      if (flags & MB_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      code = 0xFFFD;
      used = 1;
    }
    at += used;
    if (wideLength > 0) {
      if (written == wideLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      wideText[written] = static_cast<WCHAR>(code);
    }
    ++written;
  }
  return written;
}
