// The two DirectPlay message handlers. DirectPlay calls them on its own threads; each handles
// the whole of a message under netLock and acts on the game state at once. Both return S_OK
// for every message.
#pragma once

#include <windows.h>
#include <dplay8.h>

HRESULT WINAPI ServerMessageHandler(PVOID userContext, DWORD messageId, PVOID message);
HRESULT WINAPI ClientMessageHandler(PVOID userContext, DWORD messageId, PVOID message);

// The line printed for a failed connect, or null for a code the game does not explain.
const char* ConnectFailureText(HRESULT result);
