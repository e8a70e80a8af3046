// Setting the wrappers up over the platform's real DirectPlay objects (creation, a failing
// step and the release of everything), the Winsock helper's look-ups, and the "say" and "nick"
// commands sending through the protocol.
#include <gtest/gtest.h>

#include "commands.h"
#include "fake_directplay.h"
#include "multiplayer/aru_winsock.h"
#include "multiplayer/net_commands.h"
#include "multiplayer/net_handlers.h"

namespace {

using RealWrappers = NetGameTest;  // the game object initialises COM

TEST_F(RealWrappers, ServerInitialisesWithAnAddressAndReleasesBoth) {
  aruDPServer server;
  ASSERT_EQ(server.Initialize(ServerMessageHandler, 0), S_OK);
  EXPECT_NE(server.dp, nullptr);
  EXPECT_NE(server.deviceAddress, nullptr);
  // Initialising again replaces the objects rather than leaking them (the sanitizer checks).
  ASSERT_EQ(server.Initialize(ServerMessageHandler, 0), S_OK);
  server.Release();
  EXPECT_EQ(server.dp, nullptr);
  EXPECT_EQ(server.deviceAddress, nullptr);
}

TEST_F(RealWrappers, ClientInitialisesWithTwoAddressesAndReleasesAll) {
  aruDPClient client;
  ASSERT_EQ(client.Initialize(ClientMessageHandler), S_OK);
  EXPECT_NE(client.dp, nullptr);
  EXPECT_NE(client.deviceAddress, nullptr);
  EXPECT_NE(client.hostAddress, nullptr);
  EXPECT_NE(client.deviceAddress, client.hostAddress);
  client.Release();
  EXPECT_EQ(client.dp, nullptr);
  EXPECT_EQ(client.deviceAddress, nullptr);
  EXPECT_EQ(client.hostAddress, nullptr);
}

TEST_F(RealWrappers, AFailingStepReleasesEverythingAndTheClientSaysWhich) {
  // DirectPlay refuses to initialise without a message handler.
  aruDPClient client;
  testing::internal::CaptureStderr();
  EXPECT_EQ(client.Initialize(nullptr), E_FAIL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to initialize DirectPlay Client.\n");
  EXPECT_EQ(client.dp, nullptr);
  EXPECT_EQ(client.deviceAddress, nullptr);
  EXPECT_EQ(client.hostAddress, nullptr);

  aruDPServer server;
  testing::internal::CaptureStderr();
  EXPECT_EQ(server.Initialize(nullptr, 0), E_FAIL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(server.dp, nullptr);
  EXPECT_EQ(server.deviceAddress, nullptr);
}

TEST(Winsock, LooksUpIPv4AddressesInNetworkOrder) {
  aruWinsock winsock;
  uint8_t address[4] = {9, 9, 9, 9};
  ASSERT_TRUE(winsock.LookUpHost("127.0.0.1", address));
  EXPECT_EQ(address[0], 127);
  EXPECT_EQ(address[1], 0);
  EXPECT_EQ(address[2], 0);
  EXPECT_EQ(address[3], 1);
  EXPECT_FALSE(winsock.LookUpHost("no-such-host.invalid", address));
  EXPECT_EQ(address[0] | address[1] | address[2] | address[3], 0);
}

TEST(Winsock, TheOwnAddressHasTheHostsName) {
  const OwnAddress own = LookUpOwnAddress();
  EXPECT_GT(std::strlen(own.name), 0u);
  EXPECT_LT(std::strlen(own.name), sizeof own.name);
  if (own.resolved) EXPECT_NE(own.address[0], 0);
}

class NetworkCommands : public NetGameTest {
 protected:
  void SetUp() override {
    NetGameTest::SetUp();
    BindGameCommands(*game);
    InstallNetworkCommandHooks();
  }
  void TearDown() override {
    networkCommandHooks = NetworkCommandHooks();
    NetGameTest::TearDown();
  }
};

TEST_F(NetworkCommands, SaySendsTheLineAndEchoesIt) {
  BecomeHost();
  std::strcpy(game->playerName, "Ada");
  game->Execute("say well played");
  ASSERT_EQ(fakeServer.sent.size(), 1u);
  EXPECT_EQ(fakeServer.sent[0].bytes, Bytes(std::string("2well played") + '\0'));
  EXPECT_STREQ(LastLine()->text, "<Ada> well played");
}

TEST_F(NetworkCommands, NickAnnouncesTheNewNameOnlyWithASession) {
  game->Execute("nick Solo");
  EXPECT_STREQ(game->playerName, "Solo");
  BecomeClient();
  game->Execute("nick Fifteen_letters");
  ASSERT_EQ(fakeClient.sent.size(), 1u);
  EXPECT_EQ(fakeClient.sent[0].bytes, Bytes(std::string("1Fifteen_le") + '\0'));
  EXPECT_EQ(fakeClient.sent[0].flags, 0x08u);
  EXPECT_STREQ(LastLine()->text, "You are now known as Fifteen_le.");
}

}  // namespace
