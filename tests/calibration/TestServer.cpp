#include "TestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace calibration_test {

namespace {

int ListenOnFreePort(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    throw std::runtime_error("bind/listen failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool Readable(int fd, int milliseconds) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, milliseconds) > 0;
}

}  // namespace

void Peer::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
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
    const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
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
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

TestServer::TestServer(Script script) : script_(std::move(script)) {
  listener_ = ListenOnFreePort(port_);
  thread_ = std::thread([this] {
    while (!stopping_.load()) {
      if (!Readable(listener_, 10)) continue;
      const int fd = accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      Peer peer(fd, stopping_);
      script_(peer, connections_++);
      close(fd);
    }
  });
}

TestServer::~TestServer() {
  stopping_ = true;
  thread_.join();
  close(listener_);
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
  close(ListenOnFreePort(port));
  return port;
}

}  // namespace calibration_test
