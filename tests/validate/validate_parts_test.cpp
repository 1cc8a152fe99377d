// The validator's own machinery without a plug-in: the child runner's
// verdicts for crashes, hangs, throws and chatter; the guarded text reader;
// the closing line and the JSON report.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "CheckRunner.h"
#include "Report.h"
#include "hostkit/SafeText.h"

namespace {

using validate::Check;
using validate::CheckResult;
using validate::Outcome;
using validate::Session;
using validate::Verdict;

CheckResult RunBody(std::function<Outcome(Session&)> body, double timeout = 20, int maxLines = -1) {
  validate::RunOptions options;
  options.pluginPath = "/nonexistent.so";
  options.timeoutSeconds = timeout;
  return validate::CheckRunner(options).Run(Check{"unit.body", 1, maxLines, std::move(body)});
}

TEST(CheckRunner, VerdictsReasonsAndDetailsComeBackFromTheChild) {
  CheckResult result = RunBody([](Session& s) {
    s.Detail("first\tdetail\nline");
    return validate::Skipped("nothing to do");
  });
  EXPECT_EQ(result.verdict, Verdict::Skip);
  EXPECT_EQ(result.reason, "nothing to do");
  EXPECT_EQ(result.details, std::vector<std::string>{"first detail line"});

  result = RunBody([](Session&) -> Outcome { throw validate::CheckFailed("value 3 read back as 4"); });
  EXPECT_EQ(result.verdict, Verdict::Fail);
  EXPECT_EQ(result.reason, "value 3 read back as 4");

  result = RunBody([](Session&) -> Outcome { throw std::runtime_error("boom"); });
  EXPECT_EQ(result.verdict, Verdict::Fail);
  EXPECT_EQ(result.reason, "unexpected error: boom");
}

TEST(CheckRunner, CrashNamesTheSignalAndTheLastStep) {
  const CheckResult result = RunBody([](Session& s) -> Outcome {
    s.Step("code 41 with a null record");
    std::raise(SIGSEGV);
    return validate::Passed();
  });
  EXPECT_EQ(result.verdict, Verdict::Crash);
  EXPECT_EQ(result.reason, "signal 11 (SIGSEGV) during code 41 with a null record");
}

TEST(CheckRunner, ChildThatEndsWithoutAVerdictFails) {
  const CheckResult result = RunBody([](Session&) -> Outcome { ::_exit(3); });
  EXPECT_EQ(result.verdict, Verdict::Fail);
  EXPECT_EQ(result.reason, "the child ended with status 3 without a verdict");
}

TEST(CheckRunner, HangIsKilledAtItsLimit) {
  const auto start = std::chrono::steady_clock::now();
  const CheckResult result = RunBody(
      [](Session& s) -> Outcome {
        s.Step("frame 7");
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return validate::Passed();
      },
      0.5);
  EXPECT_EQ(result.verdict, Verdict::Timeout);
  EXPECT_EQ(result.reason, "after 0.5 s during frame 7");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(CheckRunner, StandardOutputIsCapturedAndItsLinesCounted) {
  auto chatty = [](int lines) {
    return [lines](Session&) {
      for (int i = 0; i < lines; ++i) std::printf("diagnostic %d\n", i);
      return validate::Passed();
    };
  };
  CheckResult result = RunBody(chatty(1), 20, 1);
  EXPECT_EQ(result.verdict, Verdict::Pass);
  EXPECT_EQ(result.output, "diagnostic 0\n");

  result = RunBody(chatty(2), 20, 1);
  EXPECT_EQ(result.verdict, Verdict::Fail);
  EXPECT_EQ(result.reason,
            "the plug-in wrote 2 lines to standard output, at most 1 allowed; the first: \"diagnostic 0\"");
}

// Two pages: the first readable, the second not.
class GuardedPages : public ::testing::Test {
 protected:
  void SetUp() override {
    page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* memory = ::mmap(nullptr, page_ * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    base_ = static_cast<char*>(memory);
    ASSERT_EQ(::mprotect(base_ + page_, page_, PROT_NONE), 0);
  }
  void TearDown() override { ::munmap(base_, page_ * 2); }
  std::size_t page_ = 0;
  char* base_ = nullptr;
};

TEST_F(GuardedPages, TextRunningIntoUnmappedMemoryIsReportedNotRead) {
  std::memset(base_, 'a', page_);
  const hostkit::SafeTextResult result = hostkit::ReadText(base_ + page_ - 10, page_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.text, std::string(10, 'a'));
  EXPECT_EQ(result.problem, "unreadable memory after 10 bytes");
}

TEST_F(GuardedPages, TerminatorAtTheEdgeOfAPageIsFound) {
  std::memset(base_, 'b', page_);
  base_[page_ - 1] = '\0';
  const hostkit::SafeTextResult result = hostkit::ReadText(base_ + page_ - 6);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.text, "bbbbb");
}

TEST(SafeText, BoundAndNullAreReported) {
  const std::string longText(100, 'c');
  hostkit::SafeTextResult result = hostkit::ReadText(longText.c_str(), 99);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.problem, "no terminator within 99 bytes");
  EXPECT_TRUE(hostkit::ReadText(longText.c_str(), 100).ok);
  result = hostkit::ReadText(nullptr);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.problem, "null pointer");
}

TEST(Report, ClosingLineCountsCrashesAndTimeoutsAsFailures) {
  std::vector<CheckResult> results(6);
  const Verdict verdicts[] = {Verdict::Pass, Verdict::Pass, Verdict::Fail, Verdict::Crash, Verdict::Timeout,
                              Verdict::Skip};
  for (std::size_t i = 0; i < results.size(); ++i) results[i].verdict = verdicts[i];
  EXPECT_EQ(validate::TotalsLine(validate::Count(results)), "2 passed, 3 failed, 1 skipped");
  results.pop_back();
  EXPECT_EQ(validate::TotalsLine(validate::Count(results)), "2 passed, 3 failed");
}

// Non-ASCII text (a plug-in's name, a reason quoting it) comes back as the
// same UTF-8 text; bytes that are no UTF-8 at all (a plug-in's stray output)
// become U+FFFD instead of making the report unreadable.
TEST(Report, JsonKeepsUtf8TextAndReplacesInvalidBytes) {
  CheckResult result;
  result.name = "info.strings";
  result.verdict = Verdict::Fail;
  result.reason = "parameter 0 name \"Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\x9B\" is \"quoted\"\n";
  result.details = {"d\xC3\xA9tail\t1"};
  result.output = "stray \xFF\xC3 bytes";
  std::ostringstream out;
  validate::WriteJson(out, "/tmp/Pl\xC3\xBCgin.so", 42, "egl", {result});
  const nlohmann::json report = nlohmann::json::parse(out.str());
  EXPECT_EQ(report.at("plugin"), "/tmp/Pl\xC3\xBCgin.so");
  const auto& check = report.at("checks").at(0);
  EXPECT_EQ(check.at("reason"), result.reason);
  EXPECT_EQ(check.at("details").at(0), result.details[0]);
  EXPECT_EQ(check.at("output"), "stray \xEF\xBF\xBD\xEF\xBF\xBD bytes");
  EXPECT_EQ(check.at("verdict"), "FAIL");
  EXPECT_EQ(report.at("totals").at("failed"), 1);
}

TEST(CheckRunner, SignalsAreNamedByTheCLibrary) {
  const struct {
    int signal;
    const char* name;
  } cases[] = {{SIGSEGV, "SIGSEGV"}, {SIGABRT, "SIGABRT"}, {SIGBUS, "SIGBUS"},
               {SIGXCPU, "SIGXCPU"}, {SIGKILL, "SIGKILL"}, {200, "signal 200"}};
  for (const auto& c : cases) EXPECT_EQ(validate::SignalName(c.signal), c.name) << c.signal;
}

}  // namespace
