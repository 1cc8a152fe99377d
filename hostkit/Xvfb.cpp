#include "hostkit/Xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace hostkit {
namespace {

// Closes a descriptor on scope exit unless released.
class FdGuard {
 public:
  explicit FdGuard(int fd = -1) : fd_(fd) {}
  ~FdGuard() { Reset(); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int Get() const { return fd_; }
  int Release() { int fd = fd_; fd_ = -1; return fd; }
  void Reset() { if (fd_ >= 0) ::close(fd_); fd_ = -1; }

 private:
  int fd_;
};

std::string ResolveExecutable(const std::string& name) {
  if (name.find('/') != std::string::npos) {
    if (::access(name.c_str(), X_OK) != 0)
      throw XvfbError("Xvfb executable '" + name + "' is missing or not executable");
    return name;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  throw XvfbError("'" + name + "' not found on PATH (install the xvfb package)");
}

// An unlinked temporary file to hold the server's stderr.
int MakeStderrFile() {
  int fd = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  char name[] = "/tmp/hostkit-xvfb-XXXXXX";
  fd = ::mkostemp(name, O_CLOEXEC);
  if (fd >= 0) ::unlink(name);
  return fd;
}

// The last few lines the server wrote to stderr, joined into one line.
std::string StderrTail(int fd) {
  if (fd < 0) return {};
  off_t size = ::lseek(fd, 0, SEEK_END);
  if (size <= 0) return {};
  const off_t want = size < 400 ? size : 400;
  std::string text(static_cast<std::size_t>(want), '\0');
  ssize_t got = ::pread(fd, text.data(), text.size(), size - want);
  if (got <= 0) return {};
  text.resize(static_cast<std::size_t>(got));
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text.empty() ? text : " [Xvfb said: ..." + text + "]";
}

// The display pipe reached end of file: the server is exiting or has exited.
struct PipeClosed : XvfbError {
  using XvfbError::XvfbError;
};

// Reaps the child if it ends within `grace`; returns whether it is gone. A child
// that cannot be waited for (SIGCHLD ignored reaps it automatically) counts as gone.
bool Reap(pid_t pid, std::chrono::milliseconds grace, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + grace;
  for (;;) {
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string DescribeExit(int status) {
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
  return "stopped";
}

// Reads the "N\n" that -displayfd writes, or explains why it never came.
std::string ReadDisplayNumber(int fd, pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string text;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      throw XvfbError("Xvfb (pid " + std::to_string(pid) + ") reported no display within " +
                      std::to_string(timeout.count()) + " ms");
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw XvfbError(std::string("poll on Xvfb pipe failed: ") + std::strerror(errno));
    if (ready == 0) continue;
    char buf[32];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw PipeClosed("Xvfb closed its display pipe without reporting a display");
    text.append(buf, static_cast<std::size_t>(n));
    std::size_t newline = text.find('\n');
    if (newline != std::string::npos) {
      text.resize(newline);
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw XvfbError("Xvfb reported an unreadable display number '" + text + "'");
      return text;
    }
  }
}

}  // namespace

XvfbServer::XvfbServer(const std::string& executable, std::chrono::milliseconds startupTimeout) {
  const std::string path = ResolveExecutable(executable);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    throw XvfbError(std::string("pipe for Xvfb failed: ") + std::strerror(errno));
  FdGuard readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
  FdGuard errFile(MakeStderrFile());

  // Everything the child needs is prepared before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<std::string> args = {path,    "-displayfd", std::to_string(writeEnd.Get()),
                                   "-nolisten", "tcp",    "-screen",
                                   "0",       "64x64x24"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();

  const pid_t pid = ::fork();
  if (pid < 0) throw XvfbError(std::string("fork for Xvfb failed: ") + std::strerror(errno));
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      ::dup2(devnull, 0);
      ::dup2(devnull, 1);
    }
    ::dup2(errFile.Get() >= 0 ? errFile.Get() : devnull, 2);
    ::fcntl(writeEnd.Get(), F_SETFD, 0);  // the one descriptor Xvfb must inherit
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }

  pid_ = pid;
  stderrFd_ = errFile.Release();
  writeEnd.Reset();  // so a dying server shows up as EOF
  try {
    displayName_ = ":" + ReadDisplayNumber(readEnd.Get(), pid, startupTimeout);
  } catch (const std::exception& e) {
    std::string reason = e.what();
    int status = 0;
    const bool closed = dynamic_cast<const PipeClosed*>(&e) != nullptr;
    if (Reap(pid_, std::chrono::milliseconds(closed ? 2000 : 0), status)) {
      reason += "; Xvfb " + DescribeExit(status);
      pid_ = -1;
    }
    reason += StderrTail(stderrFd_);
    Stop();
    throw XvfbError(reason);
  }
}

XvfbServer::~XvfbServer() { Stop(); }

void XvfbServer::Stop() noexcept {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    // Give the server a moment to remove its lock file and socket, then insist.
    int status = 0;
    if (!Reap(pid_, std::chrono::seconds(3), status)) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    pid_ = -1;
  }
  if (stderrFd_ >= 0) ::close(stderrFd_);
  stderrFd_ = -1;
}

}  // namespace hostkit
