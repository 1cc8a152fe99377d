// A small TCP server on 127.0.0.1 for the client's tests: it listens on a
// free port and runs a script on each connection it accepts, in a thread of
// its own, so the client under test (which never waits) and the server move
// at the same time. POSIX sockets, or Winsock on Windows (the Wine tests).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace calibration_test {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;  // Winsock's SOCKET
#else
using SocketHandle = int;
#endif

// One accepted connection, as the script sees it.
class Peer {
 public:
  Peer(SocketHandle fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
  // Sends all of `bytes` (blocking: this is the test's side).
  void Send(std::string_view bytes);
  // Reads until `terminator` has arrived (or the client closes, or about
  // five seconds pass); returns what came.
  std::string ReadUntil(std::string_view terminator);
  // Waits until the client closes its end (or about five seconds, or the
  // server stops); whether the client closed.
  bool WaitForClose();
  // Closes with a reset instead of an orderly close.
  void Reset();

 private:
  SocketHandle fd_;
  const std::atomic<bool>& stopping_;
};

class TestServer {
 public:
  using Script = std::function<void(Peer&, int connectionIndex)>;

  // Listens and serves every connection with `script`; the connection closes
  // when the script returns.
  explicit TestServer(Script script);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  uint16_t port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  int connections() const { return connections_.load(); }

 private:
  SocketHandle listener_;
  uint16_t port_ = 0;
  Script script_;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// The Resolve protocol's framing of one message: 4-byte big-endian length,
// then the bytes.
std::string Framed(std::string_view xml);

// A port on 127.0.0.1 where nothing listens (bound once, then let go).
uint16_t UnusedPort();

}  // namespace calibration_test
