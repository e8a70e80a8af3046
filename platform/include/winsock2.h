// Winsock subset: start-up and clean-up, the local host name and a host-name look-up, and IPv4
// datagram sockets (socket, bind, setsockopt, sendto, recvfrom, ioctlsocket, closesocket, and
// WSAIoctl's interface list of ws2tcpip.h). On POSIX there is nothing to start; a SOCKET is a
// file descriptor; the look-up answers IPv4 addresses only. Implemented in platform/src/winsock.
#pragma once

#include <windows.h>

#include <cstdint>

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
#define WSAAPI WINAPI
#define SOCKET_ERROR (-1)
#define AF_INET 2
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAENOTSOCK 10038
#define WSAEMSGSIZE 10040
#define WSAEPROTONOSUPPORT 10043
#define WSAEOPNOTSUPP 10045
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001

// The same types as the system's own BSD names, so both can be seen at once.
typedef unsigned char u_char;
typedef unsigned short u_short;
typedef unsigned int u_int;
typedef unsigned long u_long;

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET ((SOCKET)(~0))
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_UDP 17
#define SOL_SOCKET 0xffff
#define SO_REUSEADDR 0x0004
#define SO_BROADCAST 0x0020
#define INADDR_ANY ((u_long)0x00000000)
#define INADDR_LOOPBACK 0x7f000001
#define INADDR_BROADCAST ((u_long)0xffffffff)
#define FIONBIO ((long)0x8004667E)

struct in_addr {
  uint32_t s_addr;  // network byte order
};
struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};
struct sockaddr_in {
  short sin_family;
  u_short sin_port;  // network byte order
  struct in_addr sin_addr;
  char sin_zero[8];
};
typedef struct sockaddr SOCKADDR;
typedef struct sockaddr_in SOCKADDR_IN;

typedef struct WSAData {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
} WSADATA, *LPWSADATA;

struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
#define h_addr h_addr_list[0]
typedef struct hostent HOSTENT, *PHOSTENT, *LPHOSTENT;

int WSAAPI WSAStartup(WORD versionRequested, LPWSADATA data);
int WSAAPI WSACleanup();
int WSAAPI WSAGetLastError();
void WSAAPI WSASetLastError(int error);
int WSAAPI gethostname(char* name, int nameLength);
// The result belongs to the calling thread and stays valid until its next gethostbyname call.
struct hostent* WSAAPI gethostbyname(const char* name);

u_short WSAAPI htons(u_short value);
u_short WSAAPI ntohs(u_short value);
u_long WSAAPI htonl(u_long value);
u_long WSAAPI ntohl(u_long value);

// IPv4 only: af must be AF_INET. Datagram sockets are what the game uses.
SOCKET WSAAPI socket(int af, int type, int protocol);
int WSAAPI bind(SOCKET s, const struct sockaddr* name, int nameLength);
// SOL_SOCKET with SO_BROADCAST or SO_REUSEADDR; the value is an int or a BOOL.
int WSAAPI setsockopt(SOCKET s, int level, int name, const char* value, int valueLength);
int WSAAPI sendto(SOCKET s, const char* buffer, int length, int flags, const struct sockaddr* to,
                  int toLength);
// A datagram longer than the buffer is cut and reported as WSAEMSGSIZE, as Winsock does.
int WSAAPI recvfrom(SOCKET s, char* buffer, int length, int flags, struct sockaddr* from,
                    int* fromLength);
// FIONBIO only: a non-zero value makes the socket non-blocking (then WSAEWOULDBLOCK).
int WSAAPI ioctlsocket(SOCKET s, long command, u_long* argument);
int WSAAPI closesocket(SOCKET s);

typedef struct _OVERLAPPED* LPWSAOVERLAPPED;
typedef void(CALLBACK* LPWSAOVERLAPPED_COMPLETION_ROUTINE)(DWORD error, DWORD transferred,
                                                           LPWSAOVERLAPPED overlapped, DWORD flags);
// SIO_GET_INTERFACE_LIST (ws2tcpip.h) only, without overlapped I/O.
int WSAAPI WSAIoctl(SOCKET s, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                    LPDWORD returned, LPWSAOVERLAPPED overlapped,
                    LPWSAOVERLAPPED_COMPLETION_ROUTINE completion);
