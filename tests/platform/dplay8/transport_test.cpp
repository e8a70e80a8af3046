// Two real endpoints of the DirectPlay 8 transport on 127.0.0.1 in one process: the handshake and
// its event order, the refusals, the ends of a session, round trip, and handlers that send or
// close from inside the handler.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include <dplay8_test.h>

#include "platform/dplay8/transport_fixture.h"

namespace dplay8_test {
namespace {

using namespace std::chrono_literals;

class Transport : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override {
    if (client) client->Release();
    if (server) server->Release();
    CoUninitialize();
  }

  // Hosts and connects one client; returns the client's player id as the host knows it. The
  // host's reaction is installed once the server is known.
  DPNID Connected(const wchar_t* hostPassword = nullptr, const wchar_t* clientPassword = nullptr,
                  std::function<HRESULT(DWORD, void*)> hostReaction = nullptr) {
    port = FreePort();
    server = StartServer(host, port, hostPassword);
    if (!server) return 0;
    host.React(std::move(hostReaction));
    HRESULT connect;
    client = StartClient(joiner, port, connect, clientPassword);
    EXPECT_EQ(connect, DPNSUCCESS_PENDING);
    EXPECT_TRUE(joiner.WaitFor(DPN_MSGID_CONNECT_COMPLETE));
    EXPECT_TRUE(host.WaitFor(DPN_MSGID_CREATE_PLAYER, 2));
    const std::vector<Record> records = joiner.Records();
    EXPECT_EQ(records.at(0).result, DPN_OK);
    return records.at(0).player;
  }

  // The outcome of a connect from a second, refused or failing, client.
  HRESULT RefusedOutcome(IDirectPlay8Client*& other, Recorder& recorder, HRESULT& connect, const wchar_t* password,
                         const GUID& application = kApplication, const char* hostName = "127.0.0.1") {
    other = StartClient(recorder, port, connect, password, application, hostName);
    if (!recorder.WaitFor(DPN_MSGID_CONNECT_COMPLETE, 1, 15s)) return E_FAIL;
    return recorder.Records().at(0).result;
  }

  WORD port = 0;
  Recorder host, joiner;
  IDirectPlay8Server* server = nullptr;
  IDirectPlay8Client* client = nullptr;
};

TEST_F(Transport, HandshakeReportsHostPlayerThenIndicationThenClientAndMessagesFlowBothWays) {
  // The host answers the indication with a message, as the game does with its version message:
  // the client must see it after its connect completed.
  const DPNID clientId = Connected(L"secret", L"secret", [this](DWORD id, void*) {
    if (id == DPN_MSGID_INDICATE_CONNECT) {
      EXPECT_EQ(SendText(server, DPNID_ALL_PLAYERS_GROUP, "version", DPNSEND_GUARANTEED | DPNSEND_NOLOOPBACK),
                DPNSUCCESS_PENDING);
    }
    return DPN_OK;
  });
  ASSERT_NE(clientId, 0u);

  const std::vector<Record> hostRecords = host.Records();
  ASSERT_GE(hostRecords.size(), 3u);
  EXPECT_EQ(hostRecords[0].id, DPN_MSGID_CREATE_PLAYER);
  EXPECT_EQ(hostRecords[1].id, DPN_MSGID_INDICATE_CONNECT);
  EXPECT_EQ(hostRecords[2].id, DPN_MSGID_CREATE_PLAYER);
  const DPNID hostId = hostRecords[0].player;
  EXPECT_NE(hostId, 0u);
  EXPECT_NE(hostId, 0xFFFFFFFFu);
  EXPECT_EQ(hostRecords[2].player, clientId);
  EXPECT_NE(hostId, clientId);

  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE));
  std::vector<Record> clientRecords = joiner.Records();
  EXPECT_EQ(clientRecords[0].id, DPN_MSGID_CONNECT_COMPLETE);
  EXPECT_EQ(clientRecords[1].data, "version");
  EXPECT_EQ(clientRecords[1].player, hostId);
  EXPECT_TRUE(clientRecords[1].guaranteed);

  EXPECT_EQ(SendText(client, "from client", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  EXPECT_EQ(SendText(client, "unguaranteed", 0), DPNSUCCESS_PENDING);
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE, 2));
  std::vector<std::string> received;
  for (const Record& record : host.Records()) {
    if (record.id != DPN_MSGID_RECEIVE) continue;
    received.push_back(record.data);
    EXPECT_EQ(record.player, clientId);
    EXPECT_EQ(record.guaranteed, record.data == "from client");
  }
  EXPECT_EQ(received.size(), 2u);

  // Without DPNSEND_NOLOOPBACK the host's own player receives its message to everyone.
  EXPECT_EQ(SendText(server, DPNID_ALL_PLAYERS_GROUP, "to all", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE, 2));
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE, 3));
  const Record loopback = host.Records().back();
  EXPECT_EQ(loopback.data, "to all");
  EXPECT_EQ(loopback.player, hostId);
  EXPECT_EQ(joiner.Records().back().data, "to all");
}

TEST_F(Transport, SendsAreRefusedForUnknownPlayersAndOversizedMessages) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  EXPECT_EQ(SendText(server, clientId + 100, "x", DPNSEND_GUARANTEED), DPNERR_INVALIDPLAYER);
  EXPECT_EQ(SendText(server, clientId, std::string(5000, 'x'), DPNSEND_GUARANTEED), DPNERR_SENDTOOLARGE);
  EXPECT_EQ(SendText(client, std::string(5000, 'x'), DPNSEND_GUARANTEED), DPNERR_SENDTOOLARGE);
  EXPECT_EQ(SendText(server, clientId, "direct", DPNSEND_GUARANTEED | DPNSEND_SYNC), DPN_OK);
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE));
  EXPECT_EQ(joiner.Records().back().data, "direct");
}

TEST_F(Transport, WrongOrMissingPasswordIsRefusedBeforeTheHostHearsOfTheClient) {
  port = FreePort();
  server = StartServer(host, port, L"secret");
  ASSERT_NE(server, nullptr);
  HRESULT connect;
  EXPECT_EQ(RefusedOutcome(client, joiner, connect, L"wrong"), DPNERR_INVALIDPASSWORD);
  EXPECT_EQ(connect, DPNSUCCESS_PENDING);
  Recorder second;
  IDirectPlay8Client* other = nullptr;
  EXPECT_EQ(RefusedOutcome(other, second, connect, nullptr), DPNERR_INVALIDPASSWORD);
  other->Release();
  EXPECT_EQ(host.Count(DPN_MSGID_INDICATE_CONNECT), 0u);
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 1u);  // the host's own player only
  EXPECT_EQ(SendText(client, "x", DPNSEND_GUARANTEED), DPNERR_NOCONNECTION);
}

TEST_F(Transport, SecondClientIsToldTheSessionIsFull) {
  ASSERT_NE(Connected(), 0u);
  Recorder second;
  IDirectPlay8Client* other = nullptr;
  HRESULT connect;
  EXPECT_EQ(RefusedOutcome(other, second, connect, nullptr), DPNERR_SESSIONFULL);
  other->Release();
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 2u);
  EXPECT_EQ(host.Count(DPN_MSGID_INDICATE_CONNECT), 1u);
  // The first client is still in the session.
  EXPECT_EQ(SendText(client, "still here", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  EXPECT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE));
}

TEST_F(Transport, OtherApplicationIsRefused) {
  port = FreePort();
  server = StartServer(host, port);
  ASSERT_NE(server, nullptr);
  HRESULT connect;
  EXPECT_EQ(RefusedOutcome(client, joiner, connect, nullptr, kOtherApplication), DPNERR_INVALIDAPPLICATION);
  EXPECT_EQ(host.Count(DPN_MSGID_INDICATE_CONNECT), 0u);
}

TEST_F(Transport, HandlerRefusingTheIndicationRejectsTheClient) {
  port = FreePort();
  server = StartServer(host, port);
  ASSERT_NE(server, nullptr);
  host.React([](DWORD id, void*) { return id == DPN_MSGID_INDICATE_CONNECT ? E_FAIL : DPN_OK; });
  HRESULT connect;
  EXPECT_EQ(RefusedOutcome(client, joiner, connect, nullptr), DPNERR_HOSTREJECTEDCONNECTION);
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 1u);
}

TEST_F(Transport, NobodyListeningGivesNoConnectionWithinSeconds) {
  port = FreePort();
  HRESULT connect;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RefusedOutcome(client, joiner, connect, nullptr), DPNERR_NOCONNECTION);
  EXPECT_EQ(connect, DPNSUCCESS_PENDING);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

TEST_F(Transport, UnresolvableHostNameGivesInvalidHostAddress) {
  port = FreePort();
  HRESULT connect;
  EXPECT_EQ(RefusedOutcome(client, joiner, connect, nullptr, kApplication, "no-such-host.invalid"),
            DPNERR_INVALIDHOSTADDRESS);
  EXPECT_EQ(connect, DPNSUCCESS_PENDING);
}

TEST_F(Transport, PortInUseMakesHostFailAndTheFirstSessionGoesOn) {
  ASSERT_NE(Connected(), 0u);
  IDirectPlay8Server* second = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                             reinterpret_cast<void**>(&second)), S_OK);
  Recorder other;
  ASSERT_EQ(second->Initialize(&other, Recorder::Handler, 0), DPN_OK);
  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DPNSESSION_CLIENT_SERVER;
  desc.guidApplication = kApplication;
  desc.dwMaxPlayers = 2;
  IDirectPlay8Address* device = MakeAddress(port);
  EXPECT_EQ(second->Host(&desc, &device, 1, nullptr, nullptr, nullptr, 0), DPNERR_INVALIDDEVICEADDRESS);
  device->Release();
  EXPECT_EQ(second->Close(0), DPN_OK);
  second->Release();
  EXPECT_EQ(other.Count(DPN_MSGID_CREATE_PLAYER), 0u);
  EXPECT_EQ(SendText(client, "still here", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  EXPECT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE));
}

TEST_F(Transport, DestroyClientEndsTheClientsSessionAndTheHostLosesThePlayer) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  EXPECT_EQ(server->DestroyClient(clientId, nullptr, 0, 0), DPN_OK);
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_DESTROY_PLAYER));
  const Record destroyed = host.Records().back();
  EXPECT_EQ(destroyed.player, clientId);
  EXPECT_EQ(destroyed.reason, static_cast<DWORD>(DPNDESTROYPLAYERREASON_HOSTDESTROYEDPLAYER));
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_TERMINATE_SESSION));
  EXPECT_EQ(joiner.Records().back().result, DPNERR_HOSTTERMINATEDSESSION);
  EXPECT_EQ(server->DestroyClient(clientId, nullptr, 0, 0), DPNERR_INVALIDPLAYER);
  EXPECT_EQ(SendText(server, clientId, "gone", DPNSEND_GUARANTEED), DPNERR_INVALIDPLAYER);
  // Only one destroy for the player, also once ENet's disconnect has gone through.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(host.Count(DPN_MSGID_DESTROY_PLAYER), 1u);

  // The slot is free again for a new client.
  Recorder again;
  HRESULT connect;
  IDirectPlay8Client* next = StartClient(again, port, connect);
  ASSERT_TRUE(again.WaitFor(DPN_MSGID_CONNECT_COMPLETE));
  EXPECT_EQ(again.Records().at(0).result, DPN_OK);
  next->Release();
}

TEST_F(Transport, HostClosingTerminatesTheClientsSession) {
  ASSERT_NE(Connected(), 0u);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(server->Close(0), DPN_OK);
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_TERMINATE_SESSION, 1, 3s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(joiner.Records().back().result, DPNERR_HOSTTERMINATEDSESSION);
  // Nothing reaches a closed server's handler, and it refuses to send.
  EXPECT_EQ(host.Count(DPN_MSGID_DESTROY_PLAYER), 0u);
  EXPECT_NE(SendText(server, DPNID_ALL_PLAYERS_GROUP, "x", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  EXPECT_EQ(server->Close(0), DPNERR_UNINITIALIZED);
}

TEST_F(Transport, ClientClosingDestroysItsPlayerOnTheHost) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  EXPECT_EQ(client->Close(0), DPN_OK);
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_DESTROY_PLAYER, 1, 3s));
  EXPECT_EQ(host.Records().back().player, clientId);
  EXPECT_EQ(host.Records().back().reason, static_cast<DWORD>(DPNDESTROYPLAYERREASON_NORMAL));
  EXPECT_EQ(joiner.Count(DPN_MSGID_TERMINATE_SESSION), 0u);
}

TEST_F(Transport, RoundTripIsMeasuredAfterTraffic) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(SendText(client, "ping", DPNSEND_GUARANTEED | DPNSEND_SYNC), DPN_OK);
    EXPECT_EQ(SendText(server, clientId, "pong", DPNSEND_GUARANTEED | DPNSEND_SYNC), DPN_OK);
  }
  // An acknowledgement can come before the handler has been given the message.
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE, 20));
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE, 20));
  DPN_CONNECTION_INFO info{};
  info.dwSize = sizeof(info);
  ASSERT_EQ(server->GetConnectionInfo(clientId, &info, 0), DPN_OK);
  EXPECT_GT(info.dwRoundTripLatencyMS, 0u);
  EXPECT_LT(info.dwRoundTripLatencyMS, 500u);
  EXPECT_EQ(info.dwPacketsSentGuaranteed, 20u);
  EXPECT_EQ(info.dwBytesReceivedGuaranteed, 80u);
  DPN_CONNECTION_INFO clientInfo{};
  clientInfo.dwSize = sizeof(clientInfo);
  ASSERT_EQ(client->GetConnectionInfo(&clientInfo, 0), DPN_OK);
  EXPECT_GT(clientInfo.dwRoundTripLatencyMS, 0u);
  EXPECT_EQ(clientInfo.dwPacketsSentGuaranteed, 20u);
  DPN_CONNECTION_INFO wrongSize{};
  wrongSize.dwSize = 12;
  EXPECT_EQ(client->GetConnectionInfo(&wrongSize, 0), DPNERR_INVALIDPARAM);
}

TEST_F(Transport, SteadySendingTakesNoMemoryFromTheSystem) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  // One message of each kind each way per round, as in a rally; each waits for the last.
  auto rounds = [&](int count) {
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(SendText(client, std::string(25, 'p'), 0), DPNSUCCESS_PENDING);
      ASSERT_EQ(SendText(client, std::string(27, 'b'), DPNSEND_GUARANTEED | DPNSEND_SYNC), DPN_OK);
      ASSERT_EQ(SendText(server, DPNID_ALL_PLAYERS_GROUP, std::string(25, 'p'), DPNSEND_NOLOOPBACK), DPNSUCCESS_PENDING);
      ASSERT_EQ(SendText(server, clientId, std::string(27, 'b'), DPNSEND_GUARANTEED | DPNSEND_SYNC), DPN_OK);
    }
  };
  rounds(50);
  const size_t before = platform::TransportSystemAllocations();
  rounds(300);
  // Each round makes at least six packets with their data and commands; only a new high of
  // blocks in use at once (a ping crossing a message, a slow thread) may take a few more.
  EXPECT_LT(platform::TransportSystemAllocations() - before, 10u);
  EXPECT_GT(before, 0u);
}

TEST_F(Transport, HandlersMaySendFromInsideWhileAnotherThreadSendsUnderTheCallersLock) {
  // The game holds its own lock in every handler and around its sends from the main thread.
  std::recursive_mutex gameLock;
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  host.React([&](DWORD id, void*) {
    std::lock_guard guard(gameLock);
    if (id == DPN_MSGID_RECEIVE) SendText(server, DPNID_ALL_PLAYERS_GROUP, "echo", DPNSEND_NOLOOPBACK | DPNSEND_GUARANTEED);
    return DPN_OK;
  });
  joiner.React([&](DWORD id, void*) {
    std::lock_guard guard(gameLock);
    if (id == DPN_MSGID_RECEIVE) SendText(client, "again", DPNSEND_GUARANTEED);
    return DPN_OK;
  });
  constexpr int kRounds = 200;
  for (int i = 0; i < kRounds; ++i) {
    std::lock_guard guard(gameLock);
    SendText(client, "start", 0);
    SendText(server, DPNID_ALL_PLAYERS_GROUP, "paddle", DPNSEND_NOLOOPBACK);
  }
  EXPECT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE, kRounds, 20s));
  EXPECT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE, kRounds, 20s));
  host.React(nullptr);
  joiner.React(nullptr);
  // Closing while echoes are still in flight must neither hang nor crash.
  EXPECT_EQ(client->Close(0), DPN_OK);
  EXPECT_EQ(server->Close(0), DPN_OK);
}

TEST_F(Transport, ClientMayCloseAndReleaseInsideItsOwnHandler) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  std::atomic<bool> closed{false};
  joiner.React([&](DWORD id, void*) {
    if (id == DPN_MSGID_RECEIVE && !closed.exchange(true)) {
      EXPECT_EQ(client->Close(0), DPN_OK);
      client->Release();
    }
    return DPN_OK;
  });
  EXPECT_EQ(SendText(server, clientId, "version 0", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  ASSERT_TRUE(joiner.WaitFor(DPN_MSGID_RECEIVE));
  client = nullptr;
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_DESTROY_PLAYER, 1, 5s));
  EXPECT_EQ(host.Records().back().player, clientId);
}

TEST_F(Transport, GarbageDatagramsAndAFloodLeaveTheSessionWorking) {
  const DPNID clientId = Connected();
  ASSERT_NE(clientId, 0u);
  const int junk = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  unsigned seed = 12345;
  char datagram[1400];
  for (int i = 0; i < 5000; ++i) {
    const size_t size = 1 + (rand_r(&seed) % sizeof(datagram));
    for (size_t b = 0; b < size; ++b) datagram[b] = static_cast<char>(rand_r(&seed));
    sendto(junk, datagram, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
  }
  close(junk);
  EXPECT_EQ(SendText(client, "after the flood", DPNSEND_GUARANTEED), DPNSUCCESS_PENDING);
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_RECEIVE));
  EXPECT_EQ(host.Records().back().data, "after the flood");
  EXPECT_EQ(host.Count(DPN_MSGID_CREATE_PLAYER), 2u);
  EXPECT_EQ(host.Count(DPN_MSGID_DESTROY_PLAYER), 0u);
}

}  // namespace
}  // namespace dplay8_test
