#include "Session.h"

#include <unistd.h>

#include <cerrno>

namespace validate {

std::uint64_t MixSeed(std::uint64_t seed, const std::string& name) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : name) hash = (hash ^ c) * 0x100000001b3ull;
  // splitmix64 finaliser over the combination.
  std::uint64_t z = seed ^ hash;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

Session::Session(const RunOptions& options, const std::string& checkName, int channelFd)
    : options_(options),
      channelFd_(channelFd),
      checkSeed_(MixSeed(options.seed, checkName)),
      random_(checkSeed_) {}

Session::~Session() = default;

const hostkit::PluginLibrary& Session::Plugin() {
  if (!plugin_) {
    Step("loading the plug-in");
    plugin_ = std::make_unique<hostkit::PluginLibrary>(options_.pluginPath);
  }
  return *plugin_;
}

hostkit::GLContext& Session::Context(int major, int minor) {
  if (!context_) {
    Step("making the GL context");
    context_ = std::make_unique<hostkit::GLContext>(
        hostkit::GLContextOptions{options_.backend, major, minor});
  }
  return *context_;
}

void Session::Step(const std::string& text) { Send("STEP", text); }
void Session::Detail(const std::string& text) { Send("DETAIL", text); }

void Session::SendVerdict(const char* verdict, const std::string& reason) {
  Send("VERDICT", std::string(verdict) + "\t" + reason);
}

void Session::Send(const char* kind, const std::string& text) {
  std::string line = kind;
  line += '\t';
  // Only the verdict carries a second field; everything else is one line.
  bool verdict = line == "VERDICT\t";
  bool firstTab = true;
  for (char c : text) {
    if (c == '\t' && verdict && firstTab) {
      firstTab = false;
      line += c;
    } else {
      line += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
  }
  line += '\n';
  const char* data = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    const ssize_t written = ::write(channelFd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

}  // namespace validate
