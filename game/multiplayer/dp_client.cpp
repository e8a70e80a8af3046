// The joining side's DirectPlay wrapper.
#include "dp_client.h"

#include <cwchar>

#include "dp_session.h"

aruDPClient::~aruDPClient() { Release(); }

HRESULT aruDPClient::Initialize(PFNDPNMESSAGEHANDLER handler) {
  ReleaseObjects();
  const char* failure = CreateObjects(handler);
  if (failure == nullptr) return S_OK;
  OutputDebugStringA(failure);
  OutputDebugStringA("\n");
  ReleaseObjects();
  return E_FAIL;
}

const char* aruDPClient::CreateObjects(PFNDPNMESSAGEHANDLER handler) {
  if (FAILED(CreateInterface(CLSID_DirectPlay8Client, IID_IDirectPlay8Client, dp))) {
    return "Failed to create COM instance of IDirectPlay8Client.";
  }
  if (FAILED(dp->Initialize(nullptr, handler, 0))) return "Failed to initialize DirectPlay Client.";
  if (FAILED(CreateInterface(CLSID_DirectPlay8Address, IID_IDirectPlay8Address, deviceAddress))) {
    return "Failed to create DirectPlay Device.";
  }
  if (FAILED(CreateInterface(CLSID_DirectPlay8Address, IID_IDirectPlay8Address, hostAddress))) {
    return "Failed to create DirectPlay Host Address.";
  }
  if (FAILED(deviceAddress->SetSP(&CLSID_DP8SP_TCPIP))) return "Failed to set service provider for device.";
  if (FAILED(hostAddress->SetSP(&CLSID_DP8SP_TCPIP))) {
    return "Failed to set service provider for host address.";
  }
  return nullptr;
}

HRESULT aruDPClient::Connect(GUID application, const char* session, const char* hostName, DWORD port,
                             const char* password) {
  if (dp == nullptr) return E_FAIL;
  WCHAR wideSession[wideTextSize];
  WCHAR widePassword[wideTextSize];
  WCHAR wideHost[wideTextSize];
  ToWide(session, wideSession);
  ToWide(hostName, wideHost);
  const bool withPassword = HasPassword(password);
  if (withPassword) ToWide(password, widePassword);
  DPN_APPLICATION_DESC desc =
      MakeApplicationDesc(0, application, 0, wideSession, withPassword ? widePassword : nullptr);
  hostAddress->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
  const DWORD hostBytes = static_cast<DWORD>((std::wcslen(wideHost) + 1) * sizeof(WCHAR));
  hostAddress->AddComponent(DPNA_KEY_HOSTNAME, wideHost, hostBytes, DPNA_DATATYPE_STRING);
  return dp->Connect(&desc, hostAddress, deviceAddress, nullptr, nullptr, nullptr, 0, nullptr, &connectHandle,
                     0);
}

HRESULT aruDPClient::Send(const void* data, DWORD size, DWORD flags, DWORD timeoutMs) {
  if (dp == nullptr) return E_FAIL;
  SendBuffer buffer(data, size, flags);
  return dp->Send(&buffer.desc, 1, timeoutMs, nullptr, buffer.handlePointer, flags);
}

HRESULT aruDPClient::Close() {
  if (dp == nullptr) return S_OK;
  return dp->Close(0);
}

HRESULT aruDPClient::GetConnectionInfo(DPN_CONNECTION_INFO* info) {
  PrepareConnectionInfo(*info);
  if (dp == nullptr) return E_FAIL;
  return FinishConnectionInfo(dp->GetConnectionInfo(info, 0), *info);
}

void aruDPClient::Release() {
  Close();
  ReleaseObjects();
}

void aruDPClient::ReleaseObjects() {
  ReleaseInterface(hostAddress);
  ReleaseInterface(deviceAddress);
  ReleaseInterface(dp);
}
