// Finding a host that waits for a player on the local network. The joining side sends a short
// query to every interface's broadcast address and to the loopback address, on the discovery
// port next to the game's (the game port + 1); a waiting host answers with its game port and its
// computer's name. Nothing is sent beyond the local network: broadcasts are not routed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The discovery port that goes with a game port.
int32_t LanDiscoveryPort(int32_t gamePort);

// The datagrams. A query is exactly lanQuerySize bytes; an answer is its own tag, the game port
// (two bytes, network order) and the name (printable, at most lanNameLimit bytes, no terminator).
constexpr size_t lanQuerySize = 8;
constexpr size_t lanNameLimit = 63;
constexpr size_t lanAnswerLimit = 10 + lanNameLimit;
void MakeLanQuery(char (&query)[lanQuerySize]);
bool IsLanQuery(const char* data, int size);
// The answer's size; the name is cut at lanNameLimit and at its first unprintable character.
size_t MakeLanAnswer(int32_t gamePort, const char* name, char (&answer)[lanAnswerLimit]);
// False for anything that is not a whole, well-formed answer with a port in 1 ... 65000.
bool ReadLanAnswer(const char* data, int size, int32_t& gamePort, std::string& name);

struct LanHost {
  std::string address;  // dotted IPv4 address the answer came from
  int32_t port = 0;
  std::string name;
};

// The host's side, polled once a frame: answers the queries that arrived while it waits.
class LanResponder {
 public:
  LanResponder() = default;
  ~LanResponder();
  LanResponder(const LanResponder&) = delete;
  LanResponder& operator=(const LanResponder&) = delete;

  // Listens on the discovery port of `gamePort`; false (and a reason in `failure`) when it cannot.
  bool Open(int32_t gamePort, std::string& failure);
  // Reads every query that arrived; answers each while `waiting`, drops them otherwise.
  // Returns the number of answers sent. Allocates nothing.
  int Poll(bool waiting);
  bool IsOpen() const;

 private:
  uintptr_t socketHandle = ~uintptr_t(0);
  char answer[lanAnswerLimit] = {};
  size_t answerSize = 0;
};

// The joining side: sends the queries at Start and collects the answers at each Poll.
class LanSearch {
 public:
  LanSearch() = default;
  ~LanSearch();
  LanSearch(const LanSearch&) = delete;
  LanSearch& operator=(const LanSearch&) = delete;

  // False when no query could be sent.
  bool Start(int32_t gamePort);
  // Reads the answers that arrived; one host is listed once (name and port), at the address of
  // its first answer.
  void Poll();
  const std::vector<LanHost>& Hosts() const { return hosts; }
  void Close();

 private:
  uintptr_t socketHandle = ~uintptr_t(0);
  std::vector<LanHost> hosts;
};

// Sends the queries and waits up to `waitMs` for answers; with `firstOnly` it returns at the
// first answer.
std::vector<LanHost> FindLanHosts(int32_t gamePort, uint32_t waitMs, bool firstOnly);
