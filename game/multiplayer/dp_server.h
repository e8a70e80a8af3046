// aruDPServer: the host side's thin wrapper over a DirectPlay 8 server object and its device
// address. Every operation on a wrapper whose `dp` is null fails (or does nothing) without
// calling DirectPlay, so the scenes may call it before, or after a failed, initialisation.
#pragma once

#include <windows.h>
#include <dplay8.h>

class aruDPServer {
 public:
  aruDPServer() = default;
  ~aruDPServer();
  aruDPServer(const aruDPServer&) = delete;
  aruDPServer& operator=(const aruDPServer&) = delete;

  // Creates the server with `handler` and a TCP/IP device address; the second argument is
  // not used. S_OK, or E_FAIL with nothing held.
  HRESULT Initialize(PFNDPNMESSAGEHANDLER handler, DWORD unused);
  // Hosts a client/server session on `port`; the password only when it is non-empty.
  HRESULT Host(GUID application, const char* session, DWORD port, DWORD maxPlayers, const char* password);
  // To the connected client (all players of the session).
  HRESULT Send(const void* data, DWORD size, DWORD flags, DWORD timeoutMs);
  void Close();
  HRESULT DestroyClient(DPNID player);
  // Zero-fills `info` and sets its size first; it stays zero when the call fails.
  HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info);
  // Closes, then drops the device address and the server.
  void Release();

  IDirectPlay8Server* dp = nullptr;
  IDirectPlay8Address* deviceAddress = nullptr;

 private:
  HRESULT CreateObjects(PFNDPNMESSAGEHANDLER handler);
};
