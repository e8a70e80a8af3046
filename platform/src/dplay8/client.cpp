// The DirectPlay 8 client on ENet: Connect resolves the host's name and connects on the transport
// thread, says which application and password it brings in its first packet, and reports the
// outcome as DPN_MSGID_CONNECT_COMPLETE; a lost or ended session is reported as
// DPN_MSGID_TERMINATE_SESSION.
#include <dplay8.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <string>

#include "dplay8/address.h"
#include "dplay8/session.h"
#include "dplay8/session_object.h"
#include "com/com_object.h"

namespace platform::dplay8 {
namespace {

constexpr DWORD kDefaultPort = 2302;
constexpr enet_uint32 kConnectTimeOutMinMs = 2000, kConnectTimeOutMaxMs = 3000;

struct Target {
  std::string hostName;
  uint16_t port = 0;
  GUID application{};
  std::string password;
  DPNHANDLE handle = 0;
  void* asyncContext = nullptr;
};

class ClientSession final : public Session {
 public:
  enum class State { Resolving, Connecting, AwaitingWelcome, Connected, Ended };

  ClientSession(PFNDPNMESSAGEHANDLER handler, PVOID context, Target target)
      : Session(handler, context), target(std::move(target)) {}

  void QueueResolve() {
    std::lock_guard guard(lock);
    QueueLocked({Event::Kind::Resolve});
  }
  HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut, DWORD flags);
  HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info);
  // Waits for the outcome of the connect (for DPNCONNECT_SYNC).
  HRESULT WaitForOutcome();

 protected:
  void Handle(Event& event) override;
  void TickLocked(Clock::time_point now) override;
  void FinishLocked() override;

 private:
  void Resolve();
  void OnConnect();
  void OnReceive(Event& event);
  void OnDisconnect(const Event& event);
  void Complete(HRESULT result);

  const Target target;
  State state = State::Resolving;  // under the lock
  ENetPeer* server = nullptr;
  enet_uint32 connectId = 0;
  DPNID localPlayer = 0, hostPlayer = 0;
  Clock::time_point deadline{};
  Stats stats;
  std::condition_variable_any outcomeReady;
  HRESULT outcome = DPNSUCCESS_PENDING;
};

void ClientSession::Handle(Event& event) {
  if (event.kind == Event::Kind::Resolve) return Resolve();
  if (event.kind == Event::Kind::ConnectTimedOut) return Complete(DPNERR_NOCONNECTION);
  if (event.kind != Event::Kind::Enet) return;
  if (event.type == ENET_EVENT_TYPE_CONNECT) OnConnect();
  if (event.type == ENET_EVENT_TYPE_RECEIVE) OnReceive(event);
  if (event.type == ENET_EVENT_TYPE_DISCONNECT) OnDisconnect(event);
}

// Runs on the transport thread: a slow name service delays only this connect.
void ClientSession::Resolve() {
  ENetAddress address{};
  address.port = target.port;
  if (target.hostName.empty() || enet_address_set_host(&address, target.hostName.c_str()) != 0) {
    Complete(DPNERR_INVALIDHOSTADDRESS);
    return;
  }
  {
    std::lock_guard guard(lock);
    if (state != State::Resolving) return;
    server = enet_host_connect(host, &address, kChannelCount, kConnectMagic);
    if (server) {
      enet_peer_timeout(server, 0, kConnectTimeOutMinMs, kConnectTimeOutMaxMs);
      deadline = Clock::now() + kConnectTimeOut;
      state = State::Connecting;
      return;
    }
  }
  Complete(DPNERR_NOCONNECTION);
}

void ClientSession::OnConnect() {
  std::lock_guard guard(lock);
  if (state != State::Connecting || !server) return;
  connectId = server->connectID;
  SetSessionTimeOuts(server);
  std::string hello(reinterpret_cast<const char*>(&target.application), sizeof(GUID));
  hello += target.password;
  ENetPacket* packet = MakePacket(PacketKind::Hello, hello.data(), hello.size(), ENET_PACKET_FLAG_RELIABLE);
  if (packet && enet_peer_send(server, kReliableChannel, packet) != 0) enet_packet_destroy(packet);
  enet_host_flush(host);
  state = State::AwaitingWelcome;
}

void ClientSession::OnReceive(Event& event) {
  const Contents contents = Open(*event.packet, event.channel);
  if (!contents.valid) return;
  State now;
  {
    std::lock_guard guard(lock);
    now = state;
    if (now == State::AwaitingWelcome && contents.kind == PacketKind::Welcome && contents.size >= 2 * sizeof(DPNID)) {
      std::memcpy(&localPlayer, contents.payload, sizeof(DPNID));
      std::memcpy(&hostPlayer, contents.payload + sizeof(DPNID), sizeof(DPNID));
    } else if (now == State::Connected && contents.kind == PacketKind::Data) {
      const DWORD size = static_cast<DWORD>(contents.size);
      const bool guaranteed = event.channel == kReliableChannel;
      (guaranteed ? stats.bytesReceivedGuaranteed : stats.bytesReceivedNonGuaranteed) += size;
      ++(guaranteed ? stats.packetsReceivedGuaranteed : stats.packetsReceivedNonGuaranteed);
      ++stats.messagesReceived;
    } else {
      return;
    }
  }
  if (now == State::AwaitingWelcome) {
    Complete(DPN_OK);
  } else {
    DeliverReceive(hostPlayer, nullptr, event);
  }
}

void ClientSession::OnDisconnect(const Event& event) {
  State was;
  {
    std::lock_guard guard(lock);
    was = state;
    if (was == State::Ended) return;
    state = State::Ended;
    server = nullptr;
  }
  if (was != State::Connected) {
    Complete(ConnectFailure(event.data));
    return;
  }
  DPNMSG_TERMINATE_SESSION message{};
  message.dwSize = sizeof(message);
  message.hResultCode = event.data == kReasonTimedOut ? DPNERR_CONNECTIONLOST : DPNERR_HOSTTERMINATEDSESSION;
  Deliver(DPN_MSGID_TERMINATE_SESSION, &message);
}

void ClientSession::Complete(HRESULT result) {
  {
    std::lock_guard guard(lock);
    if (outcome != DPNSUCCESS_PENDING) return;
    outcome = result;
    state = SUCCEEDED(result) ? State::Connected : State::Ended;
  }
  outcomeReady.notify_all();
  DPNMSG_CONNECT_COMPLETE message{};
  message.dwSize = sizeof(message);
  message.hAsyncOp = target.handle;
  message.pvUserContext = target.asyncContext;
  message.hResultCode = result;
  message.dpnidLocal = SUCCEEDED(result) ? localPlayer : 0;
  Deliver(DPN_MSGID_CONNECT_COMPLETE, &message);
}

// A host that accepts ENet's connect but never welcomes us is as good as none.
void ClientSession::TickLocked(Clock::time_point now) {
  if ((state != State::Connecting && state != State::AwaitingWelcome) || now < deadline) return;
  if (server) enet_peer_reset(server);
  server = nullptr;
  state = State::Ended;
  QueueLocked({Event::Kind::ConnectTimedOut});
}

void ClientSession::FinishLocked() {
  if (server && server->state != ENET_PEER_STATE_DISCONNECTED) enet_peer_disconnect(server, kReasonLeaving);
  enet_host_flush(host);
}

HRESULT ClientSession::Send(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut, DWORD flags) {
  if (TotalSize(buffers, count) > kMaxMessageSize) return DPNERR_SENDTOOLARGE;
  ENetPeer* peer;
  enet_uint32 id;
  {
    std::lock_guard guard(lock);
    if (state != State::Connected || closing) return DPNERR_NOCONNECTION;
    peer = server;
    id = connectId;
  }
  return SendMessage(peer, id, buffers, count, flags, timeOut, stats);
}

HRESULT ClientSession::GetConnectionInfo(DPN_CONNECTION_INFO* info) {
  std::lock_guard guard(lock);
  if (state != State::Connected || !server) return DPNERR_NOCONNECTION;
  FillConnectionInfo(*server, stats, info);
  return DPN_OK;
}

HRESULT ClientSession::WaitForOutcome() {
  std::unique_lock guard(lock);
  outcomeReady.wait(guard, [this] { return outcome != DPNSUCCESS_PENDING; });
  return outcome;
}

// ---------------------------------------------------------------------------------------------
// The COM object

class Client final : public SessionObject<IDirectPlay8Client, IID_IDirectPlay8Client, ClientSession> {
 public:
  HRESULT Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* hostAddress, IDirectPlay8Address* device,
                  const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, const void*, DWORD,
                  void* asyncContext, DPNHANDLE* asyncHandle, DWORD flags) override;

  HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut, void*, DPNHANDLE* asyncHandle,
               DWORD flags) override {
    if (!buffers || count == 0) return DPNERR_INVALIDPARAM;
    const std::shared_ptr<ClientSession> current = Current();
    if (!current) return NoSession();
    return WithHandle(current->Send(buffers, count, timeOut, flags), *current, asyncHandle);
  }

  HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD) override {
    if (!info) return DPNERR_INVALIDPOINTER;
    if (info->dwSize != sizeof(DPN_CONNECTION_INFO)) return DPNERR_INVALIDPARAM;
    const std::shared_ptr<ClientSession> current = Current();
    return current ? current->GetConnectionInfo(info) : NoSession();
  }

 private:
  DPNHANDLE nextConnect = 0x00C00001;
};

HRESULT Client::Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* hostAddress, IDirectPlay8Address*,
                        const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, const void*, DWORD,
                        void* asyncContext, DPNHANDLE* asyncHandle, DWORD flags) {
  if (!desc || !hostAddress) return DPNERR_INVALIDPARAM;
  const Address* address = AsAddress(hostAddress);
  if (!address || !address->HasTcpIpProvider()) return DPNERR_INVALIDHOSTADDRESS;
  std::shared_ptr<ClientSession> started;
  {
    std::lock_guard guard(objectLock);
    if (!handler) return DPNERR_UNINITIALIZED;
    if (session) return DPNERR_ALREADYCONNECTED;
    Target target;
    target.hostName = address->HostName().value_or("");
    target.port = address->Port().value_or(kDefaultPort);
    target.application = desc->guidApplication;
    target.password = WideToUtf8(desc->pwszPassword);
    target.asyncContext = asyncContext;
    target.handle = nextConnect++;
    InitializeEnet();
    ENetHost* host = enet_host_create(nullptr, 1, kChannelCount, 0, 0);
    if (!host) return DPNERR_OUTOFMEMORY;
    if (asyncHandle) *asyncHandle = target.handle;
    session = std::make_shared<ClientSession>(handler, context, std::move(target));
    started = session;
    started->QueueResolve();
    started->Start(host, started);
  }
  if (!(flags & DPNCONNECT_SYNC)) return DPNSUCCESS_PENDING;
  return started->WaitForOutcome();
}

}  // namespace
}  // namespace platform::dplay8

namespace platform {

HRESULT CreateDirectPlay8ClientObject(REFIID iid, void** object) {
  return CreateComObject<dplay8::Client>(iid, object);
}

}  // namespace platform
