// A peer in another process killed without a word: the side that stays must notice within 10 s.
// The test binary runs itself as that peer (the Role test, skipped unless asked for by the
// environment) and kills it with SIGKILL.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/dplay8/transport_fixture.h"

namespace dplay8_test {
namespace {

using namespace std::chrono_literals;
constexpr const char* kRoleVariable = "RALLIX_DPLAY8_PEER_ROLE";

// Runs as the other process: "host:<port>" hosts, "client:<port>" joins; then waits to be killed.
TEST(TransportPeerProcess, Role) {
  const char* role = std::getenv(kRoleVariable);
  if (!role) GTEST_SKIP() << "run by the killed-peer tests only";
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  const std::string text = role;
  const WORD port = static_cast<WORD>(std::stoi(text.substr(text.find(':') + 1)));
  Recorder recorder;
  if (text.rfind("host:", 0) == 0) {
    ASSERT_NE(StartServer(recorder, port), nullptr);
  } else {
    HRESULT connect;
    ASSERT_NE(StartClient(recorder, port, connect), nullptr);
  }
  for (;;) std::this_thread::sleep_for(1s);
}

pid_t StartPeer(const std::string& role) {
  const pid_t child = fork();
  if (child == 0) {
    setenv(kRoleVariable, role.c_str(), 1);
    execl("/proc/self/exe", "transport-peer", "--gtest_filter=TransportPeerProcess.Role", static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

void Kill(pid_t child) {
  kill(child, SIGKILL);
  int status;
  waitpid(child, &status, 0);
}

class KilledPeer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
  void TearDown() override {
    if (child > 0) Kill(child);
    CoUninitialize();
  }
  pid_t child = 0;
};

TEST_F(KilledPeer, HostNoticesAKilledClientWithinTenSeconds) {
  const WORD port = FreePort();
  Recorder host;
  IDirectPlay8Server* server = StartServer(host, port);
  ASSERT_NE(server, nullptr);
  child = StartPeer("client:" + std::to_string(port));
  ASSERT_GT(child, 0);
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_CREATE_PLAYER, 2, 30s));
  const DPNID clientId = host.Records().back().player;

  Kill(child);
  child = 0;
  const auto killed = std::chrono::steady_clock::now();
  ASSERT_TRUE(host.WaitFor(DPN_MSGID_DESTROY_PLAYER, 1, 15s));
  EXPECT_LT(std::chrono::steady_clock::now() - killed, 10s);
  EXPECT_EQ(host.Records().back().player, clientId);
  EXPECT_EQ(host.Records().back().reason, static_cast<DWORD>(DPNDESTROYPLAYERREASON_CONNECTIONLOST));
  server->Release();
}

TEST_F(KilledPeer, ClientNoticesAKilledHostWithinTenSeconds) {
  const WORD port = FreePort();
  child = StartPeer("host:" + std::to_string(port));
  ASSERT_GT(child, 0);
  // The other process needs a moment to start hosting: try until a connect succeeds.
  IDirectPlay8Client* client = nullptr;
  std::unique_ptr<Recorder> joiner;
  const auto giveUp = std::chrono::steady_clock::now() + 40s;
  while (!client && std::chrono::steady_clock::now() < giveUp) {
    auto attempt = std::make_unique<Recorder>();
    HRESULT connect;
    IDirectPlay8Client* candidate = StartClient(*attempt, port, connect);
    ASSERT_TRUE(attempt->WaitFor(DPN_MSGID_CONNECT_COMPLETE, 1, 15s));
    if (attempt->Records().at(0).result != DPN_OK) {
      candidate->Release();
      continue;
    }
    client = candidate;
    joiner = std::move(attempt);
  }
  ASSERT_NE(client, nullptr);

  Kill(child);
  child = 0;
  const auto killed = std::chrono::steady_clock::now();
  ASSERT_TRUE(joiner->WaitFor(DPN_MSGID_TERMINATE_SESSION, 1, 15s));
  EXPECT_LT(std::chrono::steady_clock::now() - killed, 10s);
  EXPECT_EQ(joiner->Records().back().result, DPNERR_CONNECTIONLOST);
  client->Release();
}

}  // namespace
}  // namespace dplay8_test
