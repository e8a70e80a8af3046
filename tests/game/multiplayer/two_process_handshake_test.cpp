// The game's handshake over the real transport between two processes on 127.0.0.1: a wrong
// password is refused, the right one connects, the names cross both ways, a chat line arrives,
// and the joining side learns of a host killed mid-session. The test binary runs itself as the
// host (the HostRole test, skipped unless the environment asks for it).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "aru/test_support.h"
#include "multiplayer/dp_client.h"
#include "multiplayer/dp_server.h"
#include "multiplayer/dp_session.h"
#include "multiplayer/net_handlers.h"
#include "multiplayer/net_lock.h"
#include "multiplayer/net_protocol.h"
#include "rallix_game.h"

namespace {

using namespace std::chrono_literals;
constexpr const char* portVariable = "RALLIX_NET_HOST_PORT";
constexpr const char* logVariable = "RALLIX_NET_HOST_LOG";

// Waits up to `limit` for the condition, checked under the game's netLock.
bool WaitFor(RallixGame& game, std::chrono::milliseconds limit, const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    {
      NetLockGuard guard(game.netLock);
      if (condition()) return true;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// The transport's thread prints under netLock, so the lines are read under it too.
bool HasLine(RallixGame& game, const std::string& text) {
  NetLockGuard guard(game.netLock);
  for (const auto& line : game.GetLines()) {
    if (text == line.text) return true;
  }
  return false;
}

std::unique_ptr<RallixGame> MakeGame(const char* name) {
  auto game = std::make_unique<RallixGame>();
  g_engine = game.get();
  std::snprintf(game->playerName, sizeof game->playerName, "%s", name);
  std::snprintf(game->opponentName, sizeof game->opponentName, "%s", "Not Connected");
  return game;
}

// The host: serves with password "pw", writes every console line to the log file as it
// appears and sends a ball message every few milliseconds, until killed.
TEST(MultiplayerPeerProcess, HostRole) {
  const char* port = std::getenv(portVariable);
  const char* logPath = std::getenv(logVariable);
  if (port == nullptr || logPath == nullptr) GTEST_SKIP() << "run by the two-process test only";
  auto game = MakeGame("Hoster");
  game->server = std::make_unique<aruDPServer>();
  ASSERT_EQ(game->server->Initialize(ServerMessageHandler, 0), S_OK);
  ASSERT_EQ(game->server->Host(applicationGuid, sessionName, DWORD(std::atoi(port)), hostedMaxPlayers, "pw"),
            S_OK);
  std::ofstream log(logPath);
  log << "listening" << std::endl;
  size_t written = 0;
  for (;;) {
    {
      NetLockGuard guard(game->netLock);
      const auto& lines = game->GetLines();
      for (; written < lines.size(); ++written) log << lines[written].text << std::endl;
    }
    // The main thread's guarded sends, against the handler's own sends and receives.
    game->ball.position.x = float(written);
    SendBall(BALL_EVENT_NONE);
    std::this_thread::sleep_for(2ms);
  }
}

class TwoProcesses : public testing::Test {
 protected:
  void SetUp() override {
    port = 24000 + int(getpid() % 3000);
    logPath = folder.File("host.log");
    host = fork();
    if (host == 0) {
      setenv(portVariable, std::to_string(port).c_str(), 1);
      setenv(logVariable, logPath.c_str(), 1);
      execl("/proc/self/exe", "multiplayer-host", "--gtest_filter=MultiplayerPeerProcess.HostRole",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(host, 0);
    ASSERT_TRUE(HostLogHas("listening", 10s));
    game = MakeGame("Joiner");
  }
  void TearDown() override {
    game.reset();
    g_engine = nullptr;
    if (host > 0) KillHost();
  }
  void KillHost() {
    kill(host, SIGKILL);
    int status = 0;
    waitpid(host, &status, 0);
    host = -1;
  }
  bool HostLogHas(const std::string& line, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      std::istringstream text(testing_support::ReadFile(logPath));
      for (std::string read; std::getline(text, read);) {
        if (read == line) return true;
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  HRESULT Join(const char* password) {
    game->client = std::make_unique<aruDPClient>();
    EXPECT_EQ(game->client->Initialize(ClientMessageHandler), S_OK);
    return game->client->Connect(applicationGuid, sessionName, "127.0.0.1", DWORD(port), password);
  }
  void Leave() {
    game->client->Close();
    game->client->Release();
    game->client.reset();
  }

  testing_support::TempDir folder;
  std::string logPath;
  int port = 0;
  pid_t host = -1;
  std::unique_ptr<RallixGame> game;
};

TEST_F(TwoProcesses, HandshakeNamesChatAndTheHostsDeath) {
  ASSERT_EQ(Join("wrong"), DPNSUCCESS_PENDING);
  ASSERT_TRUE(WaitFor(*game, 10s, [&] { return game->connectionLost != 0; }));
  EXPECT_TRUE(HasLine(*game, "Connect Failed: Incorrect Password."));
  Leave();
  game->connectionLost = 0;

  ASSERT_EQ(Join("pw"), DPNSUCCESS_PENDING);
  ASSERT_TRUE(WaitFor(*game, 10s, [&] { return std::string(game->opponentName) == "Hoster"; }));
  EXPECT_TRUE(HasLine(*game, "Connected successfully. Identifying..."));
  EXPECT_TRUE(HasLine(*game, "Not Connected is now known as Hoster"));
  EXPECT_TRUE(HostLogHas("Not Connected is now known as Joiner", 5s));
  {
    NetLockGuard guard(game->netLock);
    EXPECT_EQ(game->connectionLost, 0);
  }

  SendChat("hello host");
  EXPECT_TRUE(HostLogHas("<Joiner> hello host", 5s));

  // Both sides send from their main threads while their handlers receive and answer: neither
  // may deadlock between netLock and the transport.
  for (int i = 0; i < 300; ++i) {
    game->matchRunning = 1;
    SendPaddle();
    if (i % 3 == 0) SendChat("busy");
    if (i % 50 == 0) SendName();
    std::this_thread::sleep_for(3ms);
  }
  SendChat("still here");
  EXPECT_TRUE(HostLogHas("<Joiner> still here", 5s));
  EXPECT_TRUE(WaitFor(*game, 5s, [&] { return game->ball.position.x != 0.0f; }));

  KillHost();
  ASSERT_TRUE(WaitFor(*game, 12s, [&] { return game->connectionLost != 0; }));
  EXPECT_TRUE(HasLine(*game, "Session Terminated."));
  Leave();
}

}  // namespace
