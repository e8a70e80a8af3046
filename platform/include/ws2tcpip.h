// Winsock TCP/IP additions: the interface list that WSAIoctl(SIO_GET_INTERFACE_LIST) fills, one
// INTERFACE_INFO per IPv4 interface with its flags, address, broadcast address and mask.
#pragma once

#include <winsock2.h>

#define SIO_GET_INTERFACE_LIST 0x4004747F

#define IFF_UP 0x00000001
#define IFF_BROADCAST 0x00000002
#define IFF_LOOPBACK 0x00000004
#define IFF_POINTTOPOINT 0x00000008
#define IFF_MULTICAST 0x00000010

typedef union sockaddr_gen {
  struct sockaddr Address;
  struct sockaddr_in AddressIn;
  char AddressIn6[24];  // IPv6 is not listed here
} sockaddr_gen;

typedef struct _INTERFACE_INFO {
  u_long iiFlags;
  sockaddr_gen iiAddress;
  sockaddr_gen iiBroadcastAddress;
  sockaddr_gen iiNetmask;
} INTERFACE_INFO, *LPINTERFACE_INFO;
