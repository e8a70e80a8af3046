// What the host and the joining side's wrappers share: the game's application identity, the
// narrow-to-wide text conversion, the application description both fill, and releasing a COM
// interface held in a field.
#pragma once

#include <windows.h>
#include <dplay8.h>

#include <cstddef>

// {D1D1748C-9F74-42B7-A57F-16F550326FD8}
extern const GUID applicationGuid;
constexpr const char* sessionName = "Rallix";
constexpr DWORD hostedMaxPlayers = 2;

// Session names, passwords and host names are converted into buffers of this many wide
// characters, one of which is always the terminator.
constexpr size_t wideTextSize = 512;

// `text` in the ANSI code page, with its terminator; a text that does not fit is cut (the last
// character of the zero-filled buffer stays the terminator).
void ToWide(const char* text, WCHAR (&wide)[wideTextSize]);

// A password counts as given only when it has at least one character.
inline bool HasPassword(const char* password) { return password != nullptr && password[0] != '\0'; }

// The zero-filled description with the fields both sides set; `widePassword` is null for none.
DPN_APPLICATION_DESC MakeApplicationDesc(DWORD flags, const GUID& application, DWORD maxPlayers,
                                         WCHAR* wideSession, WCHAR* widePassword);

// Drops the field's reference, if any, and nulls the field.
template <typename Interface>
void ReleaseInterface(Interface*& field) {
  if (field == nullptr) return;
  field->Release();
  field = nullptr;
}

// CoCreateInstance of an in-process object into a typed field.
template <typename Interface>
HRESULT CreateInterface(REFCLSID classId, REFIID interfaceId, Interface*& field) {
  return CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId,
                          reinterpret_cast<void**>(&field));
}

// The same send on either side: one buffer, no async context, and an async handle to drop
// unless the send is synchronous.
struct SendBuffer {
  SendBuffer(const void* data, DWORD size, DWORD flags);
  SendBuffer(const SendBuffer&) = delete;
  SendBuffer& operator=(const SendBuffer&) = delete;
  DPN_BUFFER_DESC desc;
  DPNHANDLE handle = 0;
  DPNHANDLE* handlePointer;
};

// Zero-fills `info` and sets its size; on a failed call it is zero again.
void PrepareConnectionInfo(DPN_CONNECTION_INFO& info);
HRESULT FinishConnectionInfo(HRESULT result, DPN_CONNECTION_INFO& info);
