// Instances over a long show: a thousand creations and destructions that
// must leave no GL object and little memory behind, and many live instances
// that must not share state.
#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "Check.h"
#include "Frames.h"
#include "GLCensus.h"
#include "ParamTable.h"
#include "Session.h"
#include "hostkit/RenderTarget.h"

namespace validate {
namespace {

constexpr int kWarmUpCycles = 100;
constexpr int kCycles = 1000;
constexpr std::size_t kResidentBound = 16u << 20;  // bytes of growth allowed over kCycles

// Under AddressSanitizer freed memory waits in its quarantine (up to 256 MiB)
// before reuse, so resident memory grows with every allocation however
// sound the plug-in: the bound is reported but not applied there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif

// One instantiation, one frame into `target`, one de-instantiation.
void Cycle(const hostkit::PluginLibrary& plugin, hostkit::RenderTarget& target, int cycle) {
  const FFGLViewportStruct viewport{0, 0, static_cast<FFUInt32>(target.Width()),
                                    static_cast<FFUInt32>(target.Height())};
  target.Bind();
  FFInstanceID instance = plugin.Instantiate(viewport);
  Require(instance != nullptr, "instantiation answered failure in cycle " + std::to_string(cycle));
  ProcessOpenGLStruct frame{0, nullptr, target.FramebufferName()};
  const FFUInt32 answer = plugin.ProcessOpenGL(instance, frame);
  Require(answer == FF_SUCCESS, "code 17 answered " + std::to_string(answer) + " in cycle " + std::to_string(cycle));
  // A host presents every frame; without this the driver may hold each
  // instance's draw, and with it the instance's shaders, until much later.
  glFinish();
  const FFUInt32 gone = plugin.Deinstantiate(instance);
  Require(gone == FF_SUCCESS, "code 19 answered " + std::to_string(gone) + " in cycle " + std::to_string(cycle));
}

std::string MiB(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
  return text;
}

Outcome Cycles(Session& session) {
  const auto& plugin = session.Plugin();
  session.Context();
  hostkit::RenderTarget target(8, 8, hostkit::PixelFormat::RGBA32F);
  const Census before = TakeCensus();
  session.Step("warm-up cycles");
  for (int i = 0; i < kWarmUpCycles; ++i) Cycle(plugin, target, i);
  const std::size_t residentBefore = ResidentBytes();
  std::string tallied;
  GLuint highest = 4096;
  std::vector<std::string> outstanding;
  {
    CreateDeleteTally tally;
    for (int i = 0; i < kCycles; ++i) {
      if (i % 100 == 0) session.Step("cycle " + std::to_string(i));
      Cycle(plugin, target, kWarmUpCycles + i);
    }
    tallied = tally.Summary();
    if (!tally.StillInstalled()) tallied += " (counting interrupted: the plug-in reloaded GLEW's pointers)";
    highest = std::max<GLuint>(highest, tally.HighestName() + 16);
    for (int k = 0; k < kObjectKinds; ++k) {
      const auto& names = tally.Outstanding(static_cast<ObjectKind>(k));
      if (!names.empty())
        outstanding.push_back(std::to_string(names.size()) + " " +
                              ObjectKindName(static_cast<ObjectKind>(k), names.size() != 1));
    }
  }
  const double grown = static_cast<double>(ResidentBytes()) - static_cast<double>(residentBefore);
  session.Step("census of GL objects");
  const Census after = TakeCensus(highest);
  const std::string leaked = NewObjects(before, after);
  session.Detail("counted calls: " + tallied);
  session.Detail("resident memory grew " + MiB(grown) + " over " + std::to_string(kCycles) + " cycles");
  const std::string cycles = std::to_string(kWarmUpCycles + kCycles) + " cycles";
  Require(leaked.empty(), "after " + cycles + ": " + leaked + " left alive (counted: " + tallied + ")");
  if (!outstanding.empty()) {
    std::string list;
    for (const auto& o : outstanding) list += (list.empty() ? "" : ", ") + o;
    throw CheckFailed("after " + cycles + ": " + list + " made and never deleted (counted: " + tallied + ")");
  }
  Require(!kResidentMemoryMeaningful || grown <= static_cast<double>(kResidentBound),
          "resident memory grew " + MiB(grown) + " over " + std::to_string(kCycles) + " cycles after a " +
              std::to_string(kWarmUpCycles) + "-cycle warm-up, bound " + MiB(kResidentBound));
  return Passed(cycles + ", no GL object left (glIs* probes of names 1.." + std::to_string(highest) +
                "; " + tallied + "); resident memory +" + MiB(grown) + ", bound " + MiB(kResidentBound) +
                (kResidentMemoryMeaningful ? "" : " (not applied under AddressSanitizer)"));
}

constexpr int kInstances = 16;

struct Plan {
  int width, height;
  std::vector<std::optional<float>> values;  // by parameter ID
};

void Apply(const hostkit::PluginLibrary& plugin, FFInstanceID instance, const Plan& plan, std::size_t id) {
  if (!plan.values[id]) return;
  const FFUInt32 answer = plugin.SetParameter(instance, static_cast<FFUInt32>(id), *plan.values[id]);
  Require(answer == FF_SUCCESS, "code 8 answered " + std::to_string(answer) + " for parameter " + std::to_string(id));
}

Outcome Interleaved(Session& session) {
  const auto& plugin = session.Plugin();
  const auto table = ReadParamTable(plugin);
  auto& random = session.Random();
  session.Context();
  std::vector<Plan> plans;
  for (int i = 0; i < kInstances; ++i) {
    Plan plan{5 + (i * 7) % 41, 3 + (i * 11) % 37, {}};
    for (const auto& p : table) plan.values.push_back(RandomValue(p, random));
    ChooseHostTime(table, plan.values);
    plans.push_back(std::move(plan));
  }
  // Each instance alone: the frames the interleaved ones must match.
  std::vector<std::vector<float>> lone;
  for (int i = 0; i < kInstances; ++i) {
    session.Step("lone instance " + std::to_string(i));
    auto host = MakeInstance(plugin, plans[i].width, plans[i].height);
    for (std::size_t id = 0; id < table.size(); ++id) Apply(plugin, host->Id(), plans[i], id);
    plugin.SetTime(host->Id(), kComparedHostTime);
    lone.push_back(RenderFrame(*host, "the lone instance " + std::to_string(i)));
  }

  std::vector<int> order(kInstances);
  std::iota(order.begin(), order.end(), 0);
  std::vector<std::unique_ptr<hostkit::HostInstance>> hosts(kInstances);
  std::shuffle(order.begin(), order.end(), random);
  for (int i : order) {
    session.Step("instantiating instance " + std::to_string(i));
    hosts[i] = MakeInstance(plugin, plans[i].width, plans[i].height);
  }
  for (std::size_t id = 0; id < table.size(); ++id) {
    std::shuffle(order.begin(), order.end(), random);
    for (int i : order) Apply(plugin, hosts[i]->Id(), plans[i], id);
  }
  std::string orderText;
  for (int round = 0; round < 3; ++round) {
    std::shuffle(order.begin(), order.end(), random);
    for (int i : order) {
      if (round == 0) orderText += (orderText.empty() ? "" : " ") + std::to_string(i);
      session.Step("frame " + std::to_string(round) + " of instance " + std::to_string(i));
      // Every instance's clock follows code 20, the same times for all.
      plugin.SetTime(hosts[i]->Id(), kComparedHostTime + round);
      const auto pixels = RenderFrame(*hosts[i], "instance " + std::to_string(i));
      if (round > 0) continue;
      const std::string difference = FirstDifference(lone[i], pixels, plans[i].width);
      Require(difference.empty(), "instance " + std::to_string(i) + " (" + std::to_string(plans[i].width) + "x" +
                                      std::to_string(plans[i].height) + ") among " + std::to_string(kInstances) +
                                      " differs from the same instance alone: " + difference);
    }
  }
  session.Detail("first frames in the order " + orderText);
  std::shuffle(order.begin(), order.end(), random);
  for (int i : order) {
    session.Step("de-instantiating instance " + std::to_string(i));
    hosts[i].reset();
  }
  return Passed(std::to_string(kInstances) + " instances, each first frame bit-identical to the instance alone");
}

}  // namespace

std::vector<Check> LifecycleChecks() {
  return {
      {"lifecycle.cycles", 3, -1, Cycles},
      {"lifecycle.interleaved", 1, -1, Interleaved},
  };
}

}  // namespace validate
