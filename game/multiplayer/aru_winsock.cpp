// aruWinsock over the Winsock start-up, host-name and look-up calls.
#include "aru_winsock.h"

#include <winsock2.h>

#include <cstring>

aruWinsock::aruWinsock() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 0), &data);
}

aruWinsock::~aruWinsock() { WSACleanup(); }

int aruWinsock::GetHostName(char* name, int limit) { return gethostname(name, limit); }

bool aruWinsock::LookUpHost(const char* name, uint8_t (&address)[4]) {
  std::memset(address, 0, sizeof address);
  const hostent* host = gethostbyname(name);
  if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list == nullptr ||
      host->h_addr_list[0] == nullptr) {
    return false;
  }
  std::memcpy(address, host->h_addr_list[0], sizeof address);
  return true;
}

OwnAddress LookUpOwnAddress() {
  OwnAddress own;
  aruWinsock winsock;
  if (winsock.GetHostName(own.name, sizeof own.name - 1) != 0) return own;
  own.resolved = winsock.LookUpHost(own.name, own.address);
  return own;
}
