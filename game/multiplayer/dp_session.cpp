// The wrappers' shared helpers.
#include "dp_session.h"

#include <cstring>

const GUID applicationGuid = {0xD1D1748C, 0x9F74, 0x42B7, {0xA5, 0x7F, 0x16, 0xF5, 0x50, 0x32, 0x6F, 0xD8}};

void ToWide(const char* text, WCHAR (&wide)[wideTextSize]) {
  std::memset(wide, 0, sizeof wide);
  if (text == nullptr) return;
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(wideTextSize - 1));
}

DPN_APPLICATION_DESC MakeApplicationDesc(DWORD flags, const GUID& application, DWORD maxPlayers,
                                         WCHAR* wideSession, WCHAR* widePassword) {
  DPN_APPLICATION_DESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = flags;
  if (widePassword != nullptr) desc.dwFlags |= DPNSESSION_REQUIREPASSWORD;
  desc.guidApplication = application;
  desc.dwMaxPlayers = maxPlayers;
  desc.pwszSessionName = wideSession;
  desc.pwszPassword = widePassword;
  return desc;
}

SendBuffer::SendBuffer(const void* data, DWORD size, DWORD flags)
    : handlePointer((flags & DPNSEND_SYNC) != 0 ? nullptr : &handle) {
  desc.dwBufferSize = size;
  desc.pBufferData = static_cast<BYTE*>(const_cast<void*>(data));
}

void PrepareConnectionInfo(DPN_CONNECTION_INFO& info) {
  std::memset(&info, 0, sizeof info);
  info.dwSize = sizeof info;
}

HRESULT FinishConnectionInfo(HRESULT result, DPN_CONNECTION_INFO& info) {
  if (FAILED(result)) PrepareConnectionInfo(info);
  return result;
}
