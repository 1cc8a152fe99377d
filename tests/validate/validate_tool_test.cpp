// The validator run as a program: on a plug-in with three known faults it
// must report exactly those, its JSON report must agree with its lines, and
// one seed must always make the same random choices.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "MiniJson.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  std::vector<std::string> lines;
};

ToolRun RunTool(const std::string& arguments) {
  ToolRun run;
  const std::string command = std::string(VALIDATOR_PATH) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::string text;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// "PASS name" or "FAIL name: why" -> name.
std::string CheckName(const std::string& line) {
  const auto space = line.find(' ');
  const auto colon = line.find(':', space);
  return line.substr(space + 1, colon == std::string::npos ? std::string::npos : colon - space - 1);
}

bool IsResultLine(const std::string& line) {
  for (const char* verdict : {"PASS ", "FAIL ", "CRASH ", "TIMEOUT ", "SKIP "})
    if (StartsWith(line, verdict)) return true;
  return false;
}

// One full run on the broken plug-in, shared by the tests that read it.
class BrokenPluginRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    jsonPath_ = ::testing::TempDir() + "broken_report.json";
    run_ = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --seed 7 --json " + jsonPath_);
  }
  static std::map<std::string, std::string> ResultLines() {
    std::map<std::string, std::string> lines;
    for (const auto& line : run_.lines)
      if (IsResultLine(line)) lines[CheckName(line)] = line;
    return lines;
  }
  static inline ToolRun run_;
  static inline std::string jsonPath_;
};

TEST_F(BrokenPluginRun, ReportsExactlyItsThreeFaults) {
  ASSERT_FALSE(run_.lines.empty());
  EXPECT_EQ(run_.lines.front(), "seed: 7");
  const auto lines = ResultLines();
  ASSERT_EQ(lines.count("calls.null-records"), 1u);
  EXPECT_TRUE(StartsWith(lines.at("calls.null-records"),
                         "CRASH calls.null-records: signal 11 (SIGSEGV) during code 41 with a null record"))
      << lines.at("calls.null-records");
  ASSERT_EQ(lines.count("lifecycle.cycles"), 1u);
  const std::string& leak = lines.at("lifecycle.cycles");
  EXPECT_TRUE(StartsWith(leak, "FAIL lifecycle.cycles: after 1100 cycles: 1100 programs")) << leak;
  EXPECT_NE(leak.find("left alive"), std::string::npos) << leak;
  ASSERT_EQ(lines.count("frame.gl-hygiene"), 1u);
  const std::string& hygiene = lines.at("frame.gl-hygiene");
  EXPECT_TRUE(StartsWith(hygiene, "FAIL frame.gl-hygiene: code 17 (frame 1): GL_CURRENT_PROGRAM was 0, now "))
      << hygiene;

  int passed = 0;
  for (const auto& [name, line] : lines) {
    if (name == "calls.null-records" || name == "lifecycle.cycles" || name == "frame.gl-hygiene") continue;
    EXPECT_TRUE(StartsWith(line, "PASS ")) << line;
    passed += StartsWith(line, "PASS ");
  }
  EXPECT_EQ(run_.lines.back(), std::to_string(passed) + " passed, 3 failed");
  EXPECT_EQ(run_.exitCode, 1);
}

TEST_F(BrokenPluginRun, JsonReportAgreesWithTheLines) {
  const minijson::Value report = minijson::Parse(ReadFile(jsonPath_));
  EXPECT_EQ(report["plugin"].text, BROKEN_PLUGIN_PATH);
  EXPECT_EQ(report["seed"].number, 7);
  const auto lines = ResultLines();
  const auto& checks = report["checks"].items;
  ASSERT_EQ(checks.size(), lines.size());
  int passed = 0, failed = 0;
  for (const auto& check : checks) {
    const std::string& name = check["name"].text;
    ASSERT_EQ(lines.count(name), 1u) << name;
    const std::string& line = lines.at(name);
    const std::string& verdict = check["verdict"].text;
    EXPECT_TRUE(StartsWith(line, verdict + " " + name)) << line;
    if (verdict != "PASS") {
      EXPECT_EQ(line, verdict + " " + name + ": " + check["reason"].text);
    }
    EXPECT_GE(check["duration_s"].number, 0);
    passed += verdict == "PASS";
    failed += verdict == "FAIL" || verdict == "CRASH" || verdict == "TIMEOUT";
  }
  EXPECT_EQ(report["totals"]["passed"].number, passed);
  EXPECT_EQ(report["totals"]["failed"].number, failed);
}

// The details of the checks that choose at random, per check name.
std::map<std::string, std::vector<std::string>> RandomDetails(const std::string& seed, const std::string& tag) {
  const std::string json = ::testing::TempDir() + "seed_" + tag + ".json";
  const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) +
                              " --only events.random-frames --only params.values-round-trip"
                              " --only determinism.instances --seed " + seed + " --json " + json);
  EXPECT_EQ(run.exitCode, 0);
  std::map<std::string, std::vector<std::string>> details;
  const minijson::Value report = minijson::Parse(ReadFile(json));
  for (const auto& check : report["checks"].items)
    for (const auto& detail : check["details"].items) details[check["name"].text].push_back(detail.text);
  return details;
}

TEST(ValidatorSeed, SameSeedMakesTheSameChoices) {
  const auto first = RandomDetails("99", "a");
  const auto again = RandomDetails("99", "b");
  const auto other = RandomDetails("100", "c");
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first, again);
  for (const auto& [name, details] : first) EXPECT_NE(details, other.at(name)) << name;
}

TEST(ValidatorCli, UnknownCheckNameIsAnError) {
  const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --only no.such-check");
  EXPECT_EQ(run.exitCode, 2);
}

TEST(ValidatorCli, GroupNameSelectsItsChecks) {
  const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --only info --seed 3");
  ASSERT_EQ(run.lines.size(), 5u);
  EXPECT_EQ(run.lines[0], "seed: 3");
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(StartsWith(run.lines[i], "PASS info.")) << run.lines[i];
  EXPECT_EQ(run.lines[4], "3 passed, 0 failed");
  EXPECT_EQ(run.exitCode, 0);
}

}  // namespace
