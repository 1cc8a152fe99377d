#include "TestServer.h"

#include "calibration/SocketHeaders.h"

#ifndef _WIN32
#include <poll.h>
#include <unistd.h>
#endif

#include <chrono>
#include <stdexcept>

namespace calibration_test {

namespace {

#ifdef _WIN32
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
constexpr int kSendFlags = 0;
void CloseSocket(SocketHandle fd) { closesocket(fd); }
// The test starts Winsock for its own server; the plug-in starts it again
// for itself (Winsock counts its starts).
void StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw std::runtime_error("WSAStartup failed");
}
// Winsock has no poll() before Vista's WSAPoll; select() on one socket does.
bool Readable(SocketHandle fd, int milliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(fd, &readable);
  timeval wait{0, milliseconds * 1000};
  return select(0, &readable, nullptr, nullptr, &wait) > 0;
}
#else
constexpr SocketHandle kNoSocket = -1;
constexpr int kSendFlags = MSG_NOSIGNAL;
void CloseSocket(SocketHandle fd) { close(fd); }
void StartSockets() {}
bool Readable(SocketHandle fd, int milliseconds) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, milliseconds) > 0;
}
#endif

// setsockopt's value as both platforms take it (Winsock wants a char*).
template <typename T>
void SetOption(SocketHandle fd, int level, int name, const T& value) {
  setsockopt(fd, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

SocketHandle ListenOnFreePort(uint16_t& port) {
  StartSockets();
  const SocketHandle fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd == kNoSocket) throw std::runtime_error("socket failed");
#ifndef _WIN32
  // Windows' SO_REUSEADDR would let another socket take the port.
  SetOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
#endif
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    CloseSocket(fd);
    throw std::runtime_error("bind/listen failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

void Peer::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto sent = send(fd_, bytes.data(), static_cast<int>(bytes.size()), kSendFlags);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
}

std::string Peer::ReadUntil(std::string_view terminator) {
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (received.find(terminator) == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    if (!Readable(fd_, 10)) continue;
    char chunk[4096];
    const auto got = recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) break;
    received.append(chunk, static_cast<size_t>(got));
  }
  return received;
}

bool Peer::WaitForClose() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline && !stopping_.load()) {
    if (!Readable(fd_, 10)) continue;
    char chunk[4096];
    if (recv(fd_, chunk, sizeof chunk, 0) <= 0) return true;
  }
  return false;
}

void Peer::Reset() {
  const linger hard{1, 0};
  SetOption(fd_, SOL_SOCKET, SO_LINGER, hard);
}

TestServer::TestServer(Script script) : script_(std::move(script)) {
  listener_ = ListenOnFreePort(port_);
  thread_ = std::thread([this] {
    while (!stopping_.load()) {
      if (!Readable(listener_, 10)) continue;
      const SocketHandle fd = accept(listener_, nullptr, nullptr);
      if (fd == kNoSocket) continue;
      Peer peer(fd, stopping_);
      script_(peer, connections_++);
      CloseSocket(fd);
    }
  });
}

TestServer::~TestServer() {
  stopping_ = true;
  thread_.join();
  CloseSocket(listener_);
}

std::string Framed(std::string_view xml) {
  const auto length = static_cast<uint32_t>(xml.size());
  std::string framed;
  framed += static_cast<char>(length >> 24);
  framed += static_cast<char>(length >> 16 & 0xff);
  framed += static_cast<char>(length >> 8 & 0xff);
  framed += static_cast<char>(length & 0xff);
  framed += xml;
  return framed;
}

uint16_t UnusedPort() {
  uint16_t port = 0;
  CloseSocket(ListenOnFreePort(port));
  return port;
}

}  // namespace calibration_test
