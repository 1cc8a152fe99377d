// The network side of the calibration patch: connects out to a calibration
// program (never listens), follows its protocol and keeps the last good
// patch as a scene of 10-bit codes. It lives inside the host's frame loop
// and never makes a frame wait: every socket is non-blocking and all the
// work happens in Service(), a bounded step called once per frame.
//
// Once per frame, in this order:
//   client.Configure(source, serverText, settleFrames);  // cheap when unchanged
//   client.Service(now);
//   draw client.Scene() and client.StatusLine();
//   client.FrameDrawn();
//
// The status line is one of
//   "CONNECTING TO 127.0.0.1:20002"          the first connect is under way
//   "CONNECTED TO 127.0.0.1:20002"           connected (for ArgyllCMS Web: a poll got through)
//   "LOST 127.0.0.1:20002, RETRYING IN 1 S"  absent, refused or closed: a new try each second
//   "CONNECTION LOST TO 127.0.0.1:20002, RETRYING IN 1 S"
//                                            the peer of an open connection stopped
//                                            answering (keep-alive ran out); stays
//                                            until a connect succeeds
//   "BAD MESSAGE: ..."                       a message was refused; the last good patch stays
//   a "SERVER ..." line                      the Server text is not a numeric HOST:PORT
// and is written to the log when it changes, each text once until the next
// good patch (so a server that keeps failing does not fill the log).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "calibration/ArgyllWebExchange.h"
#include "calibration/PatchScene.h"
#include "calibration/PatchSource.h"
#include "calibration/ResolveFraming.h"
#include "calibration/ServerAddress.h"
#include "calibration/TcpConnection.h"

namespace calibration {

class CalibrationClient {
 public:
  using Clock = std::chrono::steady_clock;
  using LogSink = std::function<void(const std::string&)>;

  // Retries come this long after a loss, and so at most once a second.
  static constexpr std::chrono::seconds kRetryDelay{1};
  // A connect that has not finished by then counts as lost.
  static constexpr std::chrono::seconds kConnectLimit{5};
  // Bytes read per Service at most, so one frame's share stays bounded
  // whatever the server sends.
  static constexpr size_t kReadBudget = 256 * 1024;

  explicit CalibrationClient(LogSink log = {});

  // Changing the source or the server text closes the connection and drops
  // the patch; the settle count (clamped to 1-60) may change at any time.
  void Configure(PatchSource source, std::string_view server, int settleFrames);

  // One step of the protocol at time `now`: never waits.
  void Service(Clock::time_point now);

  // The plug-in has drawn a frame of the current scene. ArgyllCMS moves on
  // only after the next poll, which goes out once the newest colour has been
  // drawn in `settleFrames` frames.
  void FrameDrawn();

  // The last good patch; black with no rectangle until the first.
  const PatchScene& Scene() const { return scene_; }
  bool HasPatch() const { return hasPatch_; }
  // Good patches received since construction: a new one changes it.
  uint64_t PatchCount() const { return patchCount_; }
  const std::string& StatusLine() const { return status_; }
  PatchSource source() const { return source_; }

 private:
  enum class Phase { Idle, Waiting, Connecting, Reading, AwaitingReply, Settling };
  enum class StatusKind { None, Connecting, Connected, Lost, ConnectionLost, BadMessage, BadServer };

  void StartConnect(Clock::time_point now);
  void CheckConnect(Clock::time_point now);
  void OnOpen();
  void ReadResolve(Clock::time_point now);
  void ExchangeArgyll(Clock::time_point now);
  void Lose(Clock::time_point now);
  // The peer of an open connection stopped answering: it vanished.
  void LoseConnection(Clock::time_point now);
  void Refuse(Clock::time_point now, const std::string& reason);
  void Accept(PatchScene scene);
  void SetStatus(StatusKind kind, std::string text);

  LogSink log_;
  PatchSource source_ = PatchSource::Parameters;
  std::string serverText_;
  int settleFrames_ = kDefaultSettleFrames;

  ServerAddress address_;
  TcpConnection connection_;
  Phase phase_ = Phase::Idle;
  Clock::time_point retryAt_{};
  Clock::time_point connectStartedAt_{};

  ResolveFraming framing_;
  std::string message_;

  std::string request_;
  size_t requestSent_ = 0;
  std::string reply_;
  Rgb8 shown_;
  int framesSinceChange_ = 0;
  std::minstd_rand random_;

  PatchScene scene_;
  bool hasPatch_ = false;
  uint64_t patchCount_ = 0;

  StatusKind statusKind_ = StatusKind::None;
  std::string status_;
  std::set<std::string> logged_;
};

}  // namespace calibration
