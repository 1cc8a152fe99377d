#include "calibration/CalibrationClient.h"

#include <algorithm>

#include "calibration/ResolveMessage.h"

namespace calibration {

namespace {

// Distinct lines remembered for the once-only log; past this many the
// memory starts afresh, so a server sending ever-new faults cannot grow it.
constexpr size_t kLoggedLinesKept = 32;

}  // namespace

CalibrationClient::CalibrationClient(LogSink log)
    : log_(std::move(log)),
      random_(static_cast<std::minstd_rand::result_type>(
          Clock::now().time_since_epoch().count() & 0x7fffffff)) {}

void CalibrationClient::Configure(PatchSource source, std::string_view server, int settleFrames) {
  settleFrames_ = std::clamp(settleFrames, kMinSettleFrames, kMaxSettleFrames);
  if (source == source_ && server == serverText_) return;

  source_ = source;
  serverText_ = std::string(server);
  connection_.Close();
  framing_.Clear();
  reply_.clear();
  request_.clear();
  scene_ = PatchScene{};
  hasPatch_ = false;
  shown_ = Rgb8{};
  statusKind_ = StatusKind::None;
  status_.clear();
  logged_.clear();
  phase_ = Phase::Idle;
  if (source_ == PatchSource::Parameters) return;

  const AddressResult parsed = ParseServerAddress(
      serverText_, source_ == PatchSource::Resolve ? kDefaultResolveServer : kDefaultArgyllServer);
  if (!parsed.ok) {
    SetStatus(StatusKind::BadServer, parsed.error);
    return;
  }
  address_ = parsed.address;
  phase_ = Phase::Waiting;
  retryAt_ = Clock::time_point::min();
}

void CalibrationClient::Service(Clock::time_point now) {
  if (phase_ == Phase::Waiting && now >= retryAt_) StartConnect(now);
  if (phase_ == Phase::Settling && framesSinceChange_ >= settleFrames_) StartConnect(now);
  if (phase_ == Phase::Connecting) CheckConnect(now);
  if (phase_ == Phase::Reading) ReadResolve(now);
  if (phase_ == Phase::AwaitingReply) ExchangeArgyll(now);
}

void CalibrationClient::FrameDrawn() {
  if (framesSinceChange_ < kMaxSettleFrames) ++framesSinceChange_;
}

void CalibrationClient::StartConnect(Clock::time_point now) {
  if (statusKind_ == StatusKind::None) {
    SetStatus(StatusKind::Connecting, "CONNECTING TO " + address_.text);
  }
  std::string error;
  if (!connection_.Start(address_, error)) {
    Lose(now);
    return;
  }
  connectStartedAt_ = now;
  phase_ = Phase::Connecting;
}

void CalibrationClient::CheckConnect(Clock::time_point now) {
  std::string error;
  const TcpConnection::State state = connection_.CheckConnect(error);
  if (state == TcpConnection::State::Open) {
    OnOpen();
  } else if (state == TcpConnection::State::Closed || now - connectStartedAt_ > kConnectLimit) {
    Lose(now);
  }
}

void CalibrationClient::OnOpen() {
  // After a refused message the fault stays on screen until a good one
  // arrives; a plain reconnect does not hide it.
  if (statusKind_ == StatusKind::Connecting || statusKind_ == StatusKind::Lost ||
      statusKind_ == StatusKind::ConnectionLost) {
    SetStatus(StatusKind::Connected, "CONNECTED TO " + address_.text);
  }
  if (source_ == PatchSource::Resolve) {
    framing_.Clear();
    phase_ = Phase::Reading;
    return;
  }
  request_ = ArgyllPollRequest(address_.text, shown_, static_cast<uint32_t>(random_()));
  requestSent_ = 0;
  reply_.clear();
  phase_ = Phase::AwaitingReply;
}

void CalibrationClient::ReadResolve(Clock::time_point now) {
  std::string arrived;
  const TcpConnection::ReadStatus read = connection_.Read(arrived, kReadBudget);
  framing_.Append(arrived.data(), arrived.size());

  // Every whole message is read in order; the last good one is the patch.
  uint32_t statedLength = 0;
  for (;;) {
    const ResolveFraming::Next next = framing_.Take(message_, statedLength);
    if (next == ResolveFraming::Next::NeedMore) break;
    if (next == ResolveFraming::Next::TooLong) {
      Refuse(now, "LENGTH " + std::to_string(statedLength) + " OVER " +
                      std::to_string(kMaxResolveMessageBytes) + " BYTES");
      return;
    }
    ResolveParse parsed = ParseResolveMessage(message_);
    if (parsed.ok) {
      Accept(std::move(parsed.scene));
    } else {
      SetStatus(StatusKind::BadMessage, "BAD MESSAGE: " + parsed.error);
    }
  }
  // A message cut short by the close is dropped with the connection.
  if (read == TcpConnection::ReadStatus::TimedOut) {
    LoseConnection(now);
  } else if (read == TcpConnection::ReadStatus::PeerClosed || read == TcpConnection::ReadStatus::Failed) {
    Lose(now);
  }
}

void CalibrationClient::ExchangeArgyll(Clock::time_point now) {
  if (requestSent_ < request_.size()) {
    const long sent = connection_.Write(std::string_view(request_).substr(requestSent_));
    if (sent < 0) {
      Lose(now);
      return;
    }
    requestSent_ += static_cast<size_t>(sent);
  }
  const size_t room = kMaxArgyllReplyBytes + 1 - std::min(reply_.size(), kMaxArgyllReplyBytes);
  const TcpConnection::ReadStatus read = connection_.Read(reply_, room);
  if (read == TcpConnection::ReadStatus::TimedOut) {
    LoseConnection(now);
    return;
  }
  if (read == TcpConnection::ReadStatus::Failed) {
    Lose(now);
    return;
  }
  const bool closed = read == TcpConnection::ReadStatus::PeerClosed;
  // A server that closes without a word is gone, not confused.
  if (closed && reply_.empty()) {
    Lose(now);
    return;
  }
  const ArgyllReply reply = ReadArgyllReply(reply_, closed);
  switch (reply.kind) {
    case ArgyllReply::Kind::Incomplete:
      // A long poll waits as long as the measurement takes: a dropped and
      // repeated poll would tell ArgyllCMS the colour had been shown.
      return;
    case ArgyllReply::Kind::Bad:
      Refuse(now, reply.error);
      return;
    case ArgyllReply::Kind::NoChange:
      connection_.Close();
      phase_ = Phase::Settling;  // the shown colour has settled already
      return;
    case ArgyllReply::Kind::Colour: {
      connection_.Close();
      shown_ = reply.colour;
      PatchScene scene;
      scene.background = ToCodes(reply.colour);
      scene.rectangles.push_back({scene.background, Geometry{}});
      Accept(std::move(scene));
      framesSinceChange_ = 0;
      phase_ = Phase::Settling;
      return;
    }
  }
}

void CalibrationClient::Lose(Clock::time_point now) {
  connection_.Close();
  framing_.Clear();
  retryAt_ = now + kRetryDelay;
  phase_ = Phase::Waiting;
  // A connection that vanished keeps saying so while the retries fail.
  if (statusKind_ == StatusKind::ConnectionLost) return;
  // A refused message stays the line while the retries are quiet; a
  // connection that cannot be made at all says so.
  SetStatus(StatusKind::Lost, "LOST " + address_.text + ", RETRYING IN 1 S");
}

void CalibrationClient::LoseConnection(Clock::time_point now) {
  SetStatus(StatusKind::ConnectionLost, "CONNECTION LOST TO " + address_.text + ", RETRYING IN 1 S");
  Lose(now);
}

void CalibrationClient::Refuse(Clock::time_point now, const std::string& reason) {
  connection_.Close();
  framing_.Clear();
  retryAt_ = now + kRetryDelay;
  phase_ = Phase::Waiting;
  SetStatus(StatusKind::BadMessage, "BAD MESSAGE: " + reason);
}

void CalibrationClient::Accept(PatchScene scene) {
  scene_ = std::move(scene);
  hasPatch_ = true;
  ++patchCount_;
  logged_.clear();
  if (statusKind_ != StatusKind::Connected) {
    SetStatus(StatusKind::Connected, "CONNECTED TO " + address_.text);
  }
}

void CalibrationClient::SetStatus(StatusKind kind, std::string text) {
  statusKind_ = kind;
  if (text == status_) return;
  status_ = std::move(text);
  if (logged_.size() >= kLoggedLinesKept) logged_.clear();
  if (logged_.insert(status_).second && log_) log_(status_);
}

}  // namespace calibration
