// Winsock on POSIX: start-up only counts its callers (there is nothing to load), the host name
// comes from the system, and gethostbyname answers IPv4 addresses in a per-thread result, as
// Winsock keeps one result per thread. Datagram sockets are file descriptors; errno values are
// turned into Winsock's error codes, kept per thread for WSAGetLastError.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "winsock/posix_names.h"
#include "winsock/posix_sockets.h"

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

namespace {

namespace posix = platform::winsock;

int WinsockError(int error) {
  switch (error) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES: case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case ENOTSOCK: return WSAENOTSOCK;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ECONNREFUSED: case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS: case ENOMEM: return WSAENOBUFS;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
  }
}

int Fail(int winsockError) {
  lastError = winsockError;
  return SOCKET_ERROR;
}
int FailWithErrno(int error) { return Fail(WinsockError(error)); }

// A SOCKET that names an open socket descriptor, or -1 with WSAENOTSOCK set.
int Descriptor(SOCKET s) {
  if (s == INVALID_SOCKET || s > SOCKET(INT_MAX) || !posix::IsSocket(int(s))) {
    lastError = WSAENOTSOCK;
    return -1;
  }
  return int(s);
}

// An IPv4 socket address given by the caller: the address and port, or false.
bool ReadIpv4(const struct sockaddr* name, int length, uint32_t& address, uint16_t& port) {
  if (name == nullptr || length < int(sizeof(sockaddr_in))) {
    lastError = WSAEFAULT;
    return false;
  }
  sockaddr_in ipv4;
  std::memcpy(&ipv4, name, sizeof ipv4);
  if (ipv4.sin_family != AF_INET) {
    lastError = WSAEAFNOSUPPORT;
    return false;
  }
  address = ipv4.sin_addr.s_addr;
  port = ipv4.sin_port;
  return true;
}

sockaddr_gen Ipv4Gen(uint32_t address) {
  sockaddr_gen result;
  std::memset(&result, 0, sizeof result);
  result.AddressIn.sin_family = AF_INET;
  result.AddressIn.sin_addr.s_addr = address;
  return result;
}

INTERFACE_INFO InterfaceInfo(const posix::Ipv4Interface& found) {
  INTERFACE_INFO info;
  std::memset(&info, 0, sizeof info);
  info.iiFlags = (found.up ? IFF_UP : 0) | (found.broadcast ? IFF_BROADCAST : 0) |
                 (found.loopback ? IFF_LOOPBACK : 0) | (found.pointToPoint ? IFF_POINTTOPOINT : 0) |
                 (found.multicast ? IFF_MULTICAST : 0);
  info.iiAddress = Ipv4Gen(found.address);
  info.iiBroadcastAddress = Ipv4Gen(found.broadcastAddress);
  info.iiNetmask = Ipv4Gen(found.netmask);
  return info;
}

}  // namespace

u_short WSAAPI htons(u_short value) { return __builtin_bswap16(value); }
u_short WSAAPI ntohs(u_short value) { return __builtin_bswap16(value); }
u_long WSAAPI htonl(u_long value) { return __builtin_bswap32(uint32_t(value)); }
u_long WSAAPI ntohl(u_long value) { return __builtin_bswap32(uint32_t(value)); }

SOCKET WSAAPI socket(int af, int type, int protocol) {
  if (af != AF_INET) {
    lastError = WSAEAFNOSUPPORT;
    return INVALID_SOCKET;
  }
  if (type != SOCK_DGRAM || (protocol != 0 && protocol != IPPROTO_UDP)) {
    lastError = WSAEPROTONOSUPPORT;
    return INVALID_SOCKET;
  }
  int error = 0;
  const int fd = posix::OpenDatagramSocket(error);
  if (fd < 0) {
    lastError = WinsockError(error);
    return INVALID_SOCKET;
  }
  return SOCKET(fd);
}

int WSAAPI bind(SOCKET s, const struct sockaddr* name, int nameLength) {
  const int fd = Descriptor(s);
  uint32_t address = 0;
  uint16_t port = 0;
  if (fd < 0 || !ReadIpv4(name, nameLength, address, port)) return SOCKET_ERROR;
  int error = 0;
  return posix::BindIpv4(fd, address, port, error) ? 0 : FailWithErrno(error);
}

int WSAAPI setsockopt(SOCKET s, int level, int name, const char* value, int valueLength) {
  const int fd = Descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (level != SOL_SOCKET || (name != SO_BROADCAST && name != SO_REUSEADDR)) {
    return Fail(WSAEINVAL);
  }
  if (value == nullptr || valueLength < 1) return Fail(WSAEFAULT);
  // Winsock takes a BOOL (or an int); a single byte is taken as is.
  int on = 0;
  std::memcpy(&on, value, valueLength >= int(sizeof on) ? sizeof on : 1);
  int error = 0;
  const auto flag = name == SO_BROADCAST ? posix::SocketFlag::broadcast : posix::SocketFlag::reuseAddress;
  return posix::SetSocketFlag(fd, flag, on != 0, error) ? 0 : FailWithErrno(error);
}

int WSAAPI sendto(SOCKET s, const char* buffer, int length, int flags, const struct sockaddr* to,
                  int toLength) {
  const int fd = Descriptor(s);
  uint32_t address = 0;
  uint16_t port = 0;
  if (fd < 0 || !ReadIpv4(to, toLength, address, port)) return SOCKET_ERROR;
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (length < 0 || (buffer == nullptr && length > 0)) return Fail(WSAEFAULT);
  int error = 0;
  const long sent = posix::SendTo(fd, buffer, size_t(length), address, port, error);
  return sent < 0 ? FailWithErrno(error) : int(sent);
}

int WSAAPI recvfrom(SOCKET s, char* buffer, int length, int flags, struct sockaddr* from,
                    int* fromLength) {
  const int fd = Descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (flags != 0) return Fail(WSAEOPNOTSUPP);
  if (length < 0 || (buffer == nullptr && length > 0)) return Fail(WSAEFAULT);
  if (from != nullptr && (fromLength == nullptr || *fromLength < int(sizeof(sockaddr_in)))) {
    return Fail(WSAEFAULT);
  }
  uint32_t address = 0;
  uint16_t port = 0;
  bool truncated = false;
  int error = 0;
  const long received =
      posix::ReceiveFrom(fd, buffer, size_t(length), address, port, truncated, error);
  if (received < 0) return FailWithErrno(error);
  if (from != nullptr) {
    sockaddr_in sender;
    std::memset(&sender, 0, sizeof sender);
    sender.sin_family = AF_INET;
    sender.sin_addr.s_addr = address;
    sender.sin_port = port;
    std::memcpy(from, &sender, sizeof sender);
    *fromLength = int(sizeof sender);
  }
  return truncated ? Fail(WSAEMSGSIZE) : int(received);
}

int WSAAPI ioctlsocket(SOCKET s, long command, u_long* argument) {
  const int fd = Descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (command != FIONBIO) return Fail(WSAEINVAL);
  if (argument == nullptr) return Fail(WSAEFAULT);
  int error = 0;
  return posix::SetNonBlocking(fd, *argument != 0, error) ? 0 : FailWithErrno(error);
}

int WSAAPI closesocket(SOCKET s) {
  const int fd = Descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  int error = 0;
  return posix::CloseSocket(fd, error) ? 0 : FailWithErrno(error);
}

int WSAAPI WSAIoctl(SOCKET s, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize,
                    LPDWORD returned, LPWSAOVERLAPPED overlapped,
                    LPWSAOVERLAPPED_COMPLETION_ROUTINE completion) {
  if (Descriptor(s) < 0) return SOCKET_ERROR;
  if (code != SIO_GET_INTERFACE_LIST || overlapped != nullptr || completion != nullptr) {
    return Fail(WSAEINVAL);
  }
  if (out == nullptr || returned == nullptr) return Fail(WSAEFAULT);
  std::vector<posix::Ipv4Interface> interfaces;
  int error = 0;
  if (!posix::ListIpv4Interfaces(interfaces, error)) return FailWithErrno(error);
  const size_t needed = interfaces.size() * sizeof(INTERFACE_INFO);
  if (outSize < needed) return Fail(WSAEFAULT);
  auto* info = static_cast<INTERFACE_INFO*>(out);
  for (size_t i = 0; i < interfaces.size(); ++i) info[i] = InterfaceInfo(interfaces[i]);
  *returned = DWORD(needed);
  return 0;
}
