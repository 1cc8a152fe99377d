// The parameter table as the plug-in declares it, and values through set and
// get: declared defaults, what a fresh instance holds, and every kind of
// float a host (or a broken automation curve) can send.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "Check.h"
#include "Frames.h"
#include "ParamTable.h"
#include "hostkit/SafeText.h"
#include "Session.h"

namespace validate {
namespace {

float FromBits(FFUInt32 bits) { return hostkit::FloatFromBits(bits); }

Outcome Metadata(Session& session) {
  const auto table = ReadParamTable(session.Plugin());
  std::string problems;
  int count = 0;
  auto note = [&](const std::string& problem) {
    if (count++ < 4) problems += (problems.empty() ? "" : "; ") + problem;
  };
  std::set<std::string> names;
  for (const auto& p : table) {
    if (p.name.empty()) note("parameter " + std::to_string(p.id) + " has an empty name");
    else if (!names.insert(p.name).second) note("parameter name \"" + p.name + "\" is used twice");
    if (p.type == FF_FAIL) note("parameter " + std::to_string(p.id) + ": code 15 answered failure");
    if (p.isText) continue;
    const float def = FromBits(p.defaultBits);
    const std::string label = ParamLabel(p);
    if (!std::isfinite(def)) note(label + " default " + DescribeFloat(def) + " is not finite");
    if (p.rangeAnswered && !(p.minimum <= p.maximum))
      note(label + " range " + DescribeFloat(p.minimum) + " to " + DescribeFloat(p.maximum) + " is inverted");
    const bool inRange = def >= p.minimum && def <= p.maximum;
    switch (p.type) {
      case FF_TYPE_STANDARD:
        if (!(def >= 0 && def <= 1) || !inRange)
          note(label + " (standard) default " + DescribeFloat(def) + " is outside its range " +
               DescribeFloat(p.minimum) + " to " + DescribeFloat(p.maximum));
        break;
      case FF_TYPE_INTEGER:
        if (!inRange)
          note(label + " (integer) default " + DescribeFloat(def) + " is outside its range " +
               DescribeFloat(p.minimum) + " to " + DescribeFloat(p.maximum));
        break;
      case FF_TYPE_BOOLEAN:
        if (def != 0.0f && def != 1.0f) note(label + " (boolean) default " + DescribeFloat(def) + " is not 0 or 1");
        break;
      case FF_TYPE_OPTION: {
        bool found = p.elements.empty();
        for (const auto& e : p.elements) found = found || SameBits(e.value, def);
        if (!found) note(label + " (option) default " + DescribeFloat(def) + " is no element's value");
        break;
      }
      default:
        break;
    }
  }
  if (count > 4) problems += "; and " + std::to_string(count - 4) + " more";
  Require(problems.empty(), problems);
  return Passed(std::to_string(table.size()) + " parameters");
}

Outcome DefaultsReadBack(Session& session) {
  const auto& plugin = session.Plugin();
  const auto table = ReadParamTable(plugin);
  session.Context();
  session.Step("instantiating at 16x16");
  auto host = MakeInstance(plugin, 16, 16);
  for (const auto& p : table) {
    session.Step("code 9 for parameter " + std::to_string(p.id));
    const FFMixed answer = plugin.GetParameter(host->Id(), p.id);
    if (p.isText) {
      const hostkit::SafeTextResult text = hostkit::ReadText(answer.PointerValue);
      Require(text.ok && text.text == p.defaultText,
              ParamLabel(p) + " reads back " + (text.ok ? "\"" + text.text + "\"" : "<" + text.problem + ">") +
                  " after instantiation, not its default \"" + p.defaultText + "\"");
    } else {
      Require(answer.UIntValue == p.defaultBits,
              ParamLabel(p) + " reads back " + DescribeFloat(FromBits(answer.UIntValue)) +
                  " after instantiation, not its default " + DescribeFloat(FromBits(p.defaultBits)));
    }
  }
  RenderFrame(*host, "the default values");
  return Passed(std::to_string(table.size()) + " parameters");
}

// The values every numeric parameter is sent, in this order, between frames.
std::vector<float> HostileValues(const ParameterInfo& param, std::mt19937_64& random) {
  auto bits = [](FFUInt32 b) { return hostkit::FloatFromBits(b); };
  std::vector<float> values = {0.0f, 1.0f, -0.0f};
  for (int i = 0; i < 2; ++i)
    if (auto v = RandomValue(param, random)) values.push_back(*v);
  const float more[] = {-1.0f,
                        1e30f,
                        -1e30f,
                        FLT_MAX,
                        -FLT_MAX,
                        std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(),
                        bits(0x00000001u),   // smallest subnormal
                        bits(0x007FFFFFu),   // largest subnormal
                        bits(0x80000001u),   // negative subnormal
                        16777217.0f,         // not representable: rounds to 2^24
                        0.5f};
  values.insert(values.end(), std::begin(more), std::end(more));
  return values;
}

Outcome ValuesRoundTrip(Session& session) {
  const auto& plugin = session.Plugin();
  const auto table = ReadParamTable(plugin);
  session.Context();
  session.Step("instantiating at 8x8");
  auto host = MakeInstance(plugin, 8, 8);
  int sent = 0;
  for (const auto& p : table) {
    if (p.isText) {
      const char* text = "validator text \xC3\xA9";
      session.Step("text round trip on " + ParamLabel(p));
      Require(plugin.SetTextParameter(host->Id(), p.id, text) == FF_SUCCESS,
              "code 8 refused a text for " + ParamLabel(p));
      const hostkit::SafeTextResult back = hostkit::ReadText(plugin.GetParameter(host->Id(), p.id).PointerValue);
      Require(back.ok && back.text == text, ParamLabel(p) + " did not read back the text it was sent");
      RenderFrame(*host, "a text for " + ParamLabel(p));
      continue;
    }
    const auto values = HostileValues(p, session.Random());
    std::string chosen;
    for (float value : values) {
      const std::string what = DescribeFloat(value) + " sent to " + ParamLabel(p);
      session.Step(what);
      const FFUInt32 answer = plugin.SetParameter(host->Id(), p.id, value);
      Require(answer == FF_SUCCESS, "code 8 answered " + std::to_string(answer) + " for " + what);
      const FFUInt32 back = plugin.GetParameter(host->Id(), p.id).UIntValue;
      Require(back == hostkit::BitsOfFloat(value),
              what + " reads back as " + DescribeFloat(FromBits(back)) + " (code 9)");
      RenderFrame(*host, what);
      ++sent;
    }
    session.Detail(ParamLabel(p) + " random values " + DescribeFloat(values[3]) + ", " +
                   DescribeFloat(values[4]));
    plugin.SetParameter(host->Id(), p.id, FromBits(p.defaultBits));
  }
  return Passed(std::to_string(sent) + " values, each read back bit-exact and followed by a finite frame");
}

}  // namespace

std::vector<Check> ParameterChecks() {
  return {
      {"params.metadata", 1, -1, Metadata},
      {"params.defaults-read-back", 1, -1, DefaultsReadBack},
      {"params.values-round-trip", 1, -1, ValuesRoundTrip},
  };
}

}  // namespace validate
