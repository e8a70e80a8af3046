// The host's and the joining side's message handlers: player ids, the disconnect reset, the
// version sent to a connecting client, the connect outcome and the session's end, and the
// received buffers handed to the protocol's receivers.
#include "net_handlers.h"

#include "net_layout.h"
#include "net_lock.h"
#include "net_match.h"
#include "net_protocol.h"

namespace {

constexpr D3DCOLOR handlerColour = 0xFFFFFFFF;
constexpr D3DCOLOR disconnectColour = 0xFFFF0000;

// DirectPlay creates the host's own player first, so the first id is the host's.
void OnCreatePlayer(RallixGame& game, const DPNMSG_CREATE_PLAYER& created) {
  if (game.serverPlayerId == noPlayerId) {
    game.serverPlayerId = created.dpnidPlayer;
  } else {
    game.clientPlayerId = created.dpnidPlayer;
  }
}

void OnDestroyPlayer(RallixGame& game, const DPNMSG_DESTROY_PLAYER& destroyed) {
  if (destroyed.dpnidPlayer == game.clientPlayerId) {
    game.aruConsole::Printf(disconnectColour, "%s disconnected.", game.opponentName);
  }
  ResetHostToWaiting(game);
}

void OnConnectComplete(RallixGame& game, const DPNMSG_CONNECT_COMPLETE& complete) {
  if (complete.hResultCode == S_OK) {
    game.Print("Connected successfully. Identifying...", handlerColour);
    SendName();
    return;
  }
  const char* failure = ConnectFailureText(complete.hResultCode);
  if (failure == nullptr) return;
  game.Print(failure, handlerColour);
  game.connectionLost = 1;
}

}  // namespace

const char* ConnectFailureText(HRESULT result) {
  switch (result) {
    case DPNERR_SESSIONFULL: return "Connect Failed: Server is full.";
    case DPNERR_NOTHOST: return "Connect Failed: Attempted to connect to a nonhost computer.";
    case DPNERR_INVALIDPASSWORD: return "Connect Failed: Incorrect Password.";
    case DPNERR_NOCONNECTION: return "Connect Failed: No communication link was established.";
    case DPNERR_INVALIDINTERFACE: return "Connect Failed: The interface parameter is invalid.";
    case DPNERR_INVALIDINSTANCE: return "Connect Failed: The GUID for the application instance is invalid.";
    case DPNERR_INVALIDHOSTADDRESS: return "Connect Failed: Invalid remote address.";
    case DPNERR_INVALIDFLAGS: return "Connect Failed: The flags passed to this method are invalid.";
    case DPNERR_INVALIDAPPLICATION: return "Connect Failed: Invalid GUID.";
    case DPNERR_INVALIDDEVICEADDRESS: return "Connect Failed: Invalid local address.";
    case DPNERR_HOSTREJECTEDCONNECTION: return "Connect Failed: Connection Rejected.";
    default: return nullptr;
  }
}

namespace {

// The event structure of a message, handed on when there is one.
template <typename Event, typename Handle>
void WithEvent(PVOID message, Handle handle) {
  if (message != nullptr) handle(*static_cast<const Event*>(message));
}

// Each message is handled whole under netLock.
template <typename Handle>
HRESULT Locked(Handle handle) {
  RallixGame& game = NetGame();
  NetLockGuard guard(game.netLock);
  handle(game);
  return S_OK;
}

}  // namespace

HRESULT WINAPI ServerMessageHandler(PVOID, DWORD messageId, PVOID message) {
  return Locked([&](RallixGame& game) {
    switch (messageId) {
      case DPN_MSGID_CREATE_PLAYER:
        WithEvent<DPNMSG_CREATE_PLAYER>(message, [&](const auto& event) { OnCreatePlayer(game, event); });
        break;
      case DPN_MSGID_DESTROY_PLAYER:
        WithEvent<DPNMSG_DESTROY_PLAYER>(message, [&](const auto& event) { OnDestroyPlayer(game, event); });
        break;
      case DPN_MSGID_INDICATE_CONNECT: SendVersion(); break;
      case DPN_MSGID_INDICATED_CONNECT_ABORTED: game.Print("Connection Aborted.", handlerColour); break;
      case DPN_MSGID_RECEIVE: ServerReceive(static_cast<const DPNMSG_RECEIVE*>(message)); break;
      default: break;
    }
  });
}

HRESULT WINAPI ClientMessageHandler(PVOID, DWORD messageId, PVOID message) {
  return Locked([&](RallixGame& game) {
    switch (messageId) {
      case DPN_MSGID_CONNECT_COMPLETE:
        WithEvent<DPNMSG_CONNECT_COMPLETE>(message, [&](const auto& event) { OnConnectComplete(game, event); });
        break;
      case DPN_MSGID_RECEIVE: ClientReceive(static_cast<const DPNMSG_RECEIVE*>(message)); break;
      case DPN_MSGID_TERMINATE_SESSION:
        game.Print("Session Terminated.", handlerColour);
        game.connectionLost = 1;
        break;
      default: break;
    }
  });
}
