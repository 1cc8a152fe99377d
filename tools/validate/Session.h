// What a check body works with inside its child process: the plug-in (loaded
// on first use), a GL context (made on first use), its own random stream, and
// the channel back to the parent for progress steps and details.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "hostkit/GLContext.h"
#include "hostkit/PluginLibrary.h"

namespace validate {

struct RunOptions {
  std::string pluginPath;
  std::uint64_t seed = 0;
  hostkit::GLBackend backend = hostkit::GLBackend::Egl;
  double timeoutSeconds = 120;
};

class Session {
 public:
  // `channelFd` is the write end of the pipe to the parent.
  Session(const RunOptions& options, const std::string& checkName, int channelFd);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const RunOptions& Options() const { return options_; }
  // Seeded from the run's seed and the check's name, so a check makes the
  // same choices whether it runs alone or with the others.
  std::mt19937_64& Random() { return random_; }
  std::uint64_t CheckSeed() const { return checkSeed_; }

  // Loads the plug-in with RTLD_NOW on first use.
  const hostkit::PluginLibrary& Plugin();
  // Makes a core context of at least major.minor current on first use;
  // later calls answer the same context.
  hostkit::GLContext& Context(int major = 4, int minor = 1);
  bool HasContext() const { return context_ != nullptr; }

  // The parent names the last step in a CRASH or TIMEOUT line.
  void Step(const std::string& text);
  // Shown with --verbose and kept in the JSON report.
  void Detail(const std::string& text);

  // The protocol: one line per message, "STEP", "DETAIL" or "VERDICT", a tab,
  // then the text (tabs and line breaks replaced by blanks).
  void SendVerdict(const char* verdict, const std::string& reason);

 private:
  void Send(const char* kind, const std::string& text);

  RunOptions options_;
  int channelFd_;
  std::uint64_t checkSeed_;
  std::mt19937_64 random_;
  std::unique_ptr<hostkit::PluginLibrary> plugin_;
  std::unique_ptr<hostkit::GLContext> context_;
};

// A mix of the run's seed and a name: the seed of one check's random stream.
std::uint64_t MixSeed(std::uint64_t seed, const std::string& name);

}  // namespace validate
