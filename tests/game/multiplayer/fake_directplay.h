// Recording stand-ins for the DirectPlay server, client and address objects, plus a fixture
// that makes a fresh, never-started game object the process's engine. The wrappers' fields are
// public, so a test puts the fakes straight into them and reads back exactly what was passed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <dplay8.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "multiplayer/dp_client.h"
#include "multiplayer/dp_server.h"
#include "rallix_game.h"

namespace fakes {

struct SentMessage {
  std::vector<BYTE> bytes;
  DWORD flags = 0;
  DWORD timeoutMs = 0;
  DPNID target = 0xDEADBEEF;
  bool asyncHandleGiven = false;
  bool lockHeldElsewhere = false;  // netLock could not be taken from another thread meanwhile
};

// Counts references so a test can see that a wrapper released what it created.
template <typename Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  ULONG references = 1;
};

class FakeAddress : public Counted<IDirectPlay8Address> {
 public:
  HRESULT Duplicate(PDIRECTPLAY8ADDRESS*) override { return E_NOTIMPL; }
  HRESULT Clear() override { return S_OK; }
  HRESULT GetSP(GUID*) override { return E_NOTIMPL; }
  HRESULT SetSP(const GUID* provider) override {
    serviceProvider = *provider;
    return S_OK;
  }
  HRESULT GetNumComponents(PDWORD) override { return E_NOTIMPL; }
  HRESULT GetComponentByName(const WCHAR*, LPVOID, PDWORD, PDWORD) override { return E_NOTIMPL; }
  HRESULT AddComponent(const WCHAR* name, const void* data, DWORD size, DWORD type) override {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    Component& component = components[std::wstring(name)];
    component.bytes.assign(bytes, bytes + size);
    component.type = type;
    return S_OK;
  }
  struct Component {
    std::vector<BYTE> bytes;
    DWORD type = 0;
  };
  std::map<std::wstring, Component> components;
  GUID serviceProvider{};
};

// What a Host or Connect call was given, with the texts copied out of the description.
struct DescriptionSeen {
  DPN_APPLICATION_DESC desc{};
  std::wstring session;
  std::wstring password;
  bool passwordGiven = false;
  void Copy(const DPN_APPLICATION_DESC* given);
};

class FakeServer : public Counted<IDirectPlay8Server> {
 public:
  HRESULT Initialize(PVOID, PFNDPNMESSAGEHANDLER, DWORD) override { return S_OK; }
  HRESULT Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
               const DPN_SECURITY_DESC* security, const DPN_SECURITY_CREDENTIALS* credentials, void* context,
               DWORD flags) override;
  HRESULT SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeout, void* context,
                 DPNHANDLE* handle, DWORD flags) override;
  HRESULT DestroyClient(DPNID client, const void* data, DWORD size, DWORD flags) override;
  HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD flags) override;
  HRESULT CancelAsyncOperation(DPNHANDLE, DWORD) override { return E_NOTIMPL; }
  HRESULT ReturnBuffer(DPNHANDLE, DWORD) override { return E_NOTIMPL; }
  HRESULT Close(DWORD flags) override {
    closeFlags.push_back(flags);
    return S_OK;
  }

  DescriptionSeen hosted;
  IDirectPlay8Address* hostedDevice = nullptr;
  DWORD hostedDeviceCount = 0;
  bool hostExtrasNull = false;  // security, credentials and player context all null
  DWORD hostFlags = 0xFFFF;
  std::vector<SentMessage> sent;
  std::vector<DWORD> closeFlags;
  DPNID destroyed = 0;
  bool destroyExtrasEmpty = false;
  DPNID infoPlayer = 0;
  DWORD roundTrip = 0;
  HRESULT infoResult = S_OK;
  aruMutex* watchedLock = nullptr;  // when set, each send records whether the lock is held
  bool recordSends = true;          // false: only count them, allocating nothing
  int sendCount = 0;
};

class FakeClient : public Counted<IDirectPlay8Client> {
 public:
  HRESULT Initialize(PVOID, PFNDPNMESSAGEHANDLER, DWORD) override { return S_OK; }
  HRESULT Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host, IDirectPlay8Address* device,
                  const DPN_SECURITY_DESC* security, const DPN_SECURITY_CREDENTIALS* credentials,
                  const void* userData, DWORD userDataSize, void* asyncContext, DPNHANDLE* handle,
                  DWORD flags) override;
  HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeout, void* context, DPNHANDLE* handle,
               DWORD flags) override;
  HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD flags) override;
  HRESULT CancelAsyncOperation(DPNHANDLE, DWORD) override { return E_NOTIMPL; }
  HRESULT ReturnBuffer(DPNHANDLE, DWORD) override { return E_NOTIMPL; }
  HRESULT Close(DWORD flags) override {
    closeFlags.push_back(flags);
    return S_OK;
  }

  DescriptionSeen connected;
  IDirectPlay8Address* connectHost = nullptr;
  IDirectPlay8Address* connectDevice = nullptr;
  DPNHANDLE* connectHandle = nullptr;
  bool connectExtrasNull = false;  // security, credentials, user data and async context
  DWORD connectFlags = 0xFFFF;
  std::vector<SentMessage> sent;
  std::vector<DWORD> closeFlags;
  HRESULT infoResult = S_OK;
  DWORD roundTrip = 0;
};

// Counts operator new calls made on the counting thread while counting is on.
void StartCountingAllocations();
size_t StopCountingAllocations();

// Whether another thread can take the lock at once (false while this thread or any other holds it).
bool LockIsFree(aruMutex& lock);

}  // namespace fakes

// A never-started game object as g_engine, with fake wrappers ready to install.
class NetGameTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Gives the game a host wrapper whose dp is fakeServer (or a client wrapper with fakeClient).
  void BecomeHost();
  void BecomeClient();
  // Delivers a buffer to the host's or the client's receiver.
  void ServerGets(const std::vector<BYTE>& bytes);
  void ClientGets(const std::vector<BYTE>& bytes);

  const aruConsole::Line* LastLine() const;
  size_t LineCount() const { return game->GetLines().size(); }
  static std::vector<BYTE> Bytes(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
  }

  std::unique_ptr<RallixGame> game;
  fakes::FakeServer fakeServer;
  fakes::FakeClient fakeClient;
  fakes::FakeAddress fakeDevice;
  fakes::FakeAddress fakeHost;
  std::vector<MatchSound> played;
  int16_t savedDebugMode = 0;
};
