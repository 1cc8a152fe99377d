// A calibration machine that vanishes without closing (asleep, its Wi-Fi
// gone): its system stops answering, so nothing ever arrives, not even a
// close. The test makes that happen for real in a network of its own: a
// child process in its own user and network namespace brings up loopback,
// serves a patch on 127.0.0.1, and once the client is connected takes the
// loopback interface down, so every packet of the connection is dropped
// from then on (keep-alive probes included). Nothing outside the namespace
// is touched. Skipped where the system allows no user namespaces.
#include <gtest/gtest.h>

#ifdef __linux__
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "ClientDriver.h"
#include "TestServer.h"
#include "calibration/TcpConnection.h"

using namespace calibration;
using namespace calibration_test;

namespace {

constexpr int kSkipped = 77;

// Loopback up or down, by the interface flags (no tool needed).
bool SetLoopback(bool up) {
  const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool done = ioctl(probe, SIOCGIFFLAGS, &request) == 0;
  if (done) {
    request.ifr_flags = static_cast<short>(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
    done = ioctl(probe, SIOCSIFFLAGS, &request) == 0;
  }
  close(probe);
  return done;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "frozen peer: %s\n", why.c_str());
  return 1;
}

// The scenario, in the child. Its exit status is the verdict: 0 passed,
// kSkipped, anything else failed (said on stderr).
// Resolve: each connection gets a patch, then silence with the connection
// open. ArgyllCMS Web: the first poll gets a colour, the second is held as
// a long poll (the one the vanishing cuts), later ones get a colour.
void Serve(PatchSource source, Peer& peer, int connection) {
  if (source == PatchSource::Resolve) {
    peer.Send(Framed(R"(<calibration><color red="512" green="256" blue="1023" bits="10"/></calibration>)"));
  } else {
    peer.ReadUntil("\r\n\r\n");
    if (connection != 1) {
      peer.Send("HTTP/1.1 200 OK\r\n\r\n#FF8000");
      return;
    }
  }
  peer.WaitForClose();
}

int FrozenPeerScenario(PatchSource source) {
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return kSkipped;
  if (!SetLoopback(true)) return Fail("loopback would not come up in the namespace");

  TestServer server([&](Peer& peer, int connection) { Serve(source, peer, connection); });
  ClientDriver driver;
  driver.realTime = true;
  const std::string connected = "CONNECTED TO " + server.address();
  const std::string lost = "CONNECTION LOST TO " + server.address() + ", RETRYING IN 1 S";
  driver.client.Configure(source, server.address(), 2);
  // Resolve: the patch is there; ArgyllCMS Web: the colour is there and the
  // next poll is waiting for an answer.
  const int open = source == PatchSource::Resolve ? 1 : 2;
  if (!driver.FramesUntil([&] { return driver.client.PatchCount() == 1 && server.connections() == open; },
                          5000)) {
    return Fail("no patch arrived: " + driver.client.StatusLine());
  }
  driver.FramesFor(std::chrono::milliseconds(100));

  // The peer vanishes: from now on nothing of the connection gets through.
  if (!SetLoopback(false)) return Fail("loopback would not go down");
  const auto vanished = std::chrono::steady_clock::now();
  const int keepAliveSeconds = TcpConnection::kKeepAliveIdleSeconds +
                               TcpConnection::kKeepAliveProbes * TcpConnection::kKeepAliveIntervalSeconds;
  // Frames go on meanwhile, each a bounded step (the driver's own loop).
  if (!driver.FramesUntil([&] { return driver.client.StatusLine() == lost; }, 30000)) {
    return Fail("still \"" + driver.client.StatusLine() + "\" " +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::steady_clock::now() - vanished)
                                   .count()) +
                " s after the peer vanished");
  }
  const double noticed = std::chrono::duration<double>(std::chrono::steady_clock::now() - vanished).count();
  std::fprintf(stderr, "frozen peer (%s): noticed after %.1f s (keep-alive %d s)\n",
               kPatchSourceNames[static_cast<int>(source)], noticed, keepAliveSeconds);
  if (noticed < keepAliveSeconds - 1) return Fail("lost before the keep-alive could have run out");
  if (!driver.client.HasPatch()) return Fail("the last good patch was dropped");

  // Retries fail quietly while the machine is away: the line stays.
  driver.FramesFor(std::chrono::milliseconds(2500));
  if (driver.client.StatusLine() != lost) return Fail("the line became \"" + driver.client.StatusLine() + "\"");

  // It comes back: the client connects again as after a refusal.
  if (!SetLoopback(true)) return Fail("loopback would not come back up");
  if (!driver.FramesUntil([&] { return driver.client.PatchCount() == 2; }, 20000)) {
    return Fail("no reconnection: " + driver.client.StatusLine());
  }
  if (driver.client.StatusLine() != connected) return Fail("reconnected as \"" + driver.client.StatusLine() + "\"");
  if (driver.LinesLogged(lost) != 1) return Fail("the lost line was not logged once");
  driver.client.Configure(PatchSource::Parameters, "", 2);
  if (TcpConnection::OpenSockets() != 0) return Fail("a socket stayed open");
  return 0;
}

}  // namespace

TEST(CalibrationLostPeer, APeerThatStopsAnsweringIsNoticedAndReconnected) {
  for (const PatchSource source : {PatchSource::Resolve, PatchSource::ArgyllWeb}) {
    const char* name = kPatchSourceNames[static_cast<int>(source)];
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(FrozenPeerScenario(source));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << name << ": the scenario ended by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == kSkipped) GTEST_SKIP() << "no user and network namespace here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << name << ": see the frozen peer's lines above";
  }
}

#endif
