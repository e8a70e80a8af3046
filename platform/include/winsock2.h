// Winsock subset: start-up and clean-up, the local host name and a host-name look-up. On POSIX
// there is nothing to start; the look-up answers IPv4 addresses only. Implemented in
// platform/src/winsock.
#pragma once

#include <windows.h>

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
#define WSAAPI WINAPI
#define SOCKET_ERROR (-1)
#define AF_INET 2
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001

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
