// One outgoing TCP connection that never makes its caller wait: the connect
// runs in the background and is checked with a zero timeout, reads take only
// what has arrived, writes only what fits. The socket is closed by the
// destructor or by Close(); it is never inherited by child processes (POSIX
// close-on-exec, Windows WSA_FLAG_NO_HANDLE_INHERIT) and a write to a closed
// peer never raises SIGPIPE in the host.
//
// A peer that vanishes without closing (a laptop asleep, its Wi-Fi gone) is
// noticed by TCP keep-alive: after kKeepAliveIdle without a byte from it,
// a probe every kKeepAliveInterval, and after kKeepAliveProbes unanswered
// the reads fail. A live peer's system answers the probes whatever its
// program is doing, so a long wait for a measurement is never cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calibration/ServerAddress.h"

namespace calibration {

// Makes sure the platform's socket layer is started (Winsock's WSAStartup,
// once per process); nothing elsewhere. False with a reason when it cannot.
bool StartSockets(std::string& error);

class TcpConnection {
 public:
  static constexpr int kKeepAliveIdleSeconds = 2;
  static constexpr int kKeepAliveIntervalSeconds = 1;
  static constexpr int kKeepAliveProbes = 3;

  enum class State { Closed, Connecting, Open };
  // TimedOut: the peer stopped answering (keep-alive ran out), as opposed
  // to a close, a reset or another failure.
  enum class ReadStatus { Some, Nothing, PeerClosed, Failed, TimedOut };

  TcpConnection() = default;
  ~TcpConnection() { Close(); }
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // Begins connecting to `address`. False (and Closed) when even the start
  // fails, with the reason in capitals.
  bool Start(const ServerAddress& address, std::string& error);

  // Connecting: whether the connect has finished, without waiting. Returns
  // the new state; a refused or failed connect closes and returns Closed with
  // the reason in `error`.
  State CheckConnect(std::string& error);

  // Appends to `into` what has arrived, at most `maxBytes`.
  ReadStatus Read(std::string& into, size_t maxBytes);

  // Sends as much of `bytes` as the socket takes now; how much, or -1 on a
  // failure.
  long Write(std::string_view bytes);

  void Close();
  State state() const { return state_; }

  // The number of sockets this process holds open through this class: the
  // tests' check that nothing leaks.
  static int OpenSockets();

  // Whether a child process started now would inherit the socket (false, or
  // false when there is none): the tests' check of the flag.
  bool Inheritable() const;

 private:
#ifdef _WIN32
  using Handle = uintptr_t;
#else
  using Handle = int;
#endif
  static const Handle kNoSocket;
  Handle socket_ = kNoSocket;
  State state_ = State::Closed;
};

}  // namespace calibration
