// Peers that are not our client, speaking raw ENet to a hosting server: one that connects and
// never says who it is, and one that brings another protocol's connect word. Neither may reach
// the handler, hold a player slot, or keep a real client out.
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <chrono>

#include "platform/dplay8/transport_fixture.h"

namespace dplay8_test {
namespace {

using namespace std::chrono_literals;

class RawPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(enet_initialize(), 0);
    port = FreePort();
    server = StartServer(host, port);
    ASSERT_NE(server, nullptr);
    // Made after the server, which gives ENet the transport's allocator first.
    raw = enet_host_create(nullptr, 1, 2, 0, 0);
    ASSERT_NE(raw, nullptr);
  }
  void TearDown() override {
    if (raw) enet_host_destroy(raw);
    if (server) server->Release();
    CoUninitialize();
  }

  // Connects with the given word and services the raw host until it is connected and then
  // until it is disconnected (or the time is up); returns the disconnect's reason, or -1.
  long long ConnectAndWaitForDisconnect(enet_uint32 word, std::chrono::milliseconds limit) {
    ENetAddress address{};
    enet_address_set_host(&address, "127.0.0.1");
    address.port = port;
    if (!enet_host_connect(raw, &address, 2, word)) return -2;
    const auto until = std::chrono::steady_clock::now() + limit;
    ENetEvent event;
    while (std::chrono::steady_clock::now() < until) {
      if (enet_host_service(raw, &event, 10) <= 0) continue;
      if (event.type == ENET_EVENT_TYPE_CONNECT) connectedAt = std::chrono::steady_clock::now();
      if (event.type == ENET_EVENT_TYPE_DISCONNECT) return event.data;
      if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    }
    return -1;
  }

  WORD port = 0;
  Recorder host;
  IDirectPlay8Server* server = nullptr;
  ENetHost* raw = nullptr;
  std::chrono::steady_clock::time_point connectedAt{};
};

TEST_F(RawPeer, SilentPeerIsDroppedAfterAFewSecondsWhileAClientJoins) {
  // A real client joins while the silent peer holds its connection.
  Recorder joiner;
  HRESULT connect;
  IDirectPlay8Client* client = StartClient(joiner, port, connect);
  const long long reason = ConnectAndWaitForDisconnect(0x52584E31, 10s);
  EXPECT_GE(reason, 0) << "the silent peer was never dropped";
  EXPECT_GT(std::chrono::steady_clock::now() - connectedAt, 4s);
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_CONNECT_COMPLETE));
  EXPECT_EQ(joiner.Records().at(0).result, DPN_OK);
  EXPECT_EQ(host.Count(DPN_MSGID_INDICATE_CONNECT), 1u);
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 2u);
  client->Release();
}

TEST_F(RawPeer, OtherProtocolIsRefusedAtOnce) {
  const long long reason = ConnectAndWaitForDisconnect(0x12345678, 5s);
  EXPECT_GT(reason, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - connectedAt, 2s);
  EXPECT_EQ(host.Count(DPN_MSGID_INDICATE_CONNECT), 0u);
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 1u);
}

}  // namespace
}  // namespace dplay8_test
