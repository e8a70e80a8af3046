// The transport thread of a DirectPlay 8 object: it waits on the ENet socket, services the host
// under the lock, and hands the events to the object's state machine with the lock released,
// so that a message handler may send (and the game may send under its own lock) without any
// lock being taken in the opposite order.
#include "dplay8/session.h"

#include <cstring>
#include <stdexcept>

#include "dplay8/enet_memory.h"

namespace platform::dplay8 {

namespace {
constexpr enet_uint32 kServiceWaitMs = 5;
constexpr auto kGoodbyeTime = std::chrono::milliseconds(250);
constexpr size_t kEventReserve = 256;

void SignalAcknowledged(ENetPacket* packet) {
  static_cast<std::atomic<bool>*>(packet->userData)->store(true);
}
}  // namespace

void InitializeEnet() {
  static std::once_flag once;
  std::call_once(once, [] {
    const ENetCallbacks callbacks{EnetAllocate, EnetFree, EnetOutOfMemory};
    if (enet_initialize_with_callbacks(ENET_VERSION, &callbacks) != 0)
      throw std::runtime_error("ENet could not be initialised");
  });
}

HRESULT ConnectFailure(enet_uint32 reason) {
  switch (reason) {
    case kReasonPassword: return DPNERR_INVALIDPASSWORD;
    case kReasonFull: return DPNERR_SESSIONFULL;
    case kReasonApplication: return DPNERR_INVALIDAPPLICATION;
    case kReasonTimedOut: return DPNERR_NOCONNECTION;
    default: return DPNERR_HOSTREJECTEDCONNECTION;
  }
}

Contents Open(const ENetPacket& packet, enet_uint8 channel) {
  if (channel == kUnsequencedChannel) return {true, PacketKind::Data, packet.data, packet.dataLength};
  if (packet.dataLength < 1) return {false, PacketKind::Data, nullptr, 0};
  return {true, static_cast<PacketKind>(packet.data[0]), packet.data + 1, packet.dataLength - 1};
}

void SetSessionTimeOuts(ENetPeer* peer) {
  enet_peer_timeout(peer, 0, kPeerTimeOutMinMs, kPeerTimeOutMaxMs);
  enet_peer_ping_interval(peer, kPingIntervalMs);
}

void FillConnectionInfo(const ENetPeer& peer, const Stats& stats, DPN_CONNECTION_INFO* info) {
  info->dwRoundTripLatencyMS = peer.roundTripTime;
  info->dwBytesSentGuaranteed = stats.bytesSentGuaranteed;
  info->dwPacketsSentGuaranteed = stats.packetsSentGuaranteed;
  info->dwBytesSentNonGuaranteed = stats.bytesSentNonGuaranteed;
  info->dwPacketsSentNonGuaranteed = stats.packetsSentNonGuaranteed;
  info->dwBytesReceivedGuaranteed = stats.bytesReceivedGuaranteed;
  info->dwPacketsReceivedGuaranteed = stats.packetsReceivedGuaranteed;
  info->dwBytesReceivedNonGuaranteed = stats.bytesReceivedNonGuaranteed;
  info->dwPacketsReceivedNonGuaranteed = stats.packetsReceivedNonGuaranteed;
  info->dwMessagesReceived = stats.messagesReceived;
  info->dwPacketsDropped = peer.packetsLost;
}

Session::Session(PFNDPNMESSAGEHANDLER handler, PVOID context) : handler(handler), context(context) {
  pending.reserve(kEventReserve);
}

Session::~Session() {
  // Only the transport thread itself can drop the last reference while it is still joinable.
  if (thread.joinable()) thread.detach();
  std::vector<Event> left;
  left.swap(pending);
  Drain(left);
  for (auto& kept : keptBuffers) enet_packet_destroy(kept.second);
  if (host) enet_host_destroy(host);
}

void Session::Start(ENetHost* newHost, const std::shared_ptr<Session>& self) {
  host = newHost;
  host->maximumPacketSize = kMaxPacketSize;
  host->maximumWaitingData = kMaxWaitingData;
  thread = std::thread(&Session::Run, this, self);
}

void Session::Stop() {
  closing = true;
  if (!thread.joinable() || OnTransportThread()) return;
  thread.join();
}

void Session::PumpLocked() {
  ENetEvent event;
  int serviced;
  while ((serviced = enet_host_service(host, &event, 0)) > 0) {
    pending.push_back({Event::Kind::Enet, event.type, event.peer, event.data, event.packet, event.channelID, 0});
  }
  // A failing socket read (an ICMP error on some systems) is not fatal to the session.
  (void)serviced;
}

void Session::Drain(std::vector<Event>& events) {
  for (Event& event : events) {
    if (event.packet) enet_packet_destroy(event.packet);
  }
  events.clear();
}

void Session::Run(std::shared_ptr<Session> self) {
  // Set here, not by Start: a handler may call Close before Start has returned.
  threadId = std::this_thread::get_id();
  std::vector<Event> batch;
  batch.reserve(kEventReserve);
  const ENetSocket socket = host->socket;
  while (!closing) {
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    enet_socket_wait(socket, &condition, kServiceWaitMs);
    {
      std::lock_guard guard(lock);
      PumpLocked();
      TickLocked(Clock::now());
      batch.swap(pending);
    }
    for (Event& event : batch) {
      if (!closing) Handle(event);
    }
    Drain(batch);
  }
  // Let the peers hear the goodbyes queued by Close before the host goes away.
  const auto until = Clock::now() + kGoodbyeTime;
  std::unique_lock guard(lock);
  FinishLocked();
  while (Clock::now() < until) {
    bool anyConnected = false;
    for (size_t i = 0; i < host->peerCount; ++i) {
      const ENetPeer& peer = host->peers[i];
      if (peer.state != ENET_PEER_STATE_DISCONNECTED && peer.state != ENET_PEER_STATE_ZOMBIE) anyConnected = true;
    }
    if (!anyConnected) break;
    PumpLocked();
    Drain(pending);
    guard.unlock();
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    enet_socket_wait(socket, &condition, kServiceWaitMs);
    guard.lock();
  }
  Drain(pending);
  enet_host_destroy(host);
  host = nullptr;
  guard.unlock();
  self.reset();
}

HRESULT Session::Deliver(DWORD id, void* message) {
  if (closing || !handler) return DPN_OK;
  return handler(context, id, message);
}

void Session::DeliverReceive(DPNID sender, void* playerContext, Event& event) {
  DPNMSG_RECEIVE message{};
  message.dwSize = sizeof(message);
  message.dpnidSender = sender;
  message.pvPlayerContext = playerContext;
  const Contents contents = Open(*event.packet, event.channel);
  message.pReceiveData = const_cast<BYTE*>(contents.payload);
  message.dwReceiveDataSize = static_cast<DWORD>(contents.size);
  message.hBufferHandle = NextHandle();
  message.dwReceiveFlags = event.channel == kReliableChannel ? DPNRECEIVE_GUARANTEED : 0;
  if (Deliver(DPN_MSGID_RECEIVE, &message) != DPNSUCCESS_PENDING) return;
  std::lock_guard guard(keptLock);
  keptBuffers.emplace_back(message.hBufferHandle, event.packet);
  event.packet = nullptr;
}

HRESULT Session::ReturnBuffer(DPNHANDLE bufferHandle) {
  std::lock_guard guard(keptLock);
  for (auto it = keptBuffers.begin(); it != keptBuffers.end(); ++it) {
    if (it->first != bufferHandle) continue;
    enet_packet_destroy(it->second);
    keptBuffers.erase(it);
    return DPN_OK;
  }
  return DPNERR_INVALIDHANDLE;
}

DWORD Session::TotalSize(const DPN_BUFFER_DESC* buffers, DWORD count) {
  uint64_t total = 0;
  for (DWORD i = 0; i < count; ++i) total += buffers[i].dwBufferSize;
  return total > kMaxMessageSize ? kMaxMessageSize + 1 : static_cast<DWORD>(total);
}

ENetPacket* Session::MakePacket(PacketKind kind, const void* payload, size_t size, enet_uint32 flags) {
  ENetPacket* packet = enet_packet_create(nullptr, size + 1, flags);
  if (!packet) return nullptr;
  packet->data[0] = static_cast<enet_uint8>(kind);
  if (payload && size > 0) std::memcpy(packet->data + 1, payload, size);
  return packet;
}

ENetPacket* Session::GatherPacket(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size, enet_uint32 flags) {
  const size_t prefix = (flags & ENET_PACKET_FLAG_RELIABLE) ? 1 : 0;
  ENetPacket* packet = enet_packet_create(nullptr, size + prefix, flags);
  if (!packet) return nullptr;
  if (prefix) packet->data[0] = static_cast<enet_uint8>(PacketKind::Data);
  size_t at = prefix;
  for (DWORD i = 0; i < count; ++i) {
    if (buffers[i].dwBufferSize == 0) continue;
    std::memcpy(packet->data + at, buffers[i].pBufferData, buffers[i].dwBufferSize);
    at += buffers[i].dwBufferSize;
  }
  return packet;
}

// An asynchronous send leaves at once (the host is flushed under the lock), so its time-out cannot
// run out on a working link; on a choked one ENet's throttle drops unguaranteed packets itself.
HRESULT Session::SendMessage(ENetPeer* peer, enet_uint32 connectId, const DPN_BUFFER_DESC* buffers, DWORD count,
                             DWORD flags, DWORD timeOut, Stats& stats) {
  const bool guaranteed = (flags & DPNSEND_GUARANTEED) != 0;
  const bool sync = (flags & DPNSEND_SYNC) != 0;
  const DWORD size = TotalSize(buffers, count);
  std::atomic<bool> acknowledged{false};
  ENetPacket* watched = nullptr;
  {
    std::lock_guard guard(lock);
    if (!host || !PeerIs(peer, connectId)) return DPNERR_CONNECTIONLOST;
    ENetPacket* packet = GatherPacket(buffers, count, size,
                                      guaranteed ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (!packet) return DPNERR_OUTOFMEMORY;
    if (sync && guaranteed) {
      packet->userData = &acknowledged;
      packet->freeCallback = SignalAcknowledged;
      watched = packet;
    }
    if (enet_peer_send(peer, guaranteed ? kReliableChannel : kUnsequencedChannel, packet) != 0) {
      packet->freeCallback = nullptr;
      enet_packet_destroy(packet);
      return DPNERR_CONNECTIONLOST;
    }
    (guaranteed ? stats.bytesSentGuaranteed : stats.bytesSentNonGuaranteed) += size;
    ++(guaranteed ? stats.packetsSentGuaranteed : stats.packetsSentNonGuaranteed);
    enet_host_flush(host);
  }
  if (!sync) return DPNSUCCESS_PENDING;
  if (!guaranteed) return DPN_OK;
  if (WaitForAcknowledgement(acknowledged, timeOut)) return DPN_OK;
  // The packet is alive exactly while it is unacknowledged (both are decided under the lock):
  // it must not signal this call's flag once the call has returned.
  std::lock_guard guard(lock);
  if (acknowledged) return DPN_OK;
  watched->freeCallback = nullptr;
  watched->userData = nullptr;
  return DPNERR_TIMEDOUT;
}

// Services the host itself while it waits, so that a transport thread blocked in a handler
// cannot hold the acknowledgement back; events found meanwhile are queued for that thread.
bool Session::WaitForAcknowledgement(const std::atomic<bool>& acknowledged, DWORD timeOut) {
  const auto until = Clock::now() + std::chrono::milliseconds(timeOut);
  while (!acknowledged) {
    if (timeOut != 0 && Clock::now() >= until) break;
    std::unique_lock guard(lock);
    if (!host) break;
    const ENetSocket socket = host->socket;
    PumpLocked();
    if (acknowledged) break;
    guard.unlock();
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    enet_socket_wait(socket, &condition, 1);
  }
  return acknowledged;
}

}  // namespace platform::dplay8
