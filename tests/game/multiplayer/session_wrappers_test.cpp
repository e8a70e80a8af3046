// The host's and the joining side's wrappers, checked against recording DirectPlay objects:
// the application description, the address components, the send arguments, and that a
// wrapper without a DirectPlay object calls nothing and fails.
#include <gtest/gtest.h>

#include <cwchar>

#include "fake_directplay.h"
#include "multiplayer/dp_session.h"

namespace {

DWORD PortOf(const fakes::FakeAddress& address) {
  const auto& component = address.components.at(L"port");
  EXPECT_EQ(component.type, DWORD(DPNA_DATATYPE_DWORD));
  EXPECT_EQ(component.bytes.size(), 4u);
  DWORD port = 0;
  std::memcpy(&port, component.bytes.data(), sizeof port);
  return port;
}

class HostWrapper : public testing::Test {
 protected:
  HostWrapper() {
    server.dp = &fakeServer;
    server.deviceAddress = &device;
  }
  ~HostWrapper() override {
    server.dp = nullptr;  // the fakes live on the stack; nothing to release
    server.deviceAddress = nullptr;
  }
  fakes::FakeServer fakeServer;
  fakes::FakeAddress device;
  aruDPServer server;
};

TEST_F(HostWrapper, HostsAClientServerSessionWithTheGameIdentityOnThePort) {
  EXPECT_EQ(server.Host(applicationGuid, "Rallix", 2205, 2, "secret"), S_OK);
  const DPN_APPLICATION_DESC& desc = fakeServer.hosted.desc;
  EXPECT_EQ(desc.dwSize, DWORD(sizeof(DPN_APPLICATION_DESC)));
  EXPECT_EQ(desc.dwFlags, DWORD(DPNSESSION_CLIENT_SERVER | DPNSESSION_REQUIREPASSWORD));
  EXPECT_TRUE(IsEqualGUID(desc.guidApplication, applicationGuid));
  EXPECT_EQ(desc.guidApplication.Data1, 0xD1D1748Cu);
  EXPECT_EQ(desc.guidApplication.Data4[7], 0xD8);
  EXPECT_EQ(desc.dwMaxPlayers, 2u);
  EXPECT_EQ(desc.dwCurrentPlayers, 0u);
  EXPECT_EQ(desc.pvReservedData, nullptr);
  EXPECT_EQ(fakeServer.hosted.session, L"Rallix");
  EXPECT_EQ(fakeServer.hosted.password, L"secret");
  EXPECT_EQ(PortOf(device), 2205u);
  EXPECT_EQ(fakeServer.hostedDevice, &device);
  EXPECT_EQ(fakeServer.hostedDeviceCount, 1u);
  EXPECT_TRUE(fakeServer.hostExtrasNull);
  EXPECT_EQ(fakeServer.hostFlags, 0u);
}

TEST_F(HostWrapper, AnEmptyOrMissingPasswordHostsWithoutOne) {
  for (const char* password : {static_cast<const char*>(nullptr), ""}) {
    server.Host(applicationGuid, "Rallix", 3000, 2, password);
    EXPECT_EQ(fakeServer.hosted.desc.dwFlags, DWORD(DPNSESSION_CLIENT_SERVER));
    EXPECT_FALSE(fakeServer.hosted.passwordGiven);
  }
}

TEST_F(HostWrapper, SendsToAllPlayersWithTheGivenFlagsAndTimeOut) {
  const BYTE message[3] = {0x31, 'A', 0};
  server.Send(message, 3, DPNSEND_GUARANTEED | DPNSEND_NOLOOPBACK, 0);
  server.Send(message, 3, DPNSEND_NOLOOPBACK, 10);
  server.Send(message, 3, DPNSEND_SYNC, 5);
  ASSERT_EQ(fakeServer.sent.size(), 3u);
  EXPECT_EQ(fakeServer.sent[0].target, DPNID(DPNID_ALL_PLAYERS_GROUP));
  EXPECT_EQ(fakeServer.sent[0].bytes, std::vector<BYTE>(message, message + 3));
  EXPECT_EQ(fakeServer.sent[0].flags, 0x28u);
  EXPECT_TRUE(fakeServer.sent[0].asyncHandleGiven);
  EXPECT_EQ(fakeServer.sent[1].flags, 0x20u);
  EXPECT_EQ(fakeServer.sent[1].timeoutMs, 10u);
  // A synchronous send has no async handle to fill.
  EXPECT_FALSE(fakeServer.sent[2].asyncHandleGiven);
}

TEST_F(HostWrapper, KicksAndReadsTheRoundTripOfTheGivenPlayer) {
  EXPECT_EQ(server.DestroyClient(0x44), S_OK);
  EXPECT_EQ(fakeServer.destroyed, 0x44u);
  EXPECT_TRUE(fakeServer.destroyExtrasEmpty);

  fakeServer.roundTrip = 37;
  DPN_CONNECTION_INFO info;
  EXPECT_EQ(server.GetConnectionInfo(0x44, &info), S_OK);
  EXPECT_EQ(fakeServer.infoPlayer, 0x44u);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 37u);

  fakeServer.infoResult = DPNERR_INVALIDPLAYER;
  EXPECT_EQ(server.GetConnectionInfo(0xFFFFFFFF, &info), DPNERR_INVALIDPLAYER);
  EXPECT_EQ(info.dwSize, 92u);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 0u);
  EXPECT_EQ(info.dwMessagesReceived, 0u);
}

TEST_F(HostWrapper, ReleaseClosesThenDropsBothReferencesOnce) {
  fakeServer.references = 2;
  device.references = 2;
  server.Release();
  EXPECT_EQ(fakeServer.closeFlags, std::vector<DWORD>{0});
  EXPECT_EQ(fakeServer.references, 1u);
  EXPECT_EQ(device.references, 1u);
  EXPECT_EQ(server.dp, nullptr);
  EXPECT_EQ(server.deviceAddress, nullptr);
  server.Release();
  EXPECT_EQ(fakeServer.closeFlags.size(), 1u);
  EXPECT_EQ(fakeServer.references, 1u);
}

TEST(UninitialisedWrappers, FailWithoutCallingDirectPlay) {
  aruDPServer server;
  const BYTE message[1] = {0x37};
  EXPECT_EQ(server.Send(message, 1, 0x28, 0), E_FAIL);
  EXPECT_EQ(server.Host(applicationGuid, "Rallix", 2205, 2, nullptr), E_FAIL);
  EXPECT_EQ(server.DestroyClient(3), E_FAIL);
  DPN_CONNECTION_INFO info;
  std::memset(&info, 0x77, sizeof info);
  EXPECT_EQ(server.GetConnectionInfo(3, &info), E_FAIL);
  EXPECT_EQ(info.dwSize, 92u);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 0u);
  server.Close();
  server.Release();

  aruDPClient client;
  EXPECT_EQ(client.Close(), S_OK);
  EXPECT_EQ(client.Send(message, 1, 0x08, 0), E_FAIL);
  EXPECT_EQ(client.Connect(applicationGuid, "Rallix", "localhost", 2205, nullptr), E_FAIL);
  std::memset(&info, 0x77, sizeof info);
  EXPECT_EQ(client.GetConnectionInfo(&info), E_FAIL);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 0u);
  client.Release();
}

class JoinWrapper : public testing::Test {
 protected:
  JoinWrapper() {
    client.dp = &fakeClient;
    client.deviceAddress = &device;
    client.hostAddress = &host;
  }
  ~JoinWrapper() override {
    client.dp = nullptr;
    client.deviceAddress = nullptr;
    client.hostAddress = nullptr;
  }
  fakes::FakeClient fakeClient;
  fakes::FakeAddress device;
  fakes::FakeAddress host;
  aruDPClient client;
};

TEST_F(JoinWrapper, ConnectsAsynchronouslyToTheHostNameAndPort) {
  EXPECT_EQ(client.Connect(applicationGuid, "Rallix", "10.0.0.5", 3000, "pw"), DPNSUCCESS_PENDING);
  const DPN_APPLICATION_DESC& desc = fakeClient.connected.desc;
  EXPECT_EQ(desc.dwSize, DWORD(sizeof(DPN_APPLICATION_DESC)));
  EXPECT_EQ(desc.dwFlags, DWORD(DPNSESSION_REQUIREPASSWORD));
  EXPECT_EQ(desc.dwMaxPlayers, 0u);
  EXPECT_TRUE(IsEqualGUID(desc.guidApplication, applicationGuid));
  EXPECT_EQ(fakeClient.connected.session, L"Rallix");
  EXPECT_EQ(fakeClient.connected.password, L"pw");
  EXPECT_EQ(PortOf(host), 3000u);
  const auto& name = host.components.at(L"hostname");
  EXPECT_EQ(name.type, DWORD(DPNA_DATATYPE_STRING));
  // "10.0.0.5" and its terminator, as wide characters.
  ASSERT_EQ(name.bytes.size(), 9 * sizeof(WCHAR));
  EXPECT_EQ(std::wstring(reinterpret_cast<const WCHAR*>(name.bytes.data())), L"10.0.0.5");
  EXPECT_TRUE(device.components.empty());
  EXPECT_EQ(fakeClient.connectHost, &host);
  EXPECT_EQ(fakeClient.connectDevice, &device);
  EXPECT_EQ(fakeClient.connectHandle, &client.connectHandle);
  EXPECT_EQ(client.connectHandle, 77u);
  EXPECT_TRUE(fakeClient.connectExtrasNull);
  EXPECT_EQ(fakeClient.connectFlags, 0u);
}

TEST_F(JoinWrapper, WithoutPasswordConnectsWithNoFlags) {
  client.Connect(applicationGuid, "Rallix", "myhost", 2205, "");
  EXPECT_EQ(fakeClient.connected.desc.dwFlags, 0u);
  EXPECT_FALSE(fakeClient.connected.passwordGiven);
}

TEST_F(JoinWrapper, AHostNameBeyondTheBufferIsCutNotOverrun) {
  const std::string longName(700, 'h');
  client.Connect(applicationGuid, "Rallix", longName.c_str(), 2205, nullptr);
  const auto& name = host.components.at(L"hostname");
  ASSERT_GE(name.bytes.size(), sizeof(WCHAR));
  EXPECT_LE(name.bytes.size(), 512 * sizeof(WCHAR));
  EXPECT_EQ(name.bytes.size() % sizeof(WCHAR), 0u);
  const WCHAR* text = reinterpret_cast<const WCHAR*>(name.bytes.data());
  const size_t characters = name.bytes.size() / sizeof(WCHAR);
  EXPECT_EQ(text[characters - 1], L'\0');
  EXPECT_EQ(std::wcslen(text), characters - 1);
}

TEST_F(JoinWrapper, SendsToTheHostAndReadsItsRoundTrip) {
  const BYTE paddle[25] = {0x35};
  client.Send(paddle, 25, 0, 10);
  ASSERT_EQ(fakeClient.sent.size(), 1u);
  EXPECT_EQ(fakeClient.sent[0].bytes.size(), 25u);
  EXPECT_EQ(fakeClient.sent[0].flags, 0u);
  EXPECT_EQ(fakeClient.sent[0].timeoutMs, 10u);
  EXPECT_TRUE(fakeClient.sent[0].asyncHandleGiven);

  fakeClient.roundTrip = 12;
  DPN_CONNECTION_INFO info;
  EXPECT_EQ(client.GetConnectionInfo(&info), S_OK);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 12u);
  fakeClient.infoResult = DPNERR_NOCONNECTION;
  client.GetConnectionInfo(&info);
  EXPECT_EQ(info.dwRoundTripLatencyMS, 0u);
}

TEST_F(JoinWrapper, ReleaseClosesAndDropsAllThreeInterfaces) {
  fakeClient.references = 2;
  device.references = 2;
  host.references = 2;
  client.Release();
  EXPECT_EQ(fakeClient.closeFlags, std::vector<DWORD>{0});
  EXPECT_EQ(fakeClient.references, 1u);
  EXPECT_EQ(device.references, 1u);
  EXPECT_EQ(host.references, 1u);
  EXPECT_EQ(client.dp, nullptr);
  EXPECT_EQ(client.deviceAddress, nullptr);
  EXPECT_EQ(client.hostAddress, nullptr);
}

}  // namespace
