// Benchmark of the network transport between two processes on loopback (not a test): the median
// time of a guaranteed message from one process's handler to the other's, and the bytes on the
// wire, UDP and IP headers included, at a rally's message rate. The program runs itself as the
// echoing host; a UDP relay in this process counts every datagram in each direction.
//   dplay8_benchmark            run the benchmark and print the figures
//   dplay8_benchmark echo PORT  (started by the benchmark) host on PORT, echo every message
#include <dplay8.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr GUID kApplication = {0xD1D1748C, 0x9F74, 0x42B7, {0xA5, 0x7F, 0x16, 0xF5, 0x50, 0x32, 0x6F, 0xD8}};
constexpr int kRoundTrips = 2000;
constexpr auto kRallyTime = 10s;
constexpr auto kPaddleInterval = 30ms;  // the game's paddle message throttle
constexpr size_t kPaddleSize = 25, kBallSize = 27;
constexpr size_t kIpUdpHeaders = 28;

IDirectPlay8Address* MakeAddress(DWORD port, const wchar_t* host) {
  IDirectPlay8Address* address = nullptr;
  CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                   reinterpret_cast<void**>(&address));
  address->SetSP(&CLSID_DP8SP_TCPIP);
  address->AddComponent(DPNA_KEY_PORT, &port, sizeof(port), DPNA_DATATYPE_DWORD);
  if (host)
    address->AddComponent(DPNA_KEY_HOSTNAME, host, static_cast<DWORD>((wcslen(host) + 1) * sizeof(wchar_t)),
                          DPNA_DATATYPE_STRING);
  return address;
}

DPN_APPLICATION_DESC Description(DWORD flags, DWORD maxPlayers) {
  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = flags;
  desc.guidApplication = kApplication;
  desc.dwMaxPlayers = maxPlayers;
  return desc;
}

// --- The echoing host (the other process) ------------------------------------------------------

IDirectPlay8Server* echoServer = nullptr;

HRESULT WINAPI EchoHandler(PVOID, DWORD id, PVOID message) {
  if (id != DPN_MSGID_RECEIVE) return DPN_OK;
  auto* receive = static_cast<DPNMSG_RECEIVE*>(message);
  DPN_BUFFER_DESC buffer{receive->dwReceiveDataSize, receive->pReceiveData};
  DPNHANDLE handle;
  const DWORD flags = DPNSEND_NOLOOPBACK | ((receive->dwReceiveFlags & DPNRECEIVE_GUARANTEED) ? DPNSEND_GUARANTEED : 0);
  echoServer->SendTo(DPNID_ALL_PLAYERS_GROUP, &buffer, 1, 0, nullptr, &handle, flags);
  return DPN_OK;
}

int RunEcho(WORD port) {
  CoInitialize(nullptr);
  CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                   reinterpret_cast<void**>(&echoServer));
  echoServer->Initialize(nullptr, EchoHandler, 0);
  DPN_APPLICATION_DESC desc = Description(DPNSESSION_CLIENT_SERVER, 2);
  IDirectPlay8Address* device = MakeAddress(port, nullptr);
  if (FAILED(echoServer->Host(&desc, &device, 1, nullptr, nullptr, nullptr, 0))) return 1;
  for (;;) std::this_thread::sleep_for(1s);
}

// --- A UDP relay that counts the datagrams ----------------------------------------------------

struct Relay {
  int front = -1, back = -1;
  WORD frontPort = 0;
  sockaddr_in client{}, server{};
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> toHost{0}, toClient{0};  // bytes with IP and UDP headers
  std::atomic<uint64_t> datagramsToHost{0}, datagramsToClient{0};
  std::thread thread;

  void Start(WORD serverPort) {
    front = socket(AF_INET, SOCK_DGRAM, 0);
    back = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(front, reinterpret_cast<sockaddr*>(&any), sizeof(any));
    socklen_t size = sizeof(any);
    getsockname(front, reinterpret_cast<sockaddr*>(&any), &size);
    frontPort = ntohs(any.sin_port);
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    server.sin_port = htons(serverPort);
    thread = std::thread([this] { Run(); });
  }
  void Run() {
    char datagram[65536];
    pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
    while (!stop) {
      if (poll(fds, 2, 5) <= 0) continue;
      if (fds[0].revents & POLLIN) {
        socklen_t size = sizeof(client);
        const ssize_t got = recvfrom(front, datagram, sizeof(datagram), 0, reinterpret_cast<sockaddr*>(&client), &size);
        if (got >= 0) {
          toHost += static_cast<uint64_t>(got) + kIpUdpHeaders;
          ++datagramsToHost;
          sendto(back, datagram, got, 0, reinterpret_cast<sockaddr*>(&server), sizeof(server));
        }
      }
      if (fds[1].revents & POLLIN) {
        const ssize_t got = recv(back, datagram, sizeof(datagram), 0);
        if (got >= 0) {
          toClient += static_cast<uint64_t>(got) + kIpUdpHeaders;
          ++datagramsToClient;
          sendto(front, datagram, got, 0, reinterpret_cast<sockaddr*>(&client), sizeof(client));
        }
      }
    }
  }
  ~Relay() {
    stop = true;
    if (thread.joinable()) thread.join();
    close(front);
    close(back);
  }
};

// --- The measuring client ---------------------------------------------------------------------

struct Measure {
  std::mutex mutex;
  std::condition_variable changed;
  HRESULT connected = DPNSUCCESS_PENDING;
  std::vector<double> roundTripsMs;
  int received = 0;
  bool pingPong = false;
  Clock::time_point sentAt;
};
Measure measure;
IDirectPlay8Client* client = nullptr;

void SendPing() {
  static const char ping[kBallSize] = "ping";
  DPN_BUFFER_DESC buffer{kBallSize, reinterpret_cast<BYTE*>(const_cast<char*>(ping))};
  DPNHANDLE handle;
  measure.sentAt = Clock::now();
  client->Send(&buffer, 1, 0, nullptr, &handle, DPNSEND_GUARANTEED);
}

// Each echo is timed and answered from inside the handler, as the game answers its messages.
HRESULT WINAPI ClientHandler(PVOID, DWORD id, PVOID message) {
  std::lock_guard guard(measure.mutex);
  if (id == DPN_MSGID_CONNECT_COMPLETE) measure.connected = static_cast<DPNMSG_CONNECT_COMPLETE*>(message)->hResultCode;
  if (id == DPN_MSGID_RECEIVE) {
    ++measure.received;
    if (measure.pingPong) {
      measure.roundTripsMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - measure.sentAt).count());
      if (static_cast<int>(measure.roundTripsMs.size()) < kRoundTrips) SendPing();
    }
  }
  measure.changed.notify_all();
  return DPN_OK;
}

bool Connect(WORD port) {
  CoCreateInstance(CLSID_DirectPlay8Client, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Client,
                   reinterpret_cast<void**>(&client));
  client->Initialize(nullptr, ClientHandler, 0);
  DPN_APPLICATION_DESC desc = Description(0, 0);
  IDirectPlay8Address* host = MakeAddress(port, L"127.0.0.1");
  IDirectPlay8Address* device = MakeAddress(0, nullptr);
  DPNHANDLE handle;
  client->Connect(&desc, host, device, nullptr, nullptr, nullptr, 0, nullptr, &handle, 0);
  host->Release();
  device->Release();
  std::unique_lock guard(measure.mutex);
  measure.changed.wait_for(guard, 10s, [] { return measure.connected != DPNSUCCESS_PENDING; });
  return measure.connected == DPN_OK;
}

void SendRally(const char* text, size_t size, DWORD flags) {
  DPN_BUFFER_DESC buffer{static_cast<DWORD>(size), reinterpret_cast<BYTE*>(const_cast<char*>(text))};
  DPNHANDLE handle;
  client->Send(&buffer, 1, 0, nullptr, &handle, flags);
}

WORD FreePort() {
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t size = sizeof(address);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  close(probe);
  return ntohs(address.sin_port);
}

int RunBenchmark() {
  CoInitialize(nullptr);
  const WORD port = FreePort();
  const pid_t echo = fork();
  if (echo == 0) {
    const std::string portText = std::to_string(port);
    execl("/proc/self/exe", "dplay8_benchmark", "echo", portText.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Relay relay;
  relay.Start(port);
  bool up = false;
  for (int attempt = 0; attempt < 20 && !up; ++attempt) {
    std::this_thread::sleep_for(200ms);
    if (client) client->Release();
    measure.connected = DPNSUCCESS_PENDING;
    up = Connect(relay.frontPort);
  }
  if (!up) {
    std::fprintf(stderr, "could not connect to the echoing host\n");
    kill(echo, SIGKILL);
    return 1;
  }

  {
    std::unique_lock guard(measure.mutex);
    measure.pingPong = true;
    SendPing();
    measure.changed.wait_for(guard, 60s, [] { return static_cast<int>(measure.roundTripsMs.size()) >= kRoundTrips; });
    measure.pingPong = false;
  }
  std::vector<double> trips = measure.roundTripsMs;
  std::sort(trips.begin(), trips.end());
  const double median = trips.empty() ? 0 : trips[trips.size() / 2];
  const double p99 = trips.empty() ? 0 : trips[trips.size() * 99 / 100];
  std::printf("guaranteed message, handler to handler through the relay: %zu round trips\n", trips.size());
  std::printf("  median round trip %.3f ms, one way %.3f ms; 99th percentile round trip %.3f ms\n", median,
              median / 2, p99);

  std::this_thread::sleep_for(500ms);
  const uint64_t hostStart = relay.toHost, clientStart = relay.toClient;
  const uint64_t hostDatagrams = relay.datagramsToHost, clientDatagrams = relay.datagramsToClient;
  const auto start = Clock::now();
  auto nextBall = start, nextPaddle = start;
  // Positions change on every message: random bytes stand in for them, so that nothing on the
  // way can make them smaller than the game's would be.
  unsigned seed = 2205;
  char paddle[kPaddleSize], ball[kBallSize];
  auto scramble = [&seed](char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(rand_r(&seed));
  };
  while (Clock::now() - start < kRallyTime) {
    scramble(paddle, kPaddleSize);
    SendRally(paddle, kPaddleSize, 0);
    if (Clock::now() >= nextBall) {
      scramble(ball, kBallSize);
      SendRally(ball, kBallSize, DPNSEND_GUARANTEED);
      nextBall += 1s;
    }
    nextPaddle += kPaddleInterval;
    std::this_thread::sleep_until(nextPaddle);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("rally traffic for %.1f s (a %zu-byte paddle message every %lld ms each way, a %zu-byte guaranteed "
              "ball message a second):\n",
              seconds, kPaddleSize, static_cast<long long>(kPaddleInterval.count()), kBallSize);
  std::printf("  to the host %.0f B/s, to the client %.0f B/s (UDP and IP headers included)\n",
              (relay.toHost - hostStart) / seconds, (relay.toClient - clientStart) / seconds);
  const double toHostDatagrams = (relay.datagramsToHost - hostDatagrams) / seconds;
  const double toClientDatagrams = (relay.datagramsToClient - clientDatagrams) / seconds;
  std::printf("  datagrams a second: %.1f to the host, %.1f to the client\n", toHostDatagrams, toClientDatagrams);
  std::printf("  UDP payload alone: to the host %.0f B/s, to the client %.0f B/s\n",
              (relay.toHost - hostStart) / seconds - toHostDatagrams * kIpUdpHeaders,
              (relay.toClient - clientStart) / seconds - toClientDatagrams * kIpUdpHeaders);
  client->Close(0);
  client->Release();
  kill(echo, SIGKILL);
  waitpid(echo, nullptr, 0);
  CoUninitialize();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "echo") == 0) return RunEcho(static_cast<WORD>(std::atoi(argv[2])));
  return RunBenchmark();
}
