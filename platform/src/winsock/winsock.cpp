// Winsock on POSIX: start-up only counts its callers (there is nothing to load), the host name
// comes from the system, and gethostbyname answers IPv4 addresses in a per-thread result, as
// Winsock keeps one result per thread.
#include <winsock2.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "winsock/posix_names.h"

namespace {

std::atomic<int> startups{0};
thread_local int lastError = 0;

// One thread's gethostbyname result and the storage its pointers refer to.
struct HostEntry {
  hostent entry{};
  std::string name;
  std::vector<uint32_t> addresses;
  std::vector<char*> addressPointers;
  char* noAliases[1] = {nullptr};
};
thread_local HostEntry hostEntry;

}  // namespace

int WSAAPI WSAStartup(WORD versionRequested, LPWSADATA data) {
  if (!data) return WSAEFAULT;
  std::memset(data, 0, sizeof(*data));
  data->wHighVersion = MAKEWORD(2, 2);
  if (LOBYTE(versionRequested) < 1) {
    data->wVersion = MAKEWORD(2, 2);
    return WSAVERNOTSUPPORTED;
  }
  // The version used is the one asked for, up to the highest there is.
  const BYTE major = LOBYTE(versionRequested), minor = HIBYTE(versionRequested);
  data->wVersion = (major > 2 || (major == 2 && minor >= 2)) ? MAKEWORD(2, 2) : versionRequested;
  data->iMaxSockets = 0;
  data->iMaxUdpDg = 0;
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  ++startups;
  return 0;
}

int WSAAPI WSACleanup() {
  int count = startups.load();
  while (count > 0 && !startups.compare_exchange_weak(count, count - 1)) {
  }
  if (count > 0) return 0;
  lastError = WSANOTINITIALISED;
  return SOCKET_ERROR;
}

int WSAAPI WSAGetLastError() { return lastError; }
void WSAAPI WSASetLastError(int error) { lastError = error; }

int WSAAPI gethostname(char* name, int nameLength) {
  if (!name || nameLength <= 0) {
    lastError = WSAEFAULT;
    return SOCKET_ERROR;
  }
  if (!platform::winsock::LocalHostName(name, static_cast<size_t>(nameLength))) {
    // The name did not fit, terminator included.
    lastError = WSAEFAULT;
    return SOCKET_ERROR;
  }
  return 0;
}

struct hostent* WSAAPI gethostbyname(const char* name) {
  if (!name) {
    lastError = WSAEFAULT;
    return nullptr;
  }
  HostEntry& result = hostEntry;
  if (!platform::winsock::LookUpIpv4(name, result.name, result.addresses)) {
    lastError = WSAHOST_NOT_FOUND;
    return nullptr;
  }
  result.addressPointers.clear();
  for (uint32_t& address : result.addresses) result.addressPointers.push_back(reinterpret_cast<char*>(&address));
  result.addressPointers.push_back(nullptr);
  result.entry.h_name = result.name.data();
  result.entry.h_aliases = result.noAliases;
  result.entry.h_addrtype = AF_INET;
  result.entry.h_length = sizeof(uint32_t);
  result.entry.h_addr_list = result.addressPointers.data();
  return &result.entry;
}
