#include "calibration/TcpConnection.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "calibration/SocketHeaders.h"

#ifdef _WIN32
#include <mstcpip.h>
#else
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace calibration {

namespace {

std::atomic<int> g_openSockets{0};

#ifdef _WIN32
int LastError() { return WSAGetLastError(); }
bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
bool IsTimeOut(int error) { return error == WSAETIMEDOUT; }
void CloseHandle(uintptr_t handle) { closesocket(static_cast<SOCKET>(handle)); }
#else
int LastError() { return errno; }
bool WouldBlock(int error) {
  return error == EWOULDBLOCK || error == EAGAIN || error == EINPROGRESS || error == EINTR;
}
void CloseHandle(int handle) { close(handle); }
bool IsTimeOut(int error) { return error == ETIMEDOUT; }
#endif

std::string ErrorText(int error) {
#ifdef _WIN32
  switch (error) {
    case WSAECONNREFUSED: return "REFUSED";
    case WSAETIMEDOUT: return "TIMED OUT";
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH: return "UNREACHABLE";
    case WSAECONNRESET: return "RESET";
    default: return "SOCKET ERROR " + std::to_string(error);
  }
#else
  switch (error) {
    case ECONNREFUSED: return "REFUSED";
    case ETIMEDOUT: return "TIMED OUT";
    case ENETUNREACH:
    case EHOSTUNREACH: return "UNREACHABLE";
    case ECONNRESET: return "RESET";
    default: return "SOCKET ERROR " + std::to_string(error);
  }
#endif
}

// Keep-alive with the class's short intervals. Where an option is missing
// the system's own value stays: the connection still works, only a vanished
// peer is noticed later.
#ifdef _WIN32
void KeepAlive(SOCKET handle) {
  const BOOL on = TRUE;
  setsockopt(handle, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  // Idle time and interval in milliseconds; Windows sends 10 probes (its
  // count is settable only from Windows 10 on).
  tcp_keepalive values{1, TcpConnection::kKeepAliveIdleSeconds * 1000u,
                       TcpConnection::kKeepAliveIntervalSeconds * 1000u};
  DWORD returned = 0;
  WSAIoctl(handle, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr,
           nullptr);
#ifdef TCP_KEEPCNT
  const DWORD probes = TcpConnection::kKeepAliveProbes;
  setsockopt(handle, IPPROTO_TCP, TCP_KEEPCNT, reinterpret_cast<const char*>(&probes), sizeof probes);
#endif
}
#else
void KeepAlive(int handle) {
  const int on = 1;
  setsockopt(handle, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  const int idle = TcpConnection::kKeepAliveIdleSeconds;
  const int interval = TcpConnection::kKeepAliveIntervalSeconds;
  const int probes = TcpConnection::kKeepAliveProbes;
#if defined(TCP_KEEPIDLE)
  setsockopt(handle, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
#elif defined(TCP_KEEPALIVE)
  setsockopt(handle, IPPROTO_TCP, TCP_KEEPALIVE, &idle, sizeof idle);
#endif
#ifdef TCP_KEEPINTVL
  setsockopt(handle, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
#endif
#ifdef TCP_KEEPCNT
  setsockopt(handle, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
#ifdef TCP_USER_TIMEOUT
  // Bytes sent and never acknowledged (a poll written just as the peer
  // went) end the connection in the same time; without this Linux would
  // retransmit them for a quarter of an hour before keep-alive applies.
  const unsigned limit = static_cast<unsigned>((idle + interval * probes) * 1000);
  setsockopt(handle, IPPROTO_TCP, TCP_USER_TIMEOUT, &limit, sizeof limit);
#endif
}
#endif

}  // namespace

#ifdef _WIN32
const TcpConnection::Handle TcpConnection::kNoSocket = static_cast<uintptr_t>(INVALID_SOCKET);

bool StartSockets(std::string& error) {
  // Winsock counts its starts; one per process is enough, and it stays up
  // until the process ends (a plug-in DLL has no safe moment to stop it).
  static const int started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (started != 0) error = "WINSOCK DID NOT START (" + std::to_string(started) + ")";
  return started == 0;
}
#else
const TcpConnection::Handle TcpConnection::kNoSocket = -1;

bool StartSockets(std::string&) { return true; }
#endif

int TcpConnection::OpenSockets() { return g_openSockets.load(); }

bool TcpConnection::Start(const ServerAddress& address, std::string& error) {
  Close();
  if (!StartSockets(error)) return false;

  sockaddr_storage storage{};
  socklen_t length = 0;
  if (address.ipv6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(address.port);
    std::memcpy(&in6->sin6_addr, address.bytes, 16);
    length = sizeof(sockaddr_in6);
  } else {
    auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
    in4->sin_family = AF_INET;
    in4->sin_port = htons(address.port);
    std::memcpy(&in4->sin_addr, address.bytes, 4);
    length = sizeof(sockaddr_in);
  }
  const int family = address.ipv6 ? AF_INET6 : AF_INET;

#ifdef _WIN32
  // Made non-inheritable at once, so that a process the host starts on
  // another thread never holds the connection open.
  const SOCKET made = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                 WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (made == INVALID_SOCKET) {
    error = ErrorText(LastError());
    return false;
  }
  socket_ = static_cast<Handle>(made);
  ++g_openSockets;
  u_long nonBlocking = 1;
  if (ioctlsocket(made, FIONBIO, &nonBlocking) != 0) {
    error = ErrorText(LastError());
    Close();
    return false;
  }
  KeepAlive(made);
  const int started = connect(made, reinterpret_cast<const sockaddr*>(&storage), length);
#else
#ifdef __linux__
  socket_ = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
#else
  socket_ = socket(family, SOCK_STREAM, 0);
#endif
  if (socket_ < 0) {
    socket_ = kNoSocket;
    error = ErrorText(LastError());
    return false;
  }
  ++g_openSockets;
#ifndef __linux__
  fcntl(socket_, F_SETFD, FD_CLOEXEC);
  fcntl(socket_, F_SETFL, fcntl(socket_, F_GETFL) | O_NONBLOCK);
#endif
#ifdef SO_NOSIGPIPE
  const int on = 1;
  setsockopt(socket_, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
  KeepAlive(socket_);
  const int started = connect(socket_, reinterpret_cast<const sockaddr*>(&storage), length);
#endif
  if (started == 0) {
    state_ = State::Open;
    return true;
  }
  const int reason = LastError();
  if (!WouldBlock(reason)) {
    error = ErrorText(reason);
    Close();
    return false;
  }
  state_ = State::Connecting;
  return true;
}

TcpConnection::State TcpConnection::CheckConnect(std::string& error) {
  if (state_ != State::Connecting) return state_;
#ifdef _WIN32
  const SOCKET handle = static_cast<SOCKET>(socket_);
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(handle, &writable);
  FD_SET(handle, &failed);
  timeval zero{0, 0};
  const int ready = select(0, nullptr, &writable, &failed, &zero);
  if (ready == 0) return state_;
  if (ready < 0) {
    error = ErrorText(LastError());
    Close();
    return state_;
  }
#else
  pollfd entry{socket_, POLLOUT, 0};
  const int ready = poll(&entry, 1, 0);
  if (ready == 0) return state_;
  if (ready < 0) {
    if (errno == EINTR) return state_;
    error = ErrorText(LastError());
    Close();
    return state_;
  }
#endif
  int problem = 0;
  socklen_t size = sizeof problem;
  if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&problem), &size) != 0) {
    problem = LastError();
  }
  if (problem != 0) {
    error = ErrorText(problem);
    Close();
    return state_;
  }
  state_ = State::Open;
  return state_;
}

TcpConnection::ReadStatus TcpConnection::Read(std::string& into, size_t maxBytes) {
  if (state_ != State::Open) return ReadStatus::Failed;
  char chunk[16384];
  size_t taken = 0;
  while (taken < maxBytes) {
    const size_t wanted = std::min(sizeof chunk, maxBytes - taken);
#ifdef _WIN32
    const int got = recv(static_cast<SOCKET>(socket_), chunk, static_cast<int>(wanted), 0);
#else
    const ssize_t got = recv(socket_, chunk, wanted, 0);
#endif
    if (got > 0) {
      into.append(chunk, static_cast<size_t>(got));
      taken += static_cast<size_t>(got);
      continue;
    }
    if (got == 0) return ReadStatus::PeerClosed;
    const int error = LastError();
    if (WouldBlock(error)) break;
    return IsTimeOut(error) ? ReadStatus::TimedOut : ReadStatus::Failed;
  }
  return taken > 0 ? ReadStatus::Some : ReadStatus::Nothing;
}

long TcpConnection::Write(std::string_view bytes) {
  if (state_ != State::Open) return -1;
#ifdef _WIN32
  const int sent = send(static_cast<SOCKET>(socket_), bytes.data(), static_cast<int>(bytes.size()), 0);
#elif defined(MSG_NOSIGNAL)
  const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
#else
  const ssize_t sent = send(socket_, bytes.data(), bytes.size(), 0);
#endif
  if (sent >= 0) return static_cast<long>(sent);
  return WouldBlock(LastError()) ? 0 : -1;
}

bool TcpConnection::Inheritable() const {
  if (socket_ == kNoSocket) return false;
#ifdef _WIN32
  DWORD flags = 0;
  if (!GetHandleInformation(reinterpret_cast<HANDLE>(socket_), &flags)) return false;
  return (flags & HANDLE_FLAG_INHERIT) != 0;
#else
  return (fcntl(socket_, F_GETFD) & FD_CLOEXEC) == 0;
#endif
}

void TcpConnection::Close() {
  if (socket_ != kNoSocket) {
    CloseHandle(socket_);
    socket_ = kNoSocket;
    --g_openSockets;
  }
  state_ = State::Closed;
}

}  // namespace calibration
