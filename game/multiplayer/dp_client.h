// aruDPClient: the joining side's thin wrapper over a DirectPlay 8 client object, its device
// address and the address of the host it joins. The connect is asynchronous: its outcome
// reaches the client's message handler. A wrapper whose `dp` is null calls no DirectPlay method.
#pragma once

#include <windows.h>
#include <dplay8.h>

class aruDPClient {
 public:
  aruDPClient() = default;
  ~aruDPClient();
  aruDPClient(const aruDPClient&) = delete;
  aruDPClient& operator=(const aruDPClient&) = delete;

  // Creates the client with `handler` and two TCP/IP addresses. S_OK, or E_FAIL with nothing
  // held and the failing step written to the debugger output.
  HRESULT Initialize(PFNDPNMESSAGEHANDLER handler);
  // Starts joining `hostName` on `port`: DPNSUCCESS_PENDING when the connect is under way.
  HRESULT Connect(GUID application, const char* session, const char* hostName, DWORD port,
                  const char* password);
  // To the host.
  HRESULT Send(const void* data, DWORD size, DWORD flags, DWORD timeoutMs);
  // S_OK when there is nothing to close.
  HRESULT Close();
  // Zero-fills `info` and sets its size first; it stays zero when the call fails.
  HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info);
  // Closes, then drops the host address, the device address and the client.
  void Release();

  IDirectPlay8Client* dp = nullptr;
  IDirectPlay8Address* deviceAddress = nullptr;
  IDirectPlay8Address* hostAddress = nullptr;
  DPNHANDLE connectHandle = 0;

 private:
  // The failing step's text, or null when every step succeeded.
  const char* CreateObjects(PFNDPNMESSAGEHANDLER handler);
  void ReleaseObjects();
};
