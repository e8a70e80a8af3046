// Helpers for the transport tests: a handler that records every message it is given, and ready
// made servers, clients and addresses on 127.0.0.1 with a free UDP port per test.
#pragma once

#include <dplay8.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace dplay8_test {

inline constexpr GUID kApplication = {0xD1D1748C, 0x9F74, 0x42B7, {0xA5, 0x7F, 0x16, 0xF5, 0x50, 0x32, 0x6F, 0xD8}};
inline constexpr GUID kOtherApplication = {0x12345678, 0x9F74, 0x42B7, {0xA5, 0x7F, 0x16, 0xF5, 0x50, 0x32, 0x6F, 0xD8}};

struct Record {
  DWORD id;
  DPNID player = 0;     // CREATE/DESTROY_PLAYER, RECEIVE's sender, CONNECT_COMPLETE's local id
  HRESULT result = 0;   // CONNECT_COMPLETE, TERMINATE_SESSION
  DWORD reason = 0;     // DESTROY_PLAYER
  std::string data;     // RECEIVE
  bool guaranteed = false;
};

// Records the messages of one object; a test may add a reaction that runs inside the handler.
class Recorder {
 public:
  static HRESULT WINAPI Handler(PVOID context, DWORD id, PVOID message);

  // Waits until a message with this id has arrived (count of them), at most the given time.
  bool WaitFor(DWORD id, size_t count = 1, std::chrono::milliseconds limit = std::chrono::seconds(10));
  std::vector<Record> Records();
  size_t Count(DWORD id);
  std::vector<DWORD> Ids();

  // What the handler does besides recording; may be changed while messages arrive.
  void React(std::function<HRESULT(DWORD id, void* message)> newReaction);

 private:
  std::function<HRESULT(DWORD id, void* message)> reaction;  // under mutex
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Record> records;
};

// A free UDP port on this machine, different on every call within the process.
WORD FreePort();
IDirectPlay8Address* MakeAddress(DWORD port, const char* hostName = nullptr);

// A server hosting on the port; null (and a test failure) when it cannot.
IDirectPlay8Server* StartServer(Recorder& recorder, WORD port, const wchar_t* password = nullptr,
                                DWORD maxPlayers = 2);
// A client whose asynchronous connect to 127.0.0.1 (or hostName) has started; result is Connect's answer.
IDirectPlay8Client* StartClient(Recorder& recorder, WORD port, HRESULT& result, const wchar_t* password = nullptr,
                                const GUID& application = kApplication, const char* hostName = "127.0.0.1");
HRESULT SendText(IDirectPlay8Server* server, DPNID target, const std::string& text, DWORD flags);
HRESULT SendText(IDirectPlay8Client* client, const std::string& text, DWORD flags);

}  // namespace dplay8_test
