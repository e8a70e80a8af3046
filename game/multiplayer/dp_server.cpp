// The host's DirectPlay wrapper.
#include "dp_server.h"

#include "dp_session.h"

aruDPServer::~aruDPServer() { Release(); }

HRESULT aruDPServer::Initialize(PFNDPNMESSAGEHANDLER handler, DWORD) {
  ReleaseInterface(deviceAddress);
  ReleaseInterface(dp);
  if (SUCCEEDED(CreateObjects(handler))) return S_OK;
  ReleaseInterface(deviceAddress);
  ReleaseInterface(dp);
  return E_FAIL;
}

HRESULT aruDPServer::CreateObjects(PFNDPNMESSAGEHANDLER handler) {
  if (FAILED(CreateInterface(CLSID_DirectPlay8Server, IID_IDirectPlay8Server, dp))) return E_FAIL;
  if (FAILED(dp->Initialize(nullptr, handler, 0))) return E_FAIL;
  if (FAILED(CreateInterface(CLSID_DirectPlay8Address, IID_IDirectPlay8Address, deviceAddress))) {
    return E_FAIL;
  }
  return deviceAddress->SetSP(&CLSID_DP8SP_TCPIP);
}

HRESULT aruDPServer::Host(GUID application, const char* session, DWORD port, DWORD maxPlayers,
                          const char* password) {
  if (dp == nullptr) return E_FAIL;
  WCHAR wideSession[wideTextSize];
  WCHAR widePassword[wideTextSize];
  ToWide(session, wideSession);
  const bool withPassword = HasPassword(password);
  if (withPassword) ToWide(password, widePassword);
  DPN_APPLICATION_DESC desc = MakeApplicationDesc(DPNSESSION_CLIENT_SERVER, application, maxPlayers,
                                                  wideSession, withPassword ? widePassword : nullptr);
  deviceAddress->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
  return dp->Host(&desc, &deviceAddress, 1, nullptr, nullptr, nullptr, 0);
}

HRESULT aruDPServer::Send(const void* data, DWORD size, DWORD flags, DWORD timeoutMs) {
  if (dp == nullptr) return E_FAIL;
  SendBuffer buffer(data, size, flags);
  return dp->SendTo(DPNID_ALL_PLAYERS_GROUP, &buffer.desc, 1, timeoutMs, nullptr, buffer.handlePointer,
                    flags);
}

void aruDPServer::Close() {
  if (dp != nullptr) dp->Close(0);
}

HRESULT aruDPServer::DestroyClient(DPNID player) {
  if (dp == nullptr) return E_FAIL;
  return dp->DestroyClient(player, nullptr, 0, 0);
}

HRESULT aruDPServer::GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info) {
  PrepareConnectionInfo(*info);
  if (dp == nullptr) return E_FAIL;
  return FinishConnectionInfo(dp->GetConnectionInfo(player, info, 0), *info);
}

void aruDPServer::Release() {
  Close();
  ReleaseInterface(deviceAddress);
  ReleaseInterface(dp);
}
