// The address object's components, the Winsock subset, and MultiByteToWideChar as the session
// wrappers use it for session names, passwords and host names.
#include <dplay8.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstring>
#include <cwchar>

namespace {

class AddressObject : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                               reinterpret_cast<void**>(&address)), S_OK);
  }
  void TearDown() override {
    address->Release();
    CoUninitialize();
  }
  IDirectPlay8Address* address = nullptr;
};

TEST_F(AddressObject, KeepsPortAndHostNameAndReplacesARepeatedComponent) {
  ASSERT_EQ(address->SetSP(&CLSID_DP8SP_TCPIP), DPN_OK);
  GUID provider{};
  EXPECT_EQ(address->GetSP(&provider), DPN_OK);
  EXPECT_EQ(provider, CLSID_DP8SP_TCPIP);

  DWORD port = 2205;
  ASSERT_EQ(address->AddComponent(DPNA_KEY_PORT, &port, sizeof(port), DPNA_DATATYPE_DWORD), DPN_OK);
  port = 2206;
  ASSERT_EQ(address->AddComponent(L"port", &port, sizeof(port), DPNA_DATATYPE_DWORD), DPN_OK);
  const wchar_t host[] = L"rallix-host";
  ASSERT_EQ(address->AddComponent(DPNA_KEY_HOSTNAME, host, sizeof(host), DPNA_DATATYPE_STRING), DPN_OK);
  DWORD count = 0;
  EXPECT_EQ(address->GetNumComponents(&count), DPN_OK);
  EXPECT_EQ(count, 2u);

  DWORD value = 0, size = sizeof(value), type = 0;
  ASSERT_EQ(address->GetComponentByName(DPNA_KEY_PORT, &value, &size, &type), DPN_OK);
  EXPECT_EQ(value, 2206u);
  EXPECT_EQ(type, static_cast<DWORD>(DPNA_DATATYPE_DWORD));
  // Too small a buffer reports the size needed.
  wchar_t name[4];
  size = sizeof(name);
  EXPECT_EQ(address->GetComponentByName(DPNA_KEY_HOSTNAME, name, &size, &type), DPNERR_BUFFERTOOSMALL);
  EXPECT_EQ(size, sizeof(host));

  IDirectPlay8Address* copy = nullptr;
  ASSERT_EQ(address->Duplicate(&copy), DPN_OK);
  wchar_t copied[32];
  size = sizeof(copied);
  ASSERT_EQ(copy->GetComponentByName(DPNA_KEY_HOSTNAME, copied, &size, &type), DPN_OK);
  EXPECT_STREQ(copied, host);
  copy->Release();
}

TEST_F(AddressObject, RefusesMalformedComponentsAndOtherProviders) {
  const GUID other = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 4}};
  EXPECT_NE(address->SetSP(&other), DPN_OK);
  WORD shortPort = 2205;
  EXPECT_EQ(address->AddComponent(DPNA_KEY_PORT, &shortPort, sizeof(shortPort), DPNA_DATATYPE_DWORD),
            DPNERR_INVALIDPARAM);
  // A wide string without its terminator, or cut in the middle of a character.
  const wchar_t unterminated[3] = {L'a', L'b', L'c'};
  EXPECT_EQ(address->AddComponent(DPNA_KEY_HOSTNAME, unterminated, sizeof(unterminated), DPNA_DATATYPE_STRING),
            DPNERR_INVALIDPARAM);
  const wchar_t terminated[] = L"ab";
  EXPECT_EQ(address->AddComponent(DPNA_KEY_HOSTNAME, terminated, sizeof(terminated) - 1, DPNA_DATATYPE_STRING),
            DPNERR_INVALIDPARAM);
  DWORD count = 1;
  EXPECT_EQ(address->GetNumComponents(&count), DPN_OK);
  EXPECT_EQ(count, 0u);
}

TEST(Winsock, StartsForVersionTwoAndCleansUpOnlyWhatWasStarted) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
  EXPECT_EQ(data.wVersion, MAKEWORD(2, 0));
  EXPECT_EQ(WSACleanup(), 0);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(Winsock, LooksUpTheLocalHostAndRefusesUnknownNamesAndShortBuffers) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
  char name[255] = {};
  ASSERT_EQ(gethostname(name, 254), 0);
  EXPECT_GT(std::strlen(name), 0u);
  char tiny[1];
  EXPECT_EQ(gethostname(tiny, sizeof(tiny)), SOCKET_ERROR);

  const hostent* local = gethostbyname("localhost");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->h_addrtype, AF_INET);
  EXPECT_EQ(local->h_length, 4);
  ASSERT_NE(local->h_addr_list[0], nullptr);
  const unsigned char loopback[4] = {127, 0, 0, 1};
  EXPECT_EQ(std::memcmp(local->h_addr_list[0], loopback, 4), 0);

  EXPECT_EQ(gethostbyname("no-such-host.invalid"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
  EXPECT_EQ(WSACleanup(), 0);
}

TEST(MultiByteToWideChar, ConvertsWholeTextWithTerminatorAndReportsTooSmallBuffers) {
  wchar_t wide[512];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Rallix", -1, wide, 511), 7);
  EXPECT_STREQ(wide, L"Rallix");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Rallix", -1, nullptr, 0), 7);  // size query
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Rallix", 3, wide, 511), 3);   // no terminator added

  wchar_t small[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Rallix", -1, small, 4), 0);
  EXPECT_EQ(GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER

  // UTF-8 is decoded; a broken sequence becomes U+FFFD unless asked to fail.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xC3\xA9t\xC3", -1, wide, 511), 4);
  EXPECT_EQ(wide[0], L'\u00E9');
  EXPECT_EQ(wide[1], L't');
  EXPECT_EQ(wide[2], L'\uFFFD');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "t\xC3", -1, wide, 511), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 511), 0);
}

}  // namespace
