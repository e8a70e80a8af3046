// The game's messages between host and joining side: one DirectPlay buffer each, the type in
// byte 0 and packed little-endian fields after it. The senders build a message from the game
// object and send it through whichever wrapper exists; the receivers act on one received
// buffer inside a message handler.
#pragma once

#include <windows.h>
#include <dplay8.h>

#include <cstddef>
#include <cstdint>

constexpr int32_t PROTOCOL_VERSION = 1001;
constexpr int16_t BALL_EVENT_NONE = 0;
constexpr int16_t BALL_EVENT_GOAL = 1;
constexpr int16_t BALL_EVENT_HIT = 2;

enum MessageType : uint8_t {
  messageVersion = 0x01,
  messageName = 0x31,
  messageChat = 0x32,
  messageBall = 0x33,
  messageScores = 0x34,
  messagePaddle = 0x35,
  messageEndMatch = 0x37,
  messageStartMatch = 0x38,
};

// Fixed sizes of the fixed layouts, and the buffer a name or chat line is built in (type,
// at most 254 characters and the terminator).
constexpr DWORD versionSize = 5;
constexpr DWORD ballSize = 27;
constexpr DWORD scoresSize = 17;
constexpr DWORD paddleSize = 25;
constexpr DWORD endMatchSize = 1;
constexpr DWORD startMatchSize = 5;
constexpr size_t textMessageSize = 256;
constexpr DWORD paddleTimeoutMs = 10;

void SendVersion();
void SendName();
// Sends the line and echoes it on the own console, with or without a peer.
void SendChat(const char* text);
// SendBall, SendScores and SendPaddle read the match state under netLock.
void SendBall(int16_t event);
void SendScores();
// Throttled: at most one paddle message per 30 ms.
void SendPaddle();
void SendEndMatch();
void SendStartMatch();

// Host and joining side's handling of one received buffer, under netLock. A buffer shorter
// than its type's layout is ignored like an unknown type.
void ServerReceive(const DPNMSG_RECEIVE* message);
void ClientReceive(const DPNMSG_RECEIVE* message);
