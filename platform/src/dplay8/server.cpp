// The DirectPlay 8 server on ENet: hosts a client/server session on a UDP port, admits a client
// only after its first packet names the right application and password and a player slot is
// free, and reports the players to the handler on the transport thread. ENet is given spare
// peer slots so that a client of a full session is answered with a refusal, not silence.
#include <dplay8.h>

#include <cstring>
#include <memory>
#include <string>

#include "dplay8/address.h"
#include "dplay8/session.h"
#include "dplay8/session_object.h"
#include "com/com_object.h"

namespace platform::dplay8 {
namespace {

constexpr size_t kSparePeerSlots = 4;
constexpr DWORD kDefaultPort = 2302;
constexpr DPNID kFirstPlayerId = 0x00020001;

struct Slot {
  enum class State { Free, Hello, Indicating, Player, Dropped } state = State::Free;
  enet_uint32 connectId = 0;
  DPNID player = 0;
  void* context = nullptr;
  Clock::time_point helloDeadline{};
  std::vector<ENetPacket*> held;  // messages sent to a player still being indicated
  Stats stats;
};

struct Settings {
  GUID application{};
  bool requirePassword = false;
  std::string password;
  DWORD maxPlayers = 0;
  void* playerContext = nullptr;
};

class ServerSession final : public Session {
 public:
  ServerSession(PFNDPNMESSAGEHANDLER handler, PVOID context, Settings settings, size_t slotCount)
      : Session(handler, context), settings(std::move(settings)), slots(slotCount) {
    hostPlayer = nextPlayer++;
  }

  void QueueOwnPlayer() {
    std::lock_guard guard(lock);
    QueueLocked({Event::Kind::OwnPlayer});
  }

  HRESULT SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut, DWORD flags);
  HRESULT DestroyClient(DPNID player);
  HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info);

 protected:
  void Handle(Event& event) override;
  void TickLocked(Clock::time_point now) override;
  void FinishLocked() override;

 private:
  Slot* SlotOf(const ENetPeer* peer) { return &slots[peer - host->peers]; }
  Slot* FindPlayerLocked(DPNID player);
  void DropLocked(ENetPeer* peer, Slot& slot, Reason reason);
  void OnConnect(Event& event);
  void OnReceive(Event& event);
  void OnDisconnect(Event& event);
  void Admit(ENetPeer* peer, Slot& slot, const Contents& hello);
  Reason CheckHelloLocked(const Contents& hello) const;
  bool WelcomeLocked(ENetPeer* peer, Slot& slot);
  void DeliverCreatePlayer(DPNID player, void* context);
  void DeliverDestroyPlayer(DPNID player, void* context, DWORD reason);
  void LoopbackLocked(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size);
  HRESULT HoldLocked(Slot& slot, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size, DWORD flags);
  HRESULT SendToSlot(size_t index, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size, DWORD timeOut,
                     DWORD flags);

  Settings settings;
  std::vector<Slot> slots;  // one per ENet peer, under the lock
  DPNID nextPlayer = kFirstPlayerId;
  DPNID hostPlayer = 0;
};

Slot* ServerSession::FindPlayerLocked(DPNID player) {
  for (Slot& slot : slots) {
    if (slot.player == player && (slot.state == Slot::State::Player || slot.state == Slot::State::Indicating))
      return &slot;
  }
  return nullptr;
}

void ServerSession::DropLocked(ENetPeer* peer, Slot& slot, Reason reason) {
  enet_peer_disconnect(peer, reason);
  enet_host_flush(host);
  for (ENetPacket* packet : slot.held) enet_packet_destroy(packet);
  slot.held.clear();
  slot.state = Slot::State::Dropped;
}

void ServerSession::Handle(Event& event) {
  switch (event.kind) {
    case Event::Kind::OwnPlayer:
      DeliverCreatePlayer(hostPlayer, settings.playerContext);
      return;
    case Event::Kind::Loopback:
      DeliverReceive(hostPlayer, settings.playerContext, event);
      return;
    case Event::Kind::PlayerDestroyed:
      DeliverDestroyPlayer(event.player, nullptr, DPNDESTROYPLAYERREASON_HOSTDESTROYEDPLAYER);
      return;
    case Event::Kind::Resolve:
    case Event::Kind::ConnectTimedOut:
      return;
    case Event::Kind::Enet:
      break;
  }
  if (event.type == ENET_EVENT_TYPE_CONNECT) OnConnect(event);
  if (event.type == ENET_EVENT_TYPE_RECEIVE) OnReceive(event);
  if (event.type == ENET_EVENT_TYPE_DISCONNECT) OnDisconnect(event);
}

void ServerSession::OnConnect(Event& event) {
  std::lock_guard guard(lock);
  Slot& slot = *SlotOf(event.peer);
  slot = Slot{};
  slot.connectId = event.peer->connectID;
  if (event.data != kConnectMagic) {
    DropLocked(event.peer, slot, kReasonProtocol);
    return;
  }
  slot.state = Slot::State::Hello;
  slot.helloDeadline = Clock::now() + kHelloTimeOut;
  SetSessionTimeOuts(event.peer);
}

void ServerSession::OnReceive(Event& event) {
  const Contents contents = Open(*event.packet, event.channel);
  if (!contents.valid) return;
  const PacketKind kind = contents.kind;
  Slot::State state;
  DPNID player;
  void* context;
  {
    std::lock_guard guard(lock);
    Slot& slot = *SlotOf(event.peer);
    if (slot.connectId != event.peer->connectID) return;
    state = slot.state;
    player = slot.player;
    context = slot.context;
    if (state == Slot::State::Player && kind == PacketKind::Data) {
      const DWORD size = static_cast<DWORD>(contents.size);
      const bool guaranteed = event.channel == kReliableChannel;
      (guaranteed ? slot.stats.bytesReceivedGuaranteed : slot.stats.bytesReceivedNonGuaranteed) += size;
      ++(guaranteed ? slot.stats.packetsReceivedGuaranteed : slot.stats.packetsReceivedNonGuaranteed);
      ++slot.stats.messagesReceived;
    }
  }
  if (state == Slot::State::Hello && kind == PacketKind::Hello) {
    Admit(event.peer, *SlotOf(event.peer), contents);
  } else if (state == Slot::State::Player && kind == PacketKind::Data) {
    DeliverReceive(player, context, event);
  }
}

void ServerSession::OnDisconnect(Event& event) {
  Slot gone;
  {
    std::lock_guard guard(lock);
    Slot& slot = *SlotOf(event.peer);
    gone = std::move(slot);
    for (ENetPacket* packet : gone.held) enet_packet_destroy(packet);
    gone.held.clear();
    slot = Slot{};
  }
  if (gone.state == Slot::State::Player) {
    const DWORD reason =
        event.data == kReasonTimedOut ? DPNDESTROYPLAYERREASON_CONNECTIONLOST : DPNDESTROYPLAYERREASON_NORMAL;
    DeliverDestroyPlayer(gone.player, gone.context, reason);
  } else if (gone.state == Slot::State::Indicating) {
    DPNMSG_INDICATED_CONNECT_ABORTED message{sizeof(DPNMSG_INDICATED_CONNECT_ABORTED), gone.context};
    Deliver(DPN_MSGID_INDICATED_CONNECT_ABORTED, &message);
  }
}

Reason ServerSession::CheckHelloLocked(const Contents& hello) const {
  if (hello.size < sizeof(GUID)) return kReasonProtocol;
  GUID application;
  std::memcpy(&application, hello.payload, sizeof(GUID));
  if (application != settings.application) return kReasonApplication;
  const char* password = reinterpret_cast<const char*>(hello.payload + sizeof(GUID));
  const size_t passwordSize = hello.size - sizeof(GUID);
  if (settings.requirePassword && std::string(password, passwordSize) != settings.password) return kReasonPassword;
  size_t players = 1;  // the host's own
  for (const Slot& slot : slots) {
    if (slot.state == Slot::State::Player || slot.state == Slot::State::Indicating) ++players;
  }
  if (settings.maxPlayers != 0 && players >= settings.maxPlayers) return kReasonFull;
  return kReasonTimedOut;
}

// Indicates the client to the handler, and makes it a player when the handler accepts it.
void ServerSession::Admit(ENetPeer* peer, Slot& slot, const Contents& hello) {
  const enet_uint32 connectId = peer->connectID;
  {
    std::lock_guard guard(lock);
    const Reason refusal = CheckHelloLocked(hello);
    if (refusal != kReasonTimedOut) {
      DropLocked(peer, slot, refusal);
      return;
    }
    slot.state = Slot::State::Indicating;
    slot.player = nextPlayer++;
  }
  DPNMSG_INDICATE_CONNECT indication{};
  indication.dwSize = sizeof(indication);
  const HRESULT answer = Deliver(DPN_MSGID_INDICATE_CONNECT, &indication);
  DPNID player;
  {
    std::lock_guard guard(lock);
    if (slot.state != Slot::State::Indicating || slot.connectId != connectId) return;
    slot.context = indication.pvPlayerContext;
    if (FAILED(answer) || closing) {
      DropLocked(peer, slot, kReasonRejected);
      return;
    }
    if (!WelcomeLocked(peer, slot)) {
      slot.state = Slot::State::Dropped;
      player = 0;
    } else {
      slot.state = Slot::State::Player;
      player = slot.player;
    }
  }
  if (player != 0) {
    DeliverCreatePlayer(player, indication.pvPlayerContext);
  } else {
    DPNMSG_INDICATED_CONNECT_ABORTED message{sizeof(DPNMSG_INDICATED_CONNECT_ABORTED), indication.pvPlayerContext};
    Deliver(DPN_MSGID_INDICATED_CONNECT_ABORTED, &message);
  }
}

// The welcome goes first, then whatever the handler sent while it was deciding: the channel keeps
// them in that order, so the client has its connect completed before its first message.
bool ServerSession::WelcomeLocked(ENetPeer* peer, Slot& slot) {
  const DPNID ids[2] = {slot.player, hostPlayer};
  ENetPacket* welcome = MakePacket(PacketKind::Welcome, ids, sizeof(ids), ENET_PACKET_FLAG_RELIABLE);
  bool sent = welcome && enet_peer_send(peer, kReliableChannel, welcome) == 0;
  if (welcome && !sent) enet_packet_destroy(welcome);
  for (ENetPacket* packet : slot.held) {
    const enet_uint8 channel = (packet->flags & ENET_PACKET_FLAG_RELIABLE) ? kReliableChannel : kUnsequencedChannel;
    if (!sent || enet_peer_send(peer, channel, packet) != 0) enet_packet_destroy(packet);
  }
  slot.held.clear();
  enet_host_flush(host);
  return sent;
}

void ServerSession::DeliverCreatePlayer(DPNID player, void* context) {
  DPNMSG_CREATE_PLAYER message{sizeof(DPNMSG_CREATE_PLAYER), player, context};
  Deliver(DPN_MSGID_CREATE_PLAYER, &message);
}

void ServerSession::DeliverDestroyPlayer(DPNID player, void* context, DWORD reason) {
  DPNMSG_DESTROY_PLAYER message{sizeof(DPNMSG_DESTROY_PLAYER), player, context, reason};
  Deliver(DPN_MSGID_DESTROY_PLAYER, &message);
}

void ServerSession::TickLocked(Clock::time_point now) {
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].state == Slot::State::Hello && now >= slots[i].helloDeadline)
      DropLocked(&host->peers[i], slots[i], kReasonProtocol);
  }
}

void ServerSession::FinishLocked() {
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].state != Slot::State::Free) DropLocked(&host->peers[i], slots[i], kReasonClosed);
  }
}

void ServerSession::LoopbackLocked(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size) {
  ENetPacket* packet = GatherPacket(buffers, count, size, ENET_PACKET_FLAG_RELIABLE);
  if (!packet) return;
  Event event{Event::Kind::Loopback};
  event.packet = packet;
  event.channel = kReliableChannel;
  QueueLocked(event);
}

HRESULT ServerSession::HoldLocked(Slot& slot, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size,
                                  DWORD flags) {
  const bool guaranteed = (flags & DPNSEND_GUARANTEED) != 0;
  ENetPacket* packet =
      GatherPacket(buffers, count, size, guaranteed ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
  if (!packet) return DPNERR_OUTOFMEMORY;
  slot.held.push_back(packet);
  return DPNSUCCESS_PENDING;
}

HRESULT ServerSession::SendToSlot(size_t index, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size,
                                  DWORD timeOut, DWORD flags) {
  ENetPeer* peer;
  enet_uint32 connectId;
  {
    std::lock_guard guard(lock);
    if (!host || closing) return DPNERR_NOCONNECTION;
    Slot& slot = slots[index];
    if (slot.state == Slot::State::Indicating) return HoldLocked(slot, buffers, count, size, flags);
    if (slot.state != Slot::State::Player) return DPNERR_INVALIDPLAYER;
    peer = &host->peers[index];
    connectId = slot.connectId;
  }
  return SendMessage(peer, connectId, buffers, count, flags, timeOut, slots[index].stats);
}

HRESULT ServerSession::SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut,
                              DWORD flags) {
  const DWORD size = TotalSize(buffers, count);
  if (size > kMaxMessageSize) return DPNERR_SENDTOOLARGE;
  const HRESULT done = (flags & DPNSEND_SYNC) ? DPN_OK : DPNSUCCESS_PENDING;
  const bool toAll = target == DPNID_ALL_PLAYERS_GROUP;
  size_t only = slots.size();
  {
    std::lock_guard guard(lock);
    if (!host || closing) return DPNERR_NOCONNECTION;
    if ((toAll && !(flags & DPNSEND_NOLOOPBACK)) || target == hostPlayer) LoopbackLocked(buffers, count, size);
    if (target == hostPlayer) return done;
    if (!toAll) {
      Slot* slot = FindPlayerLocked(target);
      if (!slot) return DPNERR_INVALIDPLAYER;
      only = static_cast<size_t>(slot - slots.data());
    }
  }
  if (!toAll) return SendToSlot(only, buffers, count, size, timeOut, flags);
  HRESULT result = done;
  for (size_t i = 0; i < slots.size(); ++i) {
    const HRESULT one = SendToSlot(i, buffers, count, size, timeOut, flags);
    if (FAILED(one) && one != DPNERR_INVALIDPLAYER) result = one;
  }
  return result;
}

HRESULT ServerSession::DestroyClient(DPNID player) {
  std::lock_guard guard(lock);
  if (!host || closing) return DPNERR_NOCONNECTION;
  Slot* slot = FindPlayerLocked(player);
  if (!slot || slot->state != Slot::State::Player) return DPNERR_INVALIDPLAYER;
  DropLocked(&host->peers[slot - slots.data()], *slot, kReasonKicked);
  Event event{Event::Kind::PlayerDestroyed};
  event.player = player;
  QueueLocked(event);
  return DPN_OK;
}

HRESULT ServerSession::GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info) {
  std::lock_guard guard(lock);
  if (!host) return DPNERR_NOCONNECTION;
  Slot* slot = FindPlayerLocked(player);
  if (!slot || slot->state != Slot::State::Player) return DPNERR_INVALIDPLAYER;
  FillConnectionInfo(host->peers[slot - slots.data()], slot->stats, info);
  return DPN_OK;
}

// ---------------------------------------------------------------------------------------------
// The COM object

class Server final : public SessionObject<IDirectPlay8Server, IID_IDirectPlay8Server, ServerSession> {
 public:
  HRESULT Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
               const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, void* playerContext, DWORD) override;

  HRESULT SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD timeOut, void*,
                 DPNHANDLE* asyncHandle, DWORD flags) override {
    if (!buffers || count == 0) return DPNERR_INVALIDPARAM;
    const std::shared_ptr<ServerSession> current = Current();
    if (!current) return NoSession();
    return WithHandle(current->SendTo(target, buffers, count, timeOut, flags), *current, asyncHandle);
  }

  HRESULT DestroyClient(DPNID client, const void*, DWORD, DWORD) override {
    const std::shared_ptr<ServerSession> current = Current();
    return current ? current->DestroyClient(client) : NoSession();
  }

  HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD) override {
    if (!info) return DPNERR_INVALIDPOINTER;
    if (info->dwSize != sizeof(DPN_CONNECTION_INFO)) return DPNERR_INVALIDPARAM;
    const std::shared_ptr<ServerSession> current = Current();
    return current ? current->GetConnectionInfo(player, info) : NoSession();
  }
};

HRESULT Server::Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
                     const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, void* playerContext, DWORD) {
  if (!desc || !devices || deviceCount == 0) return DPNERR_INVALIDPARAM;
  std::lock_guard guard(objectLock);
  if (!handler) return DPNERR_UNINITIALIZED;
  if (session) return DPNERR_HOSTING;
  const Address* device = AsAddress(devices[0]);
  if (!device || !device->HasTcpIpProvider()) return DPNERR_INVALIDDEVICEADDRESS;
  Settings settings;
  settings.application = desc->guidApplication;
  settings.requirePassword = (desc->dwFlags & DPNSESSION_REQUIREPASSWORD) != 0;
  settings.password = WideToUtf8(desc->pwszPassword);
  settings.maxPlayers = desc->dwMaxPlayers;
  settings.playerContext = playerContext;

  InitializeEnet();
  ENetAddress address{};
  address.host = ENET_HOST_ANY;
  address.port = device->Port().value_or(kDefaultPort);
  const size_t clients = settings.maxPlayers > 1 ? settings.maxPlayers - 1 : 1;
  const size_t slotCount = std::min<size_t>(clients + kSparePeerSlots, ENET_PROTOCOL_MAXIMUM_PEER_ID);
  ENetHost* host = enet_host_create(&address, slotCount, kChannelCount, 0, 0);
  // The port cannot be bound: another program (or another session) is using it.
  if (!host) return DPNERR_INVALIDDEVICEADDRESS;
  session = std::make_shared<ServerSession>(handler, context, std::move(settings), slotCount);
  session->QueueOwnPlayer();
  session->Start(host, session);
  return DPN_OK;
}

}  // namespace
}  // namespace platform::dplay8

namespace platform {

HRESULT CreateDirectPlay8ServerObject(REFIID iid, void** object) {
  return CreateComObject<dplay8::Server>(iid, object);
}

}  // namespace platform
