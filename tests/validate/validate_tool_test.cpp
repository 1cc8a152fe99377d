// The validator run as a program. On the breakable plug-in with no fault
// planted every check passes; with one fault planted, the check made for it
// reports it. Its JSON report agrees with its lines and keeps non-ASCII text,
// and one seed always makes the same random choices.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

struct ToolRun {
  int exitCode = -1;
  std::vector<std::string> lines;
};

// Runs the validator with `arguments`; `fault` is planted in the breakable
// plug-in through its environment variable when not empty.
ToolRun RunTool(const std::string& arguments, const std::string& fault = "") {
  ToolRun run;
  const std::string command = (fault.empty() ? "" : "BROKEN_PLUGIN_FAULT=" + fault + " ") +
                              std::string(VALIDATOR_PATH) + " " + arguments + " 2>/dev/null";
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

json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return json::parse(in);
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

std::map<std::string, std::string> ResultLines(const ToolRun& run) {
  std::map<std::string, std::string> lines;
  for (const auto& line : run.lines)
    if (IsResultLine(line)) lines[CheckName(line)] = line;
  return lines;
}

std::set<std::string> AllCheckNames() {
  const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --list");
  return {run.lines.begin(), run.lines.end()};
}

// One full run on the breakable plug-in with no fault planted, shared by the
// tests that read it.
class SoundPluginRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // CTest runs each test of this suite in a process of its own, at the
    // same time: each needs its own report file.
    jsonPath_ = ::testing::TempDir() + "sound_report_" + std::to_string(getpid()) + ".json";
    run_ = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --seed 7 --json " + jsonPath_);
  }
  static inline ToolRun run_;
  static inline std::string jsonPath_;
};

TEST_F(SoundPluginRun, PassesEveryCheck) {
  ASSERT_FALSE(run_.lines.empty());
  EXPECT_EQ(run_.lines.front(), "seed: 7");
  const auto lines = ResultLines(run_);
  const auto names = AllCheckNames();
  EXPECT_EQ(lines.size(), names.size());
  for (const auto& name : names) {
    ASSERT_EQ(lines.count(name), 1u) << name;
    EXPECT_TRUE(StartsWith(lines.at(name), "PASS " + name)) << lines.at(name);
  }
  EXPECT_EQ(run_.lines.back(), std::to_string(names.size()) + " passed, 0 failed");
  EXPECT_EQ(run_.exitCode, 0);
}

TEST_F(SoundPluginRun, JsonReportAgreesWithTheLines) {
  const json report = ReadJson(jsonPath_);
  EXPECT_EQ(report.at("plugin"), BROKEN_PLUGIN_PATH);
  EXPECT_EQ(report.at("seed"), 7);
  const auto lines = ResultLines(run_);
  const auto& checks = report.at("checks");
  ASSERT_EQ(checks.size(), lines.size());
  int passed = 0;
  for (const auto& check : checks) {
    const std::string name = check.at("name");
    ASSERT_EQ(lines.count(name), 1u) << name;
    const std::string verdict = check.at("verdict");
    EXPECT_TRUE(StartsWith(lines.at(name), verdict + " " + name)) << lines.at(name);
    EXPECT_GE(check.at("duration_s").get<double>(), 0.0);
    passed += verdict == "PASS";
  }
  EXPECT_EQ(report.at("totals").at("passed"), passed);
  EXPECT_EQ(report.at("totals").at("failed"), 0);
}

// Each check, the fault planted for it, and the start of the line it must
// print. A CRASH is the right verdict where the fault kills the plug-in.
struct PlantedFault {
  const char* check;
  const char* fault;  // BROKEN_PLUGIN_FAULT; "" with the build that lacks an export
  const char* expected;
};

const PlantedFault kFaults[] = {
    {"load.exports", "", "FAIL load.exports: exports not found: SetLogCallback"},
    {"info.no-context", "api-version-1", "FAIL info.no-context: API major version 1, not 2"},
    {"info.repeatable", "default-drifts", "FAIL info.repeatable: a repeated query answered differently"},
    {"info.strings", "group-overruns-buffer",
     "FAIL info.strings: parameter 0 group (code 50) wrote past the 8-byte buffer"},
    {"calls.unknown-codes", "unknown-code-succeeds",
     "FAIL calls.unknown-codes: code 1000 without an instance answered 0x0"},
    {"calls.bad-parameter-ids", "type-of-any-id", "FAIL calls.bad-parameter-ids: code 15 for parameter ID 0x4"},
    {"calls.bad-element-indices", "element-value-unchecked",
     "FAIL calls.bad-element-indices: code 36 (prototype) for element 0x3 of parameter 1"},
    {"calls.null-records", "range-null-record",
     "CRASH calls.null-records: signal 11 (SIGSEGV) during code 41 with a null record"},
    {"params.metadata", "default-outside-range",
     "FAIL params.metadata: 0 \"Level\" (standard) default 1.5 (0x3FC00000) is outside its range"},
    {"params.defaults-read-back", "defaults-not-applied",
     "FAIL params.defaults-read-back: 0 \"Level\" reads back 0.5 (0x3F000000) after instantiation"},
    {"params.values-round-trip", "values-clamped",
     "FAIL params.values-round-trip: -1 (0xBF800000) sent to 0 \"Level\" reads back as 0"},
    {"texts.defaults", "text-default-null",
     "FAIL texts.defaults: 2 \"Caption\" default (code 6) is <null pointer>"},
    {"texts.file-extensions", "extension-past-count",
     "FAIL texts.file-extensions: 3 \"Layout File\" code 44 answers a text for extension 2, past the 2"},
    {"texts.read-back", "text-pointer-kept",
     "FAIL texts.read-back: 2 \"Caption\" reads back \"##############\" (14 bytes) after an ASCII text"},
    {"texts.null", "null-text-crash",
     "CRASH texts.null: signal 11 (SIGSEGV) during code 8 with a null text for 2 \"Caption\""},
    {"texts.missing-file", "missing-file-fails-frame",
     "FAIL texts.missing-file: code 17 answered"},
    {"lifecycle.cycles", "program-never-deleted", "FAIL lifecycle.cycles: after 1100 cycles: 1100 programs"},
    {"lifecycle.interleaved", "shared-values", "FAIL lifecycle.interleaved: instance "},
    {"frame.sentinel", "draws-outside-viewport", "FAIL frame.sentinel: "},
    {"frame.gl-hygiene", "program-left-bound",
     "FAIL frame.gl-hygiene: code 17 (frame 1): GL_CURRENT_PROGRAM was 0, now "},
    {"frame.sizes", "tiny-frame-fails", "FAIL frame.sizes: code 17 answered"},
    {"frame.max-size", "large-instance-refused", "FAIL frame.max-size: instantiation at "},
    {"determinism.instances", "instance-serial-in-colour",
     "FAIL determinism.instances: two instances with the same parameters gave different first frames"},
    {"determinism.runs", "run-noise-in-colour", "FAIL determinism.runs: two runs gave different first frames"},
    {"events.random-frames", "event-for-no-parameter",
     "FAIL events.random-frames: code 46 reported an event for parameter ID 7, which does not exist"},
    {"context.gl33", "failed-program-kept",
     "FAIL context.gl33: instantiation on OpenGL 3.3 answered failure, leaving 1 program"},
    {"log.callback", "log-keeps-first", "FAIL log.callback: the replaced log callback was called"},
};

TEST(PlantedFaults, EveryCheckHasOne) {
  std::set<std::string> planted;
  for (const auto& f : kFaults) EXPECT_TRUE(planted.insert(f.check).second) << f.check << " twice";
  EXPECT_EQ(planted, AllCheckNames());
}

// Test names show the check, not the bytes of the table row.
void PrintTo(const PlantedFault& planted, std::ostream* out) { *out << planted.check; }

class PlantedFaultTest : public ::testing::TestWithParam<PlantedFault> {};

TEST_P(PlantedFaultTest, ItsCheckReportsIt) {
  const PlantedFault& f = GetParam();
  const std::string plugin = *f.fault ? BROKEN_PLUGIN_PATH : BROKEN_PLUGIN_WITHOUT_LOG_EXPORT_PATH;
  const ToolRun run = RunTool(plugin + " --seed 7 --only " + f.check, f.fault);
  ASSERT_EQ(run.lines.size(), 3u) << "one check, one result line";
  EXPECT_TRUE(StartsWith(run.lines[1], f.expected)) << run.lines[1];
  EXPECT_EQ(run.lines[2], "0 passed, 1 failed");
  EXPECT_EQ(run.exitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(EachCheck, PlantedFaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<PlantedFault>& planted) {
                           std::string name = planted.param.check;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The checks that compare frames pin every instance's clock to the same
// host time (code 20); a plug-in that reads a clock of its own regardless is
// still caught by each of them.
TEST(PlantedFaults, HostTimeDoesNotHideAClockOfItsOwn) {
  for (const char* check : {"determinism.instances", "lifecycle.interleaved"}) {
    const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) + " --seed 7 --only " + check,
                                "clock-instead-of-host-time");
    ASSERT_EQ(run.lines.size(), 3u) << check;
    EXPECT_TRUE(StartsWith(run.lines[1], std::string("FAIL ") + check + ": ")) << run.lines[1];
    EXPECT_EQ(run.exitCode, 1) << check;
  }
}

// A plug-in whose file name is not ASCII: the report keeps the name as
// UTF-8 text, not as one escaped byte per character.
TEST(ValidatorJson, NonAsciiPluginPathRoundTrips) {
  const std::string folder = ::testing::TempDir() + "caf\xC3\xA9 plug-ins";
  std::filesystem::create_directories(folder);
  const std::string plugin = folder + "/Br\xC3\xBBl\xC3\xA9.so";
  std::filesystem::copy_file(BROKEN_PLUGIN_PATH, plugin, std::filesystem::copy_options::overwrite_existing);
  const std::string jsonPath = ::testing::TempDir() + "non_ascii_report.json";
  const ToolRun run = RunTool("'" + plugin + "' --only load.exports --seed 1 --json " + jsonPath);
  EXPECT_EQ(run.exitCode, 0);
  const json report = ReadJson(jsonPath);
  EXPECT_EQ(report.at("plugin").get<std::string>(), plugin);
  std::filesystem::remove_all(folder);
}

// The details of the checks that choose at random, per check name.
std::map<std::string, std::vector<std::string>> RandomDetails(const std::string& seed, const std::string& tag) {
  const std::string jsonPath = ::testing::TempDir() + "seed_" + tag + ".json";
  const ToolRun run = RunTool(std::string(BROKEN_PLUGIN_PATH) +
                              " --only events.random-frames --only params.values-round-trip"
                              " --only determinism.instances --seed " + seed + " --json " + jsonPath);
  EXPECT_EQ(run.exitCode, 0);
  std::map<std::string, std::vector<std::string>> details;
  const json report = ReadJson(jsonPath);
  for (const auto& check : report.at("checks"))
    details[check.at("name")] = check.at("details").get<std::vector<std::string>>();
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
