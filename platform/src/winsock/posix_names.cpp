// Host name and IPv4 look-up through getaddrinfo, for the Winsock functions.
#include "winsock/posix_names.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace platform::winsock {

bool LocalHostName(char* name, size_t size) {
  return ::gethostname(name, size) == 0 && std::memchr(name, '\0', size) != nullptr;
}

bool LookUpIpv4(const char* name, std::string& canonicalName, std::vector<uint32_t>& addresses) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found) return false;
  canonicalName = found->ai_canonname ? found->ai_canonname : name;
  addresses.clear();
  for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
    const uint32_t address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) addresses.push_back(address);
  }
  freeaddrinfo(found);
  return !addresses.empty();
}

}  // namespace platform::winsock
