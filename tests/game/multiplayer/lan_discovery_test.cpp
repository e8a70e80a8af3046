// Finding a waiting host on the local network: the query and answer formats, a host answering
// on loopback, a host that is not waiting, a malformed answer, and a search nobody answers.
// Each test takes game ports of its own, so tests run side by side do not hear each other.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>

#include "multiplayer/aru_winsock.h"
#include "multiplayer/lan_discovery.h"

namespace {

int32_t FreshGamePort() {
  static std::mt19937 random{std::random_device{}()};
  return std::uniform_int_distribution<int32_t>(20000, 60000)(random);
}

std::string OwnHostName() {
  aruWinsock winsock;
  char name[256] = {};
  winsock.GetHostName(name, sizeof name - 1);
  return name;
}

// Polls the responder and the search until the search lists a host or `ms` pass.
void Exchange(LanResponder& responder, bool waiting, LanSearch& search, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end && search.Hosts().empty()) {
    responder.Poll(waiting);
    search.Poll();
    Sleep(5);
  }
}

TEST(LanFormats, QueryAndAnswerRoundTrip) {
  char query[lanQuerySize];
  MakeLanQuery(query);
  EXPECT_TRUE(IsLanQuery(query, sizeof query));
  EXPECT_FALSE(IsLanQuery(query, sizeof query - 1));
  query[0] ^= 1;
  EXPECT_FALSE(IsLanQuery(query, sizeof query));

  char answer[lanAnswerLimit];
  const size_t size = MakeLanAnswer(2205, "den-pc", answer);
  int32_t port = 0;
  std::string name;
  ASSERT_TRUE(ReadLanAnswer(answer, int(size), port, name));
  EXPECT_EQ(port, 2205);
  EXPECT_EQ(name, "den-pc");
  EXPECT_FALSE(IsLanQuery(answer, int(size)));  // a host never takes an answer for a query
}

TEST(LanFormats, MalformedAnswersAreRefused) {
  char answer[lanAnswerLimit];
  int32_t port = 0;
  std::string name;
  const size_t size = MakeLanAnswer(65000, "box", answer);
  EXPECT_FALSE(ReadLanAnswer(answer, int(size) - 4, port, name));  // cut inside the header
  EXPECT_FALSE(ReadLanAnswer(answer, -1, port, name));
  EXPECT_FALSE(ReadLanAnswer(nullptr, int(size), port, name));
  for (const int32_t badPort : {0, 65001}) {
    const size_t badSize = MakeLanAnswer(badPort, "box", answer);
    EXPECT_FALSE(ReadLanAnswer(answer, int(badSize), port, name)) << badPort;
  }
  MakeLanAnswer(2205, "box", answer);
  answer[11] = '\n';  // an unprintable character in the name
  EXPECT_FALSE(ReadLanAnswer(answer, int(size), port, name));
  MakeLanAnswer(2205, "box", answer);
  answer[3] = 'Q';
  EXPECT_FALSE(ReadLanAnswer(answer, int(size), port, name));
  EXPECT_EQ(port, 0);  // nothing was taken from the refused answers
  EXPECT_TRUE(name.empty());
}

TEST(LanFormats, LongOrUnprintableNamesAreCut) {
  char answer[lanAnswerLimit];
  const std::string longName(100, 'n');
  size_t size = MakeLanAnswer(1, longName.c_str(), answer);
  int32_t port = 0;
  std::string name;
  ASSERT_TRUE(ReadLanAnswer(answer, int(size), port, name));
  EXPECT_EQ(name, std::string(lanNameLimit, 'n'));
  size = MakeLanAnswer(1, "pc\x01rest", answer);
  ASSERT_TRUE(ReadLanAnswer(answer, int(size), port, name));
  EXPECT_EQ(name, "pc");
}

// A host listening and a search sent to it, on game ports of their own.
class LanPair : public testing::Test {
 protected:
  void SetUp() override {
    std::string failure;
    ASSERT_TRUE(responder.Open(gamePort, failure)) << failure;
    ASSERT_TRUE(search.Start(gamePort));
  }
  const int32_t gamePort = FreshGamePort();
  LanResponder responder;
  LanSearch search;
};

TEST_F(LanPair, AWaitingHostAnswersOnLoopbackWithItsPortAndName) {
  Exchange(responder, true, search, 1000);
  ASSERT_EQ(search.Hosts().size(), 1u);
  const LanHost& host = search.Hosts().front();
  EXPECT_EQ(host.address, "127.0.0.1");  // the loopback query goes out first
  EXPECT_EQ(host.port, gamePort);
  EXPECT_EQ(host.name, OwnHostName());
  // The answers that come by the other interfaces name the same host: it stays listed once.
  for (int i = 0; i < 20; ++i) {
    responder.Poll(true);
    search.Poll();
    Sleep(10);
  }
  EXPECT_EQ(search.Hosts().size(), 1u);
}

TEST_F(LanPair, AHostWithAPlayerDoesNotAnswer) {
  Exchange(responder, false, search, 300);
  EXPECT_TRUE(search.Hosts().empty());
  // The queries were read and dropped: waiting again answers only new searches.
  EXPECT_EQ(responder.Poll(true), 0);
}

// A program on the discovery port that answers with rubbish first, then properly.
TEST(LanDiscovery, AMalformedAnswerIsIgnored) {
  const int32_t gamePort = FreshGamePort();
  aruWinsock started;
  SOCKET fake = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(fake, INVALID_SOCKET);
  sockaddr_in local;
  std::memset(&local, 0, sizeof local);
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  local.sin_port = htons(u_short(LanDiscoveryPort(gamePort)));
  ASSERT_EQ(bind(fake, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);

  LanSearch search;
  ASSERT_TRUE(search.Start(gamePort));
  char query[64];
  sockaddr_in from;
  int fromLength = sizeof from;
  const int size = recvfrom(fake, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
  ASSERT_TRUE(IsLanQuery(query, size));

  char answer[lanAnswerLimit];
  const size_t answerSize = MakeLanAnswer(0, "zero-port", answer);
  const char* rubbish[] = {"RLXHOST1", "hello there", answer};
  const int sizes[] = {8, 11, int(answerSize)};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(sendto(fake, rubbish[i], sizes[i], 0, reinterpret_cast<const sockaddr*>(&from), fromLength), sizes[i]);
  }
  Sleep(50);
  search.Poll();
  EXPECT_TRUE(search.Hosts().empty());

  const size_t goodSize = MakeLanAnswer(gamePort, "fake", answer);
  ASSERT_EQ(sendto(fake, answer, int(goodSize), 0, reinterpret_cast<const sockaddr*>(&from), fromLength),
            int(goodSize));
  Sleep(50);
  search.Poll();
  ASSERT_EQ(search.Hosts().size(), 1u);
  EXPECT_EQ(search.Hosts().front().name, "fake");
  closesocket(fake);
}

TEST(LanDiscovery, NobodyAnswersWithinTheSecond) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<LanHost> hosts = FindLanHosts(FreshGamePort(), 1000, true);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(hosts.empty());
  EXPECT_GE(waited, std::chrono::milliseconds(1000));
  EXPECT_LT(waited, std::chrono::milliseconds(1900));
}

}  // namespace
