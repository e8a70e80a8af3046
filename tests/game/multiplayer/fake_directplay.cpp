// The recording DirectPlay stand-ins and the network test fixture.
#include "fake_directplay.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "multiplayer/net_protocol.h"

namespace {
thread_local bool countingAllocations = false;
thread_local size_t allocationCount = 0;
}  // namespace

// Replaced for the whole test binary; counts only while a test asks for it on its thread.
void* operator new(size_t size) {
  if (countingAllocations) ++allocationCount;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (countingAllocations) ++allocationCount;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace fakes {

void StartCountingAllocations() {
  allocationCount = 0;
  countingAllocations = true;
}

size_t StopCountingAllocations() {
  countingAllocations = false;
  return allocationCount;
}

namespace {

SentMessage Record(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeout, DPNHANDLE* handle,
                   DWORD flags) {
  SentMessage message;
  for (DWORD i = 0; i < count; ++i) {
    message.bytes.insert(message.bytes.end(), buffers[i].pBufferData,
                         buffers[i].pBufferData + buffers[i].dwBufferSize);
  }
  message.flags = flags;
  message.timeoutMs = timeout;
  message.asyncHandleGiven = handle != nullptr;
  return message;
}

}  // namespace

bool LockIsFree(aruMutex& lock) {
  bool free = false;
  std::thread probe([&] {
    free = lock.Lock(0) == WAIT_OBJECT_0;
    if (free) lock.Unlock();
  });
  probe.join();
  return free;
}

void DescriptionSeen::Copy(const DPN_APPLICATION_DESC* given) {
  desc = *given;
  session = given->pwszSessionName != nullptr ? given->pwszSessionName : L"";
  passwordGiven = given->pwszPassword != nullptr;
  password = passwordGiven ? given->pwszPassword : L"";
  desc.pwszSessionName = nullptr;  // the buffers were the caller's locals
  desc.pwszPassword = nullptr;
}

HRESULT FakeServer::Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
                         const DPN_SECURITY_DESC* security, const DPN_SECURITY_CREDENTIALS* credentials,
                         void* context, DWORD flags) {
  hosted.Copy(desc);
  hostedDevice = devices != nullptr ? devices[0] : nullptr;
  hostedDeviceCount = deviceCount;
  hostExtrasNull = security == nullptr && credentials == nullptr && context == nullptr;
  hostFlags = flags;
  return S_OK;
}

HRESULT FakeServer::SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeout, void*,
                           DPNHANDLE* handle, DWORD flags) {
  ++sendCount;
  if (!recordSends) return DPNSUCCESS_PENDING;
  SentMessage message = Record(buffers, count, timeout, handle, flags);
  message.target = target;
  if (watchedLock != nullptr) message.lockHeldElsewhere = !LockIsFree(*watchedLock);
  sent.push_back(message);
  return DPNSUCCESS_PENDING;
}

HRESULT FakeServer::DestroyClient(DPNID client, const void* data, DWORD size, DWORD flags) {
  destroyed = client;
  destroyExtrasEmpty = data == nullptr && size == 0 && flags == 0;
  return S_OK;
}

HRESULT FakeServer::GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD) {
  infoPlayer = player;
  // A failing call that scribbles on the structure must still leave it zero for the caller.
  std::memset(info, 0x5A, sizeof *info);
  if (FAILED(infoResult)) return infoResult;
  info->dwRoundTripLatencyMS = roundTrip;
  return infoResult;
}

HRESULT FakeClient::Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host,
                            IDirectPlay8Address* device, const DPN_SECURITY_DESC* security,
                            const DPN_SECURITY_CREDENTIALS* credentials, const void* userData,
                            DWORD userDataSize, void* asyncContext, DPNHANDLE* handle, DWORD flags) {
  connected.Copy(desc);
  connectHost = host;
  connectDevice = device;
  connectHandle = handle;
  connectExtrasNull = security == nullptr && credentials == nullptr && userData == nullptr &&
                      userDataSize == 0 && asyncContext == nullptr;
  connectFlags = flags;
  if (handle != nullptr) *handle = 77;
  return DPNSUCCESS_PENDING;
}

HRESULT FakeClient::Send(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeout, void*, DPNHANDLE* handle,
                         DWORD flags) {
  sent.push_back(Record(buffers, count, timeout, handle, flags));
  return DPNSUCCESS_PENDING;
}

HRESULT FakeClient::GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD) {
  std::memset(info, 0x5A, sizeof *info);
  if (FAILED(infoResult)) return infoResult;
  info->dwRoundTripLatencyMS = roundTrip;
  return infoResult;
}

}  // namespace fakes

void NetGameTest::SetUp() {
  savedDebugMode = debugMode;
  debugMode = 0;
  game = std::make_unique<RallixGame>();
  g_engine = game.get();
  game->output.context = this;
  game->output.play = [](void* context, MatchSound sound, const aruVector3&, const aruVector3*) {
    static_cast<NetGameTest*>(context)->played.push_back(sound);
  };
}

void NetGameTest::TearDown() {
  game.reset();
  g_engine = nullptr;
  debugMode = savedDebugMode;
}

void NetGameTest::BecomeHost() {
  game->server = std::make_unique<aruDPServer>();
  game->server->dp = &fakeServer;
  game->server->deviceAddress = &fakeDevice;
}

void NetGameTest::BecomeClient() {
  game->client = std::make_unique<aruDPClient>();
  game->client->dp = &fakeClient;
  game->client->deviceAddress = &fakeDevice;
  game->client->hostAddress = &fakeHost;
}

namespace {

// An exact-size copy, so the sanitizer catches a receiver reading past what it was given.
void Deliver(void (*receive)(const DPNMSG_RECEIVE*), const std::vector<BYTE>& bytes) {
  std::vector<BYTE> copy = bytes;
  DPNMSG_RECEIVE message{};
  message.dwSize = sizeof message;
  message.pReceiveData = copy.empty() ? nullptr : copy.data();
  message.dwReceiveDataSize = DWORD(copy.size());
  receive(&message);
}

}  // namespace

void NetGameTest::ServerGets(const std::vector<BYTE>& bytes) { Deliver(ServerReceive, bytes); }

void NetGameTest::ClientGets(const std::vector<BYTE>& bytes) { Deliver(ClientReceive, bytes); }

const aruConsole::Line* NetGameTest::LastLine() const {
  return game->GetLines().empty() ? nullptr : &game->GetLines().back();
}
