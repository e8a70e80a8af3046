// aruWinsock: Winsock started for the lifetime of the object, enough to read this computer's
// host name and its IPv4 address for the host set-up screen. It opens no socket.
#pragma once

#include <cstdint>

class aruWinsock {
 public:
  // Asks for Winsock 2.0; a failed start-up shows up as failing look-ups.
  aruWinsock();
  ~aruWinsock();
  aruWinsock(const aruWinsock&) = delete;
  aruWinsock& operator=(const aruWinsock&) = delete;

  // gethostname into `name`, at most `limit` bytes; 0 on success.
  int GetHostName(char* name, int limit);
  // The first IPv4 address of `name`, four bytes in network order. False (and zeros) when the
  // name does not resolve to an IPv4 address.
  bool LookUpHost(const char* name, uint8_t (&address)[4]);
};

// The host name and address line's facts, looked up with a Winsock started just for it.
struct OwnAddress {
  char name[255] = {};
  uint8_t address[4] = {};
  bool resolved = false;
};
OwnAddress LookUpOwnAddress();
