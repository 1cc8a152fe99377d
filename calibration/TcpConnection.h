// One outgoing TCP connection that never makes its caller wait: the connect
// runs in the background and is checked with a zero timeout, reads take only
// what has arrived, writes only what fits. The socket is closed by the
// destructor or by Close(); it is never inherited by child processes and a
// write to a closed peer never raises SIGPIPE in the host.
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
  enum class State { Closed, Connecting, Open };
  enum class ReadStatus { Some, Nothing, PeerClosed, Failed };

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
