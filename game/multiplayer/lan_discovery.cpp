// LAN discovery over Winsock datagram sockets: the query and answer formats, the host's
// responder and the joining side's search. Each object keeps Winsock started while it holds a
// socket.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "lan_discovery.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "aru_winsock.h"

namespace {

constexpr char queryTag[lanQuerySize] = {'R', 'L', 'X', 'F', 'I', 'N', 'D', '1'};
constexpr char answerTag[8] = {'R', 'L', 'X', 'H', 'O', 'S', 'T', '1'};
constexpr size_t answerHeader = sizeof answerTag + 2;
constexpr int32_t lowestGamePort = 1;
constexpr int32_t highestGamePort = 65000;
constexpr int maximumInterfaces = 32;
constexpr SOCKET noSocket = INVALID_SOCKET;

bool Printable(char c) { return c >= 0x20 && c < 0x7F; }

SOCKET AsSocket(uintptr_t handle) { return static_cast<SOCKET>(handle); }

void StartWinsock() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 0), &data);
}

// A non-blocking datagram socket, bound to `port` on every address (0: any port); noSocket when
// any step fails.
SOCKET OpenSocket(int32_t port, bool broadcast) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == noSocket) return noSocket;
  const BOOL on = TRUE;
  u_long nonBlocking = 1;
  sockaddr_in local;
  std::memset(&local, 0, sizeof local);
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(static_cast<u_short>(port));
  // Several hosts on one computer may listen at once: each gets the broadcasts.
  const bool ok =
      setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) == 0 &&
      (!broadcast ||
       setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) == 0) &&
      ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
      bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
  if (ok) return s;
  closesocket(s);
  return noSocket;
}

void CloseSocket(uintptr_t& handle) {
  if (AsSocket(handle) == noSocket) return;
  closesocket(AsSocket(handle));
  handle = static_cast<uintptr_t>(noSocket);
  WSACleanup();
}

sockaddr_in Destination(uint32_t address, int32_t port) {
  sockaddr_in to;
  std::memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  to.sin_port = htons(static_cast<u_short>(port));
  return to;
}

// Loopback first (answers from this computer come back at once), then every interface that is
// up and can broadcast. Returns the number of queries sent.
int SendQueries(SOCKET s, int32_t port) {
  char query[lanQuerySize];
  MakeLanQuery(query);
  std::vector<uint32_t> targets{static_cast<uint32_t>(htonl(INADDR_LOOPBACK))};
  INTERFACE_INFO interfaces[maximumInterfaces];
  DWORD returned = 0;
  if (WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces, &returned,
               nullptr, nullptr) == 0) {
    const size_t count = returned / sizeof(INTERFACE_INFO);
    for (size_t i = 0; i < count; ++i) {
      const INTERFACE_INFO& info = interfaces[i];
      if ((info.iiFlags & IFF_UP) == 0 || (info.iiFlags & IFF_BROADCAST) == 0) continue;
      const uint32_t target = info.iiBroadcastAddress.AddressIn.sin_addr.s_addr;
      if (std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(target);
    }
  }
  int sent = 0;
  for (const uint32_t target : targets) {
    const sockaddr_in to = Destination(target, port);
    if (sendto(s, query, sizeof query, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
        int(sizeof query)) {
      ++sent;
    }
  }
  return sent;
}

std::string DottedAddress(uint32_t networkOrder) {
  const uint32_t host = ntohl(networkOrder);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (host >> 24) & 0xFF, (host >> 16) & 0xFF,
                (host >> 8) & 0xFF, host & 0xFF);
  return text;
}

}  // namespace

int32_t LanDiscoveryPort(int32_t gamePort) { return gamePort + 1; }

void MakeLanQuery(char (&query)[lanQuerySize]) { std::memcpy(query, queryTag, lanQuerySize); }

bool IsLanQuery(const char* data, int size) {
  return data != nullptr && size == int(lanQuerySize) && std::memcmp(data, queryTag, lanQuerySize) == 0;
}

size_t MakeLanAnswer(int32_t gamePort, const char* name, char (&answer)[lanAnswerLimit]) {
  std::memcpy(answer, answerTag, sizeof answerTag);
  answer[8] = static_cast<char>((gamePort >> 8) & 0xFF);
  answer[9] = static_cast<char>(gamePort & 0xFF);
  size_t length = 0;
  while (name != nullptr && length < lanNameLimit && Printable(name[length])) {
    answer[answerHeader + length] = name[length];
    ++length;
  }
  return answerHeader + length;
}

bool ReadLanAnswer(const char* data, int size, int32_t& gamePort, std::string& name) {
  if (data == nullptr || size < int(answerHeader) || size > int(lanAnswerLimit) ||
      std::memcmp(data, answerTag, sizeof answerTag) != 0) {
    return false;
  }
  const int32_t port = (static_cast<uint8_t>(data[8]) << 8) | static_cast<uint8_t>(data[9]);
  if (port < lowestGamePort || port > highestGamePort) return false;
  if (!std::all_of(data + answerHeader, data + size, Printable)) return false;
  gamePort = port;
  name.assign(data + answerHeader, data + size);
  return true;
}

LanResponder::~LanResponder() { CloseSocket(socketHandle); }

bool LanResponder::IsOpen() const { return AsSocket(socketHandle) != noSocket; }

bool LanResponder::Open(int32_t gamePort, std::string& failure) {
  CloseSocket(socketHandle);
  StartWinsock();
  const SOCKET s = OpenSocket(LanDiscoveryPort(gamePort), false);
  if (s == noSocket) {
    failure = "error " + std::to_string(WSAGetLastError());
    WSACleanup();
    return false;
  }
  socketHandle = static_cast<uintptr_t>(s);
  aruWinsock names;
  char hostName[256] = {};
  if (names.GetHostName(hostName, sizeof hostName - 1) != 0) std::strcpy(hostName, "Rallix");
  answerSize = MakeLanAnswer(gamePort, hostName, answer);
  return true;
}

int LanResponder::Poll(bool waiting) {
  if (!IsOpen()) return 0;
  int answered = 0;
  char buffer[64];
  for (;;) {
    sockaddr_in from;
    int fromLength = sizeof from;
    const int size = recvfrom(AsSocket(socketHandle), buffer, sizeof buffer, 0,
                              reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size == SOCKET_ERROR && WSAGetLastError() != WSAEMSGSIZE) break;
    if (!waiting || !IsLanQuery(buffer, size)) continue;
    if (sendto(AsSocket(socketHandle), answer, int(answerSize), 0,
               reinterpret_cast<const sockaddr*>(&from), fromLength) == int(answerSize)) {
      ++answered;
    }
  }
  return answered;
}

LanSearch::~LanSearch() { Close(); }

void LanSearch::Close() { CloseSocket(socketHandle); }

bool LanSearch::Start(int32_t gamePort) {
  Close();
  hosts.clear();
  StartWinsock();
  const SOCKET s = OpenSocket(0, true);
  if (s == noSocket) {
    WSACleanup();
    return false;
  }
  socketHandle = static_cast<uintptr_t>(s);
  if (SendQueries(s, LanDiscoveryPort(gamePort)) > 0) return true;
  Close();
  return false;
}

void LanSearch::Poll() {
  if (AsSocket(socketHandle) == noSocket) return;
  char buffer[lanAnswerLimit + 1];
  for (;;) {
    sockaddr_in from;
    int fromLength = sizeof from;
    const int size = recvfrom(AsSocket(socketHandle), buffer, sizeof buffer, 0,
                              reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size == SOCKET_ERROR && WSAGetLastError() != WSAEMSGSIZE) return;
    LanHost host;
    if (!ReadLanAnswer(buffer, size, host.port, host.name)) continue;
    const bool known = std::any_of(hosts.begin(), hosts.end(), [&](const LanHost& other) {
      return other.name == host.name && other.port == host.port;
    });
    if (known) continue;
    host.address = DottedAddress(from.sin_addr.s_addr);
    hosts.push_back(std::move(host));
  }
}

std::vector<LanHost> FindLanHosts(int32_t gamePort, uint32_t waitMs, bool firstOnly) {
  LanSearch search;
  if (!search.Start(gamePort)) return {};
  const DWORD start = GetTickCount();
  for (;;) {
    search.Poll();
    if (firstOnly && !search.Hosts().empty()) break;
    if (GetTickCount() - start >= waitMs) break;
    Sleep(10);
  }
  return search.Hosts();
}
