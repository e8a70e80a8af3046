// IPv4 datagram sockets and the interface list (getifaddrs) for the Winsock functions.
#include "winsock/posix_sockets.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::winsock {

namespace {

sockaddr_in Ipv4(uint32_t address, uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_addr.s_addr = address;
  result.sin_port = port;
  return result;
}

uint32_t AddressOf(const sockaddr* address) {
  if (address == nullptr || address->sa_family != AF_INET) return 0;
  return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

bool Check(int result, int& error) {
  if (result == 0) return true;
  error = errno;
  return false;
}

}  // namespace

int OpenDatagramSocket(int& error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) error = errno;
  return fd;
}

bool BindIpv4(int fd, uint32_t address, uint16_t port, int& error) {
  const sockaddr_in local = Ipv4(address, port);
  return Check(::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local), error);
}

bool SetSocketFlag(int fd, SocketFlag flag, bool on, int& error) {
  const int value = on ? 1 : 0;
  const int name = flag == SocketFlag::broadcast ? SO_BROADCAST : SO_REUSEADDR;
  return Check(::setsockopt(fd, SOL_SOCKET, name, &value, sizeof value), error);
}

bool SetNonBlocking(int fd, bool on, int& error) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) {
    error = errno;
    return false;
  }
  return Check(::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK), error);
}

long SendTo(int fd, const void* data, size_t size, uint32_t address, uint16_t port, int& error) {
  const sockaddr_in to = Ipv4(address, port);
  const ssize_t sent =
      ::sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (sent < 0) error = errno;
  return long(sent);
}

long ReceiveFrom(int fd, void* data, size_t size, uint32_t& address, uint16_t& port,
                 bool& truncated, int& error) {
  sockaddr_in from{};
  socklen_t fromSize = sizeof from;
  // MSG_TRUNC makes the call report the datagram's whole length.
  const ssize_t received =
      ::recvfrom(fd, data, size, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromSize);
  if (received < 0) {
    error = errno;
    return -1;
  }
  address = from.sin_addr.s_addr;
  port = from.sin_port;
  truncated = size_t(received) > size;
  return truncated ? long(size) : long(received);
}

bool CloseSocket(int fd, int& error) { return Check(::close(fd), error); }

bool IsSocket(int fd) {
  struct stat status {};
  return fd >= 0 && ::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode);
}

bool ListIpv4Interfaces(std::vector<Ipv4Interface>& interfaces, int& error) {
  ifaddrs* list = nullptr;
  if (!Check(::getifaddrs(&list), error)) return false;
  interfaces.clear();
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    Ipv4Interface found;
    found.up = (entry->ifa_flags & IFF_UP) != 0;
    found.broadcast = (entry->ifa_flags & IFF_BROADCAST) != 0;
    found.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    found.pointToPoint = (entry->ifa_flags & IFF_POINTOPOINT) != 0;
    found.multicast = (entry->ifa_flags & IFF_MULTICAST) != 0;
    found.address = AddressOf(entry->ifa_addr);
    found.netmask = AddressOf(entry->ifa_netmask);
    if (found.broadcast) found.broadcastAddress = AddressOf(entry->ifa_broadaddr);
    interfaces.push_back(found);
  }
  ::freeifaddrs(list);
  return true;
}

}  // namespace platform::winsock
