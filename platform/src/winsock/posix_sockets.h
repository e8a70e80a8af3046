// The POSIX datagram socket calls behind our Winsock socket functions, in neutral types (file
// descriptors, addresses and ports in network byte order, errno values), because the system's
// socket headers and Winsock's declare the same names differently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::winsock {

// Every call returns -1 (or false) on failure and leaves the errno value in `error`.
int OpenDatagramSocket(int& error);
bool BindIpv4(int fd, uint32_t address, uint16_t port, int& error);
enum class SocketFlag { broadcast, reuseAddress };
bool SetSocketFlag(int fd, SocketFlag flag, bool on, int& error);
bool SetNonBlocking(int fd, bool on, int& error);
long SendTo(int fd, const void* data, size_t size, uint32_t address, uint16_t port, int& error);
// `truncated` is set when the datagram was longer than `size`.
long ReceiveFrom(int fd, void* data, size_t size, uint32_t& address, uint16_t& port,
                 bool& truncated, int& error);
bool CloseSocket(int fd, int& error);
// The descriptor is open and is a socket.
bool IsSocket(int fd);

struct Ipv4Interface {
  bool up = false;
  bool broadcast = false;
  bool loopback = false;
  bool pointToPoint = false;
  bool multicast = false;
  uint32_t address = 0;
  uint32_t broadcastAddress = 0;
  uint32_t netmask = 0;
};
bool ListIpv4Interfaces(std::vector<Ipv4Interface>& interfaces, int& error);

}  // namespace platform::winsock
