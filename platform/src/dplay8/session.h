// The core shared by the DirectPlay 8 server and client: one ENet host owned by one transport
// thread, the lock under which every ENet call is made, the queue of events that thread hands to
// the message handler, and the wire format (a kind byte before every payload).
#pragma once

#include <dplay8.h>
#include <enet/enet.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::dplay8 {

using Clock = std::chrono::steady_clock;

// The first byte of every reliable packet says what follows it. Unsequenced packets are always
// application messages and carry no kind byte: they are the most frequent ones.
enum class PacketKind : uint8_t {
  Hello = 1,    // client -> host: application GUID (16 bytes), then the password as UTF-8
  Welcome = 2,  // host -> client: the client's DPNID, then the host player's DPNID
  Data = 3,     // either way: one application message
};

// Reasons carried by ENet disconnects; 0 is ENet's own time-out.
enum Reason : uint32_t {
  kReasonTimedOut = 0,
  kReasonLeaving = 0x52580001,
  kReasonClosed,
  kReasonKicked,
  kReasonPassword,
  kReasonFull,
  kReasonApplication,
  kReasonRejected,
  kReasonProtocol,
};

// The word a connecting client passes with ENet's connect: our protocol and its version.
constexpr enet_uint32 kConnectMagic = 0x52584E31;
constexpr enet_uint8 kReliableChannel = 0;     // control packets and guaranteed messages, in order
constexpr enet_uint8 kUnsequencedChannel = 1;  // non-guaranteed messages, unordered
constexpr size_t kChannelCount = 2;
// The game's messages are at most a few hundred bytes; larger ones are refused.
constexpr DWORD kMaxMessageSize = 4000;
constexpr size_t kMaxPacketSize = 4096;
constexpr size_t kMaxWaitingData = 64 * 1024;
// How long a connecting client may take to say who it is, and how long a connect may take.
constexpr auto kHelloTimeOut = std::chrono::seconds(5);
constexpr auto kConnectTimeOut = std::chrono::seconds(5);

// What a received packet holds; valid is false for an empty reliable packet.
struct Contents {
  bool valid;
  PacketKind kind;
  const enet_uint8* payload;
  size_t size;
};
Contents Open(const ENetPacket& packet, enet_uint8 channel);

// A peer that stops answering is dropped after 4 to 7 s; with a keep-alive ping after 1 s without
// guaranteed traffic, a killed peer is noticed within 8 s.
constexpr enet_uint32 kPeerTimeOutMinMs = 4000, kPeerTimeOutMaxMs = 7000, kPingIntervalMs = 1000;
void SetSessionTimeOuts(ENetPeer* peer);

struct Stats {
  DWORD bytesSentGuaranteed = 0, packetsSentGuaranteed = 0;
  DWORD bytesSentNonGuaranteed = 0, packetsSentNonGuaranteed = 0;
  DWORD bytesReceivedGuaranteed = 0, packetsReceivedGuaranteed = 0;
  DWORD bytesReceivedNonGuaranteed = 0, packetsReceivedNonGuaranteed = 0;
  DWORD messagesReceived = 0;
};

// An event for the transport thread: one of ENet's, or one the object queued for itself.
struct Event {
  enum class Kind { Enet, OwnPlayer, Loopback, PlayerDestroyed, Resolve, ConnectTimedOut } kind;
  ENetEventType type = ENET_EVENT_TYPE_NONE;
  ENetPeer* peer = nullptr;
  enet_uint32 data = 0;
  ENetPacket* packet = nullptr;
  enet_uint8 channel = 0;
  DPNID player = 0;
};

class Session {
 public:
  Session(PFNDPNMESSAGEHANDLER handler, PVOID context);
  virtual ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the transport thread on the given host; the thread keeps the session alive.
  void Start(ENetHost* newHost, const std::shared_ptr<Session>& self);
  // Stops delivering messages and ends the thread; waits for it unless called on it.
  void Stop();
  bool OnTransportThread() const { return std::this_thread::get_id() == threadId.load(); }

  // Sends one message (with its kind byte) to a connected peer, under the lock. SYNC waits
  // for the peer's acknowledgement of a guaranteed message, at most timeOut ms (0: no limit).
  HRESULT SendMessage(ENetPeer* peer, enet_uint32 connectId, const DPN_BUFFER_DESC* buffers, DWORD count,
                      DWORD flags, DWORD timeOut, Stats& stats);
  HRESULT ReturnBuffer(DPNHANDLE bufferHandle);
  DPNHANDLE NextHandle() { return nextHandle++; }

 protected:
  // Called on the transport thread without the lock; runs the object's state machine.
  virtual void Handle(Event& event) = 0;
  // Called on the transport thread under the lock once a turn, for the object's deadlines.
  virtual void TickLocked(Clock::time_point now) = 0;
  // Called on the transport thread under the lock before the host is destroyed.
  virtual void FinishLocked() {}

  HRESULT Deliver(DWORD id, void* message);
  void QueueLocked(const Event& event) { pending.push_back(event); }
  // Hands a received packet to the handler as DPN_MSGID_RECEIVE; the handler may keep it by
  // answering DPNSUCCESS_PENDING, and the packet is then freed by ReturnBuffer.
  void DeliverReceive(DPNID sender, void* playerContext, Event& event);
  static ENetPacket* MakePacket(PacketKind kind, const void* payload, size_t size, enet_uint32 flags);
  // A Data packet holding the buffers one after another (size is their total), with the kind
  // byte when it is reliable.
  static ENetPacket* GatherPacket(const DPN_BUFFER_DESC* buffers, DWORD count, DWORD size, enet_uint32 flags);
  static bool PeerIs(const ENetPeer* peer, enet_uint32 connectId) {
    return peer && peer->state == ENET_PEER_STATE_CONNECTED && peer->connectID == connectId;
  }
  static DWORD TotalSize(const DPN_BUFFER_DESC* buffers, DWORD count);

  std::mutex lock;
  ENetHost* host = nullptr;
  std::atomic<bool> closing{false};

 private:
  void Run(std::shared_ptr<Session> self);
  void PumpLocked();
  void Drain(std::vector<Event>& events);
  bool WaitForAcknowledgement(const std::atomic<bool>& acknowledged, DWORD timeOut);

  PFNDPNMESSAGEHANDLER handler;
  PVOID context;
  std::thread thread;
  std::atomic<std::thread::id> threadId{};
  std::vector<Event> pending;  // under the lock
  std::atomic<DPNHANDLE> nextHandle{1};
  std::mutex keptLock;
  std::vector<std::pair<DPNHANDLE, ENetPacket*>> keptBuffers;  // under keptLock
};

// The connection figures of one peer: ENet's round trip and packet loss, and our counters.
void FillConnectionInfo(const ENetPeer& peer, const Stats& stats, DPN_CONNECTION_INFO* info);
// ENet is initialised once per process.
void InitializeEnet();
// The message of a refused connect for a disconnect reason the host sent.
HRESULT ConnectFailure(enet_uint32 reason);

}  // namespace platform::dplay8
