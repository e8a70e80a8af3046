// The recording handler and the set-up helpers of the transport tests.
#include "platform/dplay8/transport_fixture.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace dplay8_test {

HRESULT WINAPI Recorder::Handler(PVOID context, DWORD id, PVOID message) {
  auto* self = static_cast<Recorder*>(context);
  Record record;
  record.id = id;
  switch (id) {
    case DPN_MSGID_CREATE_PLAYER: record.player = static_cast<DPNMSG_CREATE_PLAYER*>(message)->dpnidPlayer; break;
    case DPN_MSGID_DESTROY_PLAYER: {
      auto* destroy = static_cast<DPNMSG_DESTROY_PLAYER*>(message);
      record.player = destroy->dpnidPlayer;
      record.reason = destroy->dwReason;
      break;
    }
    case DPN_MSGID_CONNECT_COMPLETE: {
      auto* complete = static_cast<DPNMSG_CONNECT_COMPLETE*>(message);
      record.result = complete->hResultCode;
      record.player = complete->dpnidLocal;
      break;
    }
    case DPN_MSGID_TERMINATE_SESSION:
      record.result = static_cast<DPNMSG_TERMINATE_SESSION*>(message)->hResultCode;
      break;
    case DPN_MSGID_RECEIVE: {
      auto* receive = static_cast<DPNMSG_RECEIVE*>(message);
      record.player = receive->dpnidSender;
      record.data.assign(reinterpret_cast<const char*>(receive->pReceiveData), receive->dwReceiveDataSize);
      record.guaranteed = (receive->dwReceiveFlags & DPNRECEIVE_GUARANTEED) != 0;
      break;
    }
    default: break;
  }
  std::function<HRESULT(DWORD, void*)> reaction;
  {
    std::lock_guard guard(self->mutex);
    reaction = self->reaction;
  }
  const HRESULT answer = reaction ? reaction(id, message) : DPN_OK;
  {
    std::lock_guard guard(self->mutex);
    self->records.push_back(record);
  }
  self->changed.notify_all();
  return answer;
}

void Recorder::React(std::function<HRESULT(DWORD id, void* message)> newReaction) {
  std::lock_guard guard(mutex);
  reaction = std::move(newReaction);
}

bool Recorder::WaitFor(DWORD id, size_t count, std::chrono::milliseconds limit) {
  std::unique_lock guard(mutex);
  return changed.wait_for(guard, limit, [&] {
    size_t seen = 0;
    for (const Record& record : records) seen += record.id == id;
    return seen >= count;
  });
}

std::vector<Record> Recorder::Records() {
  std::lock_guard guard(mutex);
  return records;
}

size_t Recorder::Count(DWORD id) {
  std::lock_guard guard(mutex);
  size_t seen = 0;
  for (const Record& record : records) seen += record.id == id;
  return seen;
}

std::vector<DWORD> Recorder::Ids() {
  std::vector<DWORD> ids;
  for (const Record& record : Records()) ids.push_back(record.id);
  return ids;
}

// Asks the system for a free port and does not hand the same one out twice in a process.
WORD FreePort() {
  static std::vector<WORD> given;
  for (;;) {
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t size = sizeof(address);
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    close(probe);
    if (!bound) continue;
    const WORD port = ntohs(address.sin_port);
    if (std::find(given.begin(), given.end(), port) != given.end()) continue;
    given.push_back(port);
    return port;
  }
}

IDirectPlay8Address* MakeAddress(DWORD port, const char* hostName) {
  IDirectPlay8Address* address = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                             reinterpret_cast<void**>(&address)), S_OK);
  if (!address) return nullptr;
  EXPECT_EQ(address->SetSP(&CLSID_DP8SP_TCPIP), DPN_OK);
  EXPECT_EQ(address->AddComponent(DPNA_KEY_PORT, &port, sizeof(port), DPNA_DATATYPE_DWORD), DPN_OK);
  if (hostName) {
    WCHAR wide[512];
    const int length = MultiByteToWideChar(CP_ACP, 0, hostName, -1, wide, 511);
    EXPECT_GT(length, 0);
    EXPECT_EQ(address->AddComponent(DPNA_KEY_HOSTNAME, wide, static_cast<DWORD>(length * sizeof(WCHAR)),
                                    DPNA_DATATYPE_STRING), DPN_OK);
  }
  return address;
}

IDirectPlay8Server* StartServer(Recorder& recorder, WORD port, const wchar_t* password, DWORD maxPlayers) {
  IDirectPlay8Server* server = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                             reinterpret_cast<void**>(&server)), S_OK);
  if (!server) return nullptr;
  EXPECT_EQ(server->Initialize(&recorder, Recorder::Handler, 0), DPN_OK);
  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DPNSESSION_CLIENT_SERVER | (password ? DPNSESSION_REQUIREPASSWORD : 0);
  desc.guidApplication = kApplication;
  desc.dwMaxPlayers = maxPlayers;
  desc.pwszSessionName = const_cast<WCHAR*>(L"Rallix");
  desc.pwszPassword = const_cast<WCHAR*>(password);
  IDirectPlay8Address* device = MakeAddress(port);
  const HRESULT hosted = server->Host(&desc, &device, 1, nullptr, nullptr, nullptr, 0);
  device->Release();
  EXPECT_EQ(hosted, DPN_OK);
  if (hosted != DPN_OK) {
    server->Release();
    return nullptr;
  }
  return server;
}

IDirectPlay8Client* StartClient(Recorder& recorder, WORD port, HRESULT& result, const wchar_t* password,
                                const GUID& application, const char* hostName) {
  IDirectPlay8Client* client = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectPlay8Client, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Client,
                             reinterpret_cast<void**>(&client)), S_OK);
  if (!client) return nullptr;
  EXPECT_EQ(client->Initialize(&recorder, Recorder::Handler, 0), DPN_OK);
  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = password ? DPNSESSION_REQUIREPASSWORD : 0;
  desc.guidApplication = application;
  desc.pwszSessionName = const_cast<WCHAR*>(L"Rallix");
  desc.pwszPassword = const_cast<WCHAR*>(password);
  IDirectPlay8Address* host = MakeAddress(port, hostName);
  IDirectPlay8Address* device = MakeAddress(0);
  DPNHANDLE handle = 0;
  result = client->Connect(&desc, host, device, nullptr, nullptr, nullptr, 0, nullptr, &handle, 0);
  host->Release();
  device->Release();
  return client;
}

HRESULT SendText(IDirectPlay8Server* server, DPNID target, const std::string& text, DWORD flags) {
  DPN_BUFFER_DESC buffer{static_cast<DWORD>(text.size()), reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
  DPNHANDLE handle;
  return server->SendTo(target, &buffer, 1, 0, nullptr, (flags & DPNSEND_SYNC) ? nullptr : &handle, flags);
}

HRESULT SendText(IDirectPlay8Client* client, const std::string& text, DWORD flags) {
  DPN_BUFFER_DESC buffer{static_cast<DWORD>(text.size()), reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
  DPNHANDLE handle;
  return client->Send(&buffer, 1, 0, nullptr, (flags & DPNSEND_SYNC) ? nullptr : &handle, flags);
}

}  // namespace dplay8_test
