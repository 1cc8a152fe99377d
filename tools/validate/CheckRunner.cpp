#include "CheckRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <sstream>

namespace validate {
namespace {

constexpr std::size_t kOutputLimit = 64 * 1024;

struct Pipe {
  int read = -1, write = -1;
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
};

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Reads what is there; answers false at end of file or on error.
bool Drain(int fd, std::string& into) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0) {
    into.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && (errno == EINTR || errno == EAGAIN);
}

[[noreturn]] void RunChild(const Check& check, const RunOptions& options, int channel, int output) {
  ::setpgid(0, 0);
  ::dup2(output, STDOUT_FILENO);
  Outcome outcome;
  {
    Session session(options, check.name, channel);
    try {
      outcome = check.run(session);
    } catch (const CheckFailed& failure) {
      outcome = Failed(failure.what());
    } catch (const std::exception& error) {
      outcome = Failed(std::string("unexpected error: ") + error.what());
    } catch (...) {
      outcome = Failed("unexpected error of unknown type");
    }
    std::fflush(stdout);
    session.SendVerdict(VerdictName(outcome.verdict), outcome.reason);
  }
  std::fflush(stdout);
  ::_exit(0);
}

int CountLines(const std::string& text) {
  int lines = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

std::string FirstLine(const std::string& text) {
  const auto end = text.find('\n');
  std::string line = text.substr(0, end);
  if (line.size() > 160) line = line.substr(0, 160) + "...";
  return line;
}

}  // namespace

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass: return "PASS";
    case Verdict::Fail: return "FAIL";
    case Verdict::Crash: return "CRASH";
    case Verdict::Timeout: return "TIMEOUT";
    case Verdict::Skip: return "SKIP";
  }
  return "FAIL";
}

std::string SignalName(int signal) {
  // glibc's abbreviation ("SEGV") for every signal it knows, real-time ones included.
  const char* abbreviation = ::sigabbrev_np(signal);
  return abbreviation ? std::string("SIG") + abbreviation : "signal " + std::to_string(signal);
}

CheckRunner::CheckRunner(RunOptions options) : options_(std::move(options)) {
  // Orphans of a killed child come to this process rather than to init.
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

CheckResult CheckRunner::Run(const Check& check) const {
  CheckResult result;
  result.name = check.name;
  const auto start = std::chrono::steady_clock::now();
  const double limit = options_.timeoutSeconds * check.timeoutScale;

  Pipe channel, output;
  if (!channel.Open() || !output.Open()) {
    result.reason = "cannot make a pipe for the child";
    return result;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    result.reason = "cannot fork the child";
    return result;
  }
  if (pid == 0) {
    ::close(channel.read);
    ::close(output.read);
    RunChild(check, options_, channel.write, output.write);
  }
  ::setpgid(pid, pid);  // also done by the child; whichever runs first wins
  CloseFd(channel.write);
  CloseFd(output.write);

  std::string messages, printed;
  bool timedOut = false, exited = false;
  int status = 0;
  const auto deadline = start + std::chrono::duration<double>(limit);
  while (!exited) {
    pollfd fds[2] = {{channel.read, POLLIN, 0}, {output.read, POLLIN, 0}};
    ::poll(fds, 2, 50);
    for (auto& fd : fds)
      if (fd.fd >= 0 && (fd.revents & (POLLIN | POLLHUP))) {
        std::string& into = fd.fd == channel.read ? messages : printed;
        if (!Drain(fd.fd, into)) CloseFd(fd.fd == channel.read ? channel.read : output.read);
      }
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
    } else if (std::chrono::steady_clock::now() > deadline) {
      timedOut = true;
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      exited = true;
    }
  }
  // Whatever the child left in its process group (a private X server, a
  // grandchild) goes with it; as their subreaper this process reaps them.
  ::kill(-pid, SIGKILL);
  int leftover = 0;
  while (::waitpid(-pid, &leftover, 0) > 0) {
  }
  for (int* fd : {&channel.read, &output.read}) {
    if (*fd < 0) continue;
    ::fcntl(*fd, F_SETFL, O_NONBLOCK);
    std::string& into = *fd == channel.read ? messages : printed;
    while (true) {
      char buffer[4096];
      const ssize_t got = ::read(*fd, buffer, sizeof buffer);
      if (got <= 0) break;
      into.append(buffer, static_cast<std::size_t>(got));
    }
    CloseFd(*fd);
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.output = printed.substr(0, kOutputLimit);

  std::string lastStep, verdict, reason;
  std::istringstream in(messages);
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string kind = line.substr(0, tab), text = line.substr(tab + 1);
    if (kind == "STEP") lastStep = text;
    else if (kind == "DETAIL") result.details.push_back(text);
    else if (kind == "VERDICT") {
      const auto second = text.find('\t');
      verdict = text.substr(0, second);
      reason = second == std::string::npos ? "" : text.substr(second + 1);
    }
  }
  const std::string during = lastStep.empty() ? "" : " during " + lastStep;

  if (timedOut) {
    result.verdict = Verdict::Timeout;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", limit);
    result.reason = std::string("after ") + seconds + " s" + during;
  } else if (WIFSIGNALED(status) && verdict.empty()) {
    const int signal = WTERMSIG(status);
    result.verdict = Verdict::Crash;
    result.reason = "signal " + std::to_string(signal) + " (" + SignalName(signal) + ")" + during;
  } else if (verdict.empty()) {
    result.verdict = Verdict::Fail;
    result.reason = "the child ended with status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                    " without a verdict" + during;
  } else {
    result.verdict = verdict == "PASS"   ? Verdict::Pass
                     : verdict == "SKIP" ? Verdict::Skip
                                         : Verdict::Fail;
    result.reason = reason;
  }

  if (result.verdict == Verdict::Pass && check.maxStdoutLines >= 0) {
    const int lines = CountLines(printed);
    if (lines > check.maxStdoutLines) {
      result.verdict = Verdict::Fail;
      result.reason = "the plug-in wrote " + std::to_string(lines) +
                      " lines to standard output, at most " +
                      std::to_string(check.maxStdoutLines) + " allowed; the first: \"" +
                      FirstLine(printed) + "\"";
    } else if (lines > 0) {
      result.details.push_back("standard output: " + FirstLine(printed));
    }
  }
  return result;
}

std::string RunInChild(const std::function<std::string()>& body, std::string* failure) {
  Pipe pipe;
  if (!pipe.Open()) {
    if (failure) *failure = "cannot make a pipe";
    return {};
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    if (failure) *failure = "cannot fork";
    return {};
  }
  if (pid == 0) {
    ::close(pipe.read);
    std::string answer;
    try {
      answer = body();
    } catch (const std::exception& error) {
      answer = std::string("error: ") + error.what();
    }
    const char* data = answer.data();
    std::size_t left = answer.size();
    while (left > 0) {
      const ssize_t written = ::write(pipe.write, data, left);
      if (written <= 0) break;
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    std::fflush(stdout);
    ::_exit(0);
  }
  CloseFd(pipe.write);
  std::string answer;
  while (Drain(pipe.read, answer)) {
  }
  CloseFd(pipe.read);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) {
    if (failure) *failure = "the run died of signal " + std::to_string(WTERMSIG(status)) + " (" +
                            SignalName(WTERMSIG(status)) + ")";
    return {};
  }
  return answer;
}

}  // namespace validate
