// The POSIX name services behind our Winsock functions, kept apart because the system's netdb.h
// declares hostent and gethostbyname with other layouts and linkage than Winsock's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::winsock {

// The local host name; false when it does not fit in size bytes with its terminator.
bool LocalHostName(char* name, size_t size);
// The IPv4 addresses of a name (network byte order) and its canonical name; false when the
// name does not resolve.
bool LookUpIpv4(const char* name, std::string& canonicalName, std::vector<uint32_t>& addresses);

}  // namespace platform::winsock
