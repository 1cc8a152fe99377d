// What the client's sockets promise the host whatever the platform: a child
// process the host starts inherits none of them (close-on-exec on POSIX,
// WSA_FLAG_NO_HANDLE_INHERIT on Windows; this runs under Wine too).
#include <gtest/gtest.h>

#include <string>

#include "TestServer.h"
#include "calibration/ServerAddress.h"
#include "calibration/TcpConnection.h"

using namespace calibration;
using namespace calibration_test;

TEST(CalibrationSockets, AreNotInheritedByChildProcesses) {
  TestServer server([](Peer& peer, int) { peer.WaitForClose(); });
  const AddressResult parsed = ParseServerAddress(server.address(), "");
  ASSERT_TRUE(parsed.ok) << parsed.error;
  TcpConnection connection;
  std::string error;
  ASSERT_TRUE(connection.Start(parsed.address, error)) << error;
  EXPECT_FALSE(connection.Inheritable());
  connection.Close();
}
