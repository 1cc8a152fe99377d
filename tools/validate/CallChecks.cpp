// Calls a careless or newer host might make: unknown function codes,
// parameter IDs and element indices that name nothing, null records and null
// instances. Each must answer the failure value (or null) and crash nothing.
#include <cstdio>
#include <cstring>

#include "Check.h"
#include "Frames.h"
#include "ParamTable.h"
#include "Session.h"

namespace validate {
namespace {

bool IsFail(FFMixed answer) { return reinterpret_cast<std::uintptr_t>(answer.PointerValue) == FF_FAIL; }
bool IsNull(FFMixed answer) { return answer.PointerValue == nullptr; }

std::string Show(FFMixed answer) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(answer.PointerValue)));
  return text;
}

std::string ShowId(FFUInt32 id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", id);
  return text;
}

// What an answer to a call with bad input may be.
enum class Allowed { Fail, Null, FailOrZero };

bool Accepts(Allowed allowed, FFMixed answer) {
  switch (allowed) {
    case Allowed::Fail: return IsFail(answer);
    case Allowed::Null: return IsNull(answer);
    case Allowed::FailOrZero: return IsFail(answer) || IsNull(answer);
  }
  return false;
}

const char* Expected(Allowed allowed) {
  switch (allowed) {
    case Allowed::Fail: return "the failure value 0xFFFFFFFF";
    case Allowed::Null: return "null";
    case Allowed::FailOrZero: return "failure or 0";
  }
  return "";
}

// Gathers every unacceptable answer of one check into its reason.
class Findings {
 public:
  explicit Findings(Session& session) : session_(session) {}
  // Makes the call (announced as a step, so a crash names it) and checks its answer.
  template <typename Call>
  void Expect(const std::string& what, Allowed allowed, Call call) {
    session_.Step(what);
    const FFMixed answer = call();
    ++calls_;
    if (Accepts(allowed, answer)) return;
    if (count_++ < 4) text_ += (text_.empty() ? "" : "; ") + what + " answered " + Show(answer) +
                               ", not " + Expected(allowed);
  }
  void Note(const std::string& problem) {
    if (count_++ < 4) text_ += (text_.empty() ? "" : "; ") + problem;
  }
  Outcome Verdict() const {
    if (count_ == 0) return Passed(std::to_string(calls_) + " calls");
    return Failed(text_ + (count_ > 4 ? "; and " + std::to_string(count_ - 4) + " more" : ""));
  }

 private:
  Session& session_;
  std::string text_;
  int count_ = 0, calls_ = 0;
};

std::unique_ptr<hostkit::HostInstance> LiveInstance(Session& session) {
  session.Context();
  session.Step("instantiating at 16x16");
  return MakeInstance(session.Plugin(), 16, 16);
}

Outcome UnknownCodes(Session& session) {
  const auto& plugin = session.Plugin();
  Findings findings(session);
  const FFUInt32 codes[] = {1, 3, 11, 12, 14, 24, 25, 26, 27, 28, 29, 30, 52, 53, 100, 1000, 0x7FFFFFFF, 0xFFFFFFFF};
  for (FFUInt32 code : codes)
    findings.Expect("code " + std::to_string(code) + " without an instance", Allowed::Fail,
                    [&] { return plugin.Call(code, 0u, nullptr); });
  auto host = LiveInstance(session);
  for (FFUInt32 code : codes)
    findings.Expect("code " + std::to_string(code) + " on a live instance", Allowed::Fail,
                    [&] { return plugin.Call(code, 0u, host->Id()); });
  RenderFrame(*host, "the unknown codes");
  return findings.Verdict();
}

Outcome BadParameterIds(Session& session) {
  const auto& plugin = session.Plugin();
  Findings findings(session);
  const FFUInt32 count = plugin.GetNumParameters();
  Require(count != FF_FAIL, "code 4 (parameter count) answered failure");
  auto host = LiveInstance(session);
  FFInstanceID instance = host->Id();
  for (FFUInt32 id : {count, count + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    const std::string of = " for parameter ID " + ShowId(id);
    findings.Expect("code 5" + of, Allowed::Null, [&] { return plugin.Call(5, id); });
    findings.Expect("code 6" + of, Allowed::Fail, [&] { return plugin.Call(6, id); });
    findings.Expect("code 15" + of, Allowed::Fail, [&] { return plugin.Call(15, id); });
    findings.Expect("code 32" + of, Allowed::Fail, [&] { return plugin.Call(32, id); });
    findings.Expect("code 31 (prototype)" + of, Allowed::Fail, [&] { return plugin.Call(31, id); });
    findings.Expect("code 31 (instance)" + of, Allowed::Fail, [&] { return plugin.Call(31, id, instance); });
    findings.Expect("code 45 (prototype)" + of, Allowed::Fail, [&] { return plugin.Call(45, id); });
    findings.Expect("code 43" + of, Allowed::FailOrZero, [&] { return plugin.Call(43, id); });
    findings.Expect("code 47" + of, Allowed::FailOrZero, [&] { return plugin.Call(47, id); });
    findings.Expect("code 7" + of, Allowed::Null, [&] { return plugin.Call(7, id, instance); });
    findings.Expect("code 9" + of, Allowed::FailOrZero, [&] { return plugin.Call(9, id, instance); });
    SetParameterStruct set{id, FFNumber(hostkit::BitsOfFloat(0.5f))};
    findings.Expect("code 8" + of, Allowed::Fail, [&] { return plugin.CallWith(8, &set, instance); });
    GetParameterElementStruct element{id, 0};
    findings.Expect("code 35 (prototype)" + of, Allowed::Null, [&] { return plugin.CallWith(35, &element); });
    findings.Expect("code 36 (prototype)" + of, Allowed::Fail, [&] { return plugin.CallWith(36, &element); });
    findings.Expect("code 35 (instance)" + of, Allowed::Null,
                    [&] { return plugin.CallWith(35, &element, instance); });
    findings.Expect("code 44" + of, Allowed::Null, [&] { return plugin.CallWith(44, &element); });
    findings.Expect("code 48" + of, Allowed::Fail, [&] { return plugin.CallWith(48, &element); });
    SetParameterElementValueStruct elementValue{id, 0, 1.0f};
    findings.Expect("code 37" + of, Allowed::Fail, [&] { return plugin.CallWith(37, &elementValue, instance); });
    // Code 41 may answer failure, or success with a range.
    GetRangeStruct range{id, {0, 0}};
    findings.Expect("code 41" + of, Allowed::FailOrZero, [&] { return plugin.CallWith(41, &range); });
    // Codes 50 and 51 may answer failure, or success with an empty text.
    for (FFUInt32 code : {50u, 51u}) {
      char buffer[32] = {};
      GetStringStruct text{id, buffer, 16};
      findings.Expect("code " + std::to_string(code) + of, Allowed::FailOrZero,
                      [&] { return plugin.CallWith(code, &text, code == 51 ? instance : nullptr); });
      if (buffer[0] != 0) findings.Note("code " + std::to_string(code) + of + " wrote text \"" +
                                        std::string(buffer, strnlen(buffer, 16)) + "\"");
    }
  }
  RenderFrame(*host, "the calls with bad parameter IDs");
  return findings.Verdict();
}

Outcome BadElementIndices(Session& session) {
  const auto& plugin = session.Plugin();
  Findings findings(session);
  const auto table = ReadParamTable(plugin);
  auto host = LiveInstance(session);
  FFInstanceID instance = host->Id();
  for (const auto& param : table) {
    const FFUInt32 elements = plugin.GetElementCount(nullptr, param.id);
    const FFUInt32 extensions = plugin.GetFileExtensionCount(param.id);
    const FFUInt32 marks = plugin.GetElementMarkCount(param.id);
    const std::string of = " of parameter " + std::to_string(param.id);
    if (elements != FF_FAIL)
      for (FFUInt32 index : {elements, elements + 1, 0xFFFFFFFFu}) {
        const std::string at = " for element " + ShowId(index) + of;
        GetParameterElementStruct address{param.id, index};
        findings.Expect("code 35 (prototype)" + at, Allowed::Null, [&] { return plugin.CallWith(35, &address); });
        findings.Expect("code 36 (prototype)" + at, Allowed::Fail, [&] { return plugin.CallWith(36, &address); });
        findings.Expect("code 35 (instance)" + at, Allowed::Null,
                        [&] { return plugin.CallWith(35, &address, instance); });
        findings.Expect("code 36 (instance)" + at, Allowed::Fail,
                        [&] { return plugin.CallWith(36, &address, instance); });
        SetParameterElementValueStruct value{param.id, index, 1.0f};
        findings.Expect("code 37" + at, Allowed::Fail, [&] { return plugin.CallWith(37, &value, instance); });
      }
    if (extensions != FF_FAIL)
      for (FFUInt32 index : {extensions, 0xFFFFFFFFu}) {
        GetParameterElementStruct address{param.id, index};
        findings.Expect("code 44 for extension " + ShowId(index) + of, Allowed::Null,
                        [&] { return plugin.CallWith(44, &address); });
      }
    if (marks != FF_FAIL)
      for (FFUInt32 index : {marks, 0xFFFFFFFFu}) {
        GetParameterElementStruct address{param.id, index};
        findings.Expect("code 48 for mark " + ShowId(index) + of, Allowed::Fail,
                        [&] { return plugin.CallWith(48, &address); });
      }
  }
  RenderFrame(*host, "the calls with bad element indices");
  return findings.Verdict();
}

Outcome NullRecords(Session& session) {
  const auto& plugin = session.Plugin();
  Findings findings(session);
  auto host = LiveInstance(session);
  FFInstanceID instance = host->Id();
  // Codes that read or write a record through their input pointer.
  const struct {
    FFUInt32 code;
    bool onInstance;
    Allowed allowed;
  } codes[] = {
      {8, true, Allowed::Fail},   {17, true, Allowed::Fail},  {18, false, Allowed::FailOrZero},
      {20, true, Allowed::Fail},  {23, true, Allowed::Fail},  {35, false, Allowed::Null},
      {35, true, Allowed::Null},  {36, false, Allowed::Fail}, {36, true, Allowed::Fail},
      {37, true, Allowed::Fail},  {38, true, Allowed::Fail},  {39, true, Allowed::Fail},
      {41, false, Allowed::Fail}, {42, false, Allowed::Fail}, {44, false, Allowed::Null},
      {46, true, Allowed::Fail},  {48, false, Allowed::Fail}, {50, false, Allowed::Fail},
      {51, true, Allowed::Fail},
  };
  for (const auto& c : codes)
    findings.Expect("code " + std::to_string(c.code) + " with a null record" +
                        (c.onInstance ? " on a live instance" : ""),
                    c.allowed, [&] { return plugin.CallWith(c.code, nullptr, c.onInstance ? instance : nullptr); });

  // Instance codes with a good record but no instance.
  SetParameterStruct set{0, FFNumber(0)};
  double seconds = 1.0;
  FFGLViewportStruct viewport{0, 0, 16, 16};
  SetBeatinfoStruct beat{120.0f, 0.0f};
  GetParamEventsStruct events{0, nullptr};
  ProcessOpenGLStruct frame{0, nullptr, host->Target().FramebufferName()};
  const struct {
    FFUInt32 code;
    const void* record;
  } instanceCodes[] = {{8, &set}, {17, &frame}, {20, &seconds}, {23, &viewport}, {38, &beat}, {46, &events}};
  for (const auto& c : instanceCodes)
    findings.Expect("code " + std::to_string(c.code) + " with a null instance", Allowed::Fail,
                    [&] { return plugin.CallWith(c.code, c.record, nullptr); });
  for (FFUInt32 code : {7u, 9u, 16u, 19u, 21u, 22u, 40u})
    findings.Expect("code " + std::to_string(code) + " with a null instance",
                    code == 7 ? Allowed::FailOrZero : Allowed::Fail,
                    [&] { return plugin.Call(code, 0u, nullptr); });
  RenderFrame(*host, "the calls with null records");
  return findings.Verdict();
}

}  // namespace

std::vector<Check> CallChecks() {
  return {
      {"calls.unknown-codes", 1, -1, UnknownCodes},
      {"calls.bad-parameter-ids", 1, -1, BadParameterIds},
      {"calls.bad-element-indices", 1, -1, BadElementIndices},
      {"calls.null-records", 1, -1, NullRecords},
  };
}

}  // namespace validate
