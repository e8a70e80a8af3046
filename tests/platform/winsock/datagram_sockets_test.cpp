// The Winsock datagram calls on POSIX: a round trip on loopback with the sender's address, a
// non-blocking read with nothing waiting, a datagram longer than the buffer, the interface list,
// and the error codes of bad handles and unsupported requests.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <random>

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address;
  std::memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(u_short(port));
  return address;
}

class Datagrams : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    for (SOCKET* s : {&receiver, &sender}) {
      *s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
      ASSERT_NE(*s, INVALID_SOCKET);
    }
    static std::mt19937 random{std::random_device{}()};
    port = std::uniform_int_distribution<int>(20000, 60000)(random);
    const sockaddr_in here = Loopback(port);
    ASSERT_EQ(bind(receiver, reinterpret_cast<const sockaddr*>(&here), sizeof here), 0);
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(receiver, FIONBIO, &on), 0);
  }
  void TearDown() override {
    closesocket(receiver);
    closesocket(sender);
    WSACleanup();
  }
  int Send(const char* text, int size) {
    const sockaddr_in to = Loopback(port);
    return sendto(sender, text, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  SOCKET receiver = INVALID_SOCKET;
  SOCKET sender = INVALID_SOCKET;
  int port = 0;
};

TEST(WinsockBytes, NetworkOrderSwapsOnThisMachine) {
  EXPECT_EQ(htons(0x1234), 0x3412);
  EXPECT_EQ(ntohs(htons(2205)), 2205);
  EXPECT_EQ(htonl(0x7f000001UL), 0x0100007fUL);
  EXPECT_EQ(ntohl(htonl(0xC0A80001UL)), 0xC0A80001UL);
}

TEST_F(Datagrams, RoundTripOnLoopbackNamesTheSender) {
  char buffer[32];
  sockaddr_in from;
  int fromLength = sizeof from;
  // Nothing waiting yet: a non-blocking socket says so instead of waiting.
  EXPECT_EQ(recvfrom(receiver, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength),
            SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  ASSERT_EQ(Send("ping", 4), 4);
  int size = SOCKET_ERROR;
  for (int i = 0; i < 100 && size == SOCKET_ERROR; ++i) {
    fromLength = sizeof from;
    size = recvfrom(receiver, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size == SOCKET_ERROR) Sleep(5);
  }
  ASSERT_EQ(size, 4);
  EXPECT_EQ(std::memcmp(buffer, "ping", 4), 0);
  EXPECT_EQ(from.sin_family, AF_INET);
  EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
  EXPECT_NE(from.sin_port, 0);
  EXPECT_EQ(fromLength, int(sizeof(sockaddr_in)));

  // The answer goes back to the address the datagram came from.
  ASSERT_EQ(sendto(receiver, "pong", 4, 0, reinterpret_cast<const sockaddr*>(&from), fromLength), 4);
  size = SOCKET_ERROR;
  for (int i = 0; i < 100 && size == SOCKET_ERROR; ++i) {
    size = recvfrom(sender, buffer, sizeof buffer, 0, nullptr, nullptr);
  }
  EXPECT_EQ(size, 4);
}

TEST_F(Datagrams, ALongerDatagramIsCutAndReportedAsTooLong) {
  ASSERT_EQ(Send("0123456789", 10), 10);
  char buffer[4];
  int size = SOCKET_ERROR;
  for (int i = 0; i < 100; ++i) {
    size = recvfrom(receiver, buffer, sizeof buffer, 0, nullptr, nullptr);
    if (size != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK) break;
    Sleep(5);
  }
  EXPECT_EQ(size, SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
  EXPECT_EQ(std::memcmp(buffer, "0123", 4), 0);
}

TEST_F(Datagrams, InterfaceListHoldsTheLoopbackAndBroadcastAddresses) {
  INTERFACE_INFO interfaces[32];
  DWORD returned = 0;
  ASSERT_EQ(WSAIoctl(sender, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces, &returned,
                     nullptr, nullptr),
            0);
  ASSERT_EQ(returned % sizeof(INTERFACE_INFO), 0u);
  bool loopback = false;
  for (size_t i = 0; i < returned / sizeof(INTERFACE_INFO); ++i) {
    const INTERFACE_INFO& info = interfaces[i];
    EXPECT_EQ(info.iiAddress.AddressIn.sin_family, AF_INET);
    if ((info.iiFlags & IFF_LOOPBACK) != 0) {
      loopback = true;
      EXPECT_EQ(info.iiAddress.AddressIn.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    }
    if ((info.iiFlags & IFF_BROADCAST) != 0) {
      // The broadcast address lies in the interface's own network.
      const uint32_t mask = info.iiNetmask.AddressIn.sin_addr.s_addr;
      EXPECT_EQ(info.iiBroadcastAddress.AddressIn.sin_addr.s_addr & mask,
                info.iiAddress.AddressIn.sin_addr.s_addr & mask);
    }
  }
  EXPECT_TRUE(loopback);
  // Too small a buffer is refused, not overrun.
  EXPECT_EQ(WSAIoctl(sender, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, 1, &returned, nullptr, nullptr),
            SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(Datagrams, BadHandlesAndUnsupportedRequestsGiveWinsockCodes) {
  char buffer[4] = {};
  EXPECT_EQ(recvfrom(INVALID_SOCKET, buffer, 4, 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(closesocket(SOCKET(0)), SOCKET_ERROR);  // standard input is not a socket
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(socket(23, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  u_long value = 1;
  EXPECT_EQ(ioctlsocket(sender, 0x4004667F, &value), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  const BOOL on = TRUE;
  EXPECT_EQ(setsockopt(sender, SOL_SOCKET, 0x0080, reinterpret_cast<const char*>(&on), sizeof on),
            SOCKET_ERROR);
  EXPECT_EQ(setsockopt(sender, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on), 0);
  // A second socket cannot take the receiver's port without SO_REUSEADDR on both.
  SOCKET second = socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in taken = Loopback(port);
  EXPECT_EQ(bind(second, reinterpret_cast<const sockaddr*>(&taken), sizeof taken), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  EXPECT_EQ(closesocket(second), 0);
}

}  // namespace
