// Frames as a host sees them: which pixels a frame writes, the GL state
// around every call, output sizes from one pixel to the GL maximum, and
// frames that repeat bit for bit.
#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Check.h"
#include "CheckRunner.h"
#include "Frames.h"
#include "GLHygiene.h"
#include "ParamTable.h"
#include "Session.h"

namespace validate {
namespace {

using hostkit::Viewport;

// A colour no plug-in writes by accident.
constexpr float kSentinel[4] = {-12345.5f, 54321.25f, -999.75f, 31337.125f};

std::string SizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }
std::string ViewportText(const Viewport& v) {
  return SizeText(v.width, v.height) + " at (" + std::to_string(v.x) + ", " + std::to_string(v.y) + ")";
}

// Every pixel inside the viewport written, none outside it changed. Positions
// are GL window coordinates of the target.
void RequireSentinelFrame(hostkit::HostInstance& host, const Viewport& v) {
  auto& target = host.Target();
  target.Clear(kSentinel[0], kSentinel[1], kSentinel[2], kSentinel[3]);
  const FFUInt32 answer = host.RunFrames(1);
  Require(answer == FF_SUCCESS, "code 17 answered " + std::to_string(answer));
  const std::vector<float> pixels = target.ReadWholeTarget();
  int unwritten = 0, changed = 0;
  std::string firstUnwritten, firstChanged;
  for (int y = 0; y < target.Height(); ++y)
    for (int x = 0; x < target.Width(); ++x) {
      const float* p = &pixels[(static_cast<std::size_t>(y) * target.Width() + x) * 4];
      int same = 0;
      for (int c = 0; c < 4; ++c) same += std::memcmp(&p[c], &kSentinel[c], sizeof(float)) == 0;
      const bool inside = x >= v.x && x < v.x + v.width && y >= v.y && y < v.y + v.height;
      const std::string where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
      if (inside && same > 0 && unwritten++ == 0) firstUnwritten = where;
      if (!inside && same < 4 && changed++ == 0) firstChanged = where;
    }
  const std::string in = " with the viewport " + ViewportText(v) + " in a " +
                         SizeText(target.Width(), target.Height()) + " framebuffer (GL window coordinates)";
  Require(changed == 0, std::to_string(changed) + " pixels outside the viewport changed, the first at " +
                            firstChanged + in);
  Require(unwritten == 0, std::to_string(unwritten) + " pixels inside the viewport kept the sentinel, the first at " +
                              firstUnwritten + in);
}

Outcome Sentinel(Session& session) {
  const auto& plugin = session.Plugin();
  session.Context();
  const Viewport first{7, 5, 40, 30}, second{0, 13, 33, 34};
  session.Step("instantiating with the viewport " + ViewportText(first));
  auto host = MakeInstance(plugin, 61, 47, first);
  session.Step("frame in " + ViewportText(first));
  RequireSentinelFrame(*host, first);
  session.Step("code 23 to " + ViewportText(second));
  Require(host->Resize(second) == FF_SUCCESS, "code 23 (resize) answered failure");
  RequireSentinelFrame(*host, second);
  return Passed("viewports " + ViewportText(first) + " and " + ViewportText(second) + " in 61x47");
}

Outcome Hygiene(Session& session) {
  const auto& plugin = session.Plugin();
  session.Context();
  const auto table = ReadParamTable(plugin);
  DebugErrorLog debug;
  hostkit::RenderTarget target(64, 48, hostkit::PixelFormat::RGBA32F);
  Viewport viewport{5, 7, 40, 30};
  std::string problems;
  int count = 0, calls = 0;
  auto around = [&](const std::string& what, const auto& call) {
    session.Step(what);
    SetUnusualHostState(target, viewport);
    DrainGLErrors();
    debug.Take();
    const StateSnapshot before = SnapshotState();
    call();
    ++calls;
    const StateSnapshot after = SnapshotState();
    std::string found = DescribeChanges(before, after);
    const std::string bindings = BindingsLeft();
    if (!bindings.empty() && found.find("GL_CURRENT_PROGRAM") == std::string::npos)
      found += (found.empty() ? "" : "; ") + bindings;
    const std::string errors = DrainGLErrors();
    if (!errors.empty()) found += (found.empty() ? "" : "; ") + std::string("glGetError ") + errors;
    const auto messages = debug.Take();
    if (!messages.empty())
      found += (found.empty() ? "" : "; ") + std::to_string(messages.size()) + " debug error message" +
               (messages.size() == 1 ? "" : "s") + ", the first: " + messages.front();
    if (!found.empty() && count++ < 3) problems += (problems.empty() ? "" : " | ") + what + ": " + found;
  };

  FFInstanceID instance = nullptr;
  around("code 18 (instantiate)", [&] {
    const FFGLViewportStruct v{5, 7, 40, 30};
    instance = plugin.Instantiate(v);
  });
  Require(instance != nullptr, "instantiation (code 18) answered failure");
  ProcessOpenGLStruct frame{0, nullptr, target.FramebufferName()};
  for (const auto& p : table) {
    const std::string of = " for parameter " + std::to_string(p.id);
    if (auto value = RandomValue(p, session.Random()))
      around("code 8" + of, [&] { plugin.SetParameter(instance, p.id, *value); });
    around("code 9" + of, [&] { plugin.GetParameter(instance, p.id); });
    around("code 7" + of, [&] { plugin.GetParameterDisplay(instance, p.id); });
  }
  for (int i = 0; i < 3; ++i) around("code 17 (frame " + std::to_string(i + 1) + ")", [&] {
    plugin.ProcessOpenGL(instance, frame);
  });
  around("code 23 (resize)", [&] {
    viewport = {2, 3, 50, 40};
    plugin.Resize(instance, {2, 3, 50, 40});
  });
  around("code 17 (after resize)", [&] { plugin.ProcessOpenGL(instance, frame); });
  around("code 20 (time)", [&] { plugin.SetTime(instance, 12.5); });
  around("code 38 (beat)", [&] { plugin.SetBeatInfo(instance, 128.0f, 0.25f); });
  around("code 39 (host)", [&] { plugin.SetHostInfo(instance, "ffgl-validate", "1.0"); });
  around("code 40 (sample rate)", [&] { plugin.SetSampleRate(instance, 48000); });
  around("code 46 (events)", [&] {
    GetParamEventsStruct events{0, nullptr};
    plugin.GetParameterEvents(instance, events);
  });
  around("code 17 (after host calls)", [&] { plugin.ProcessOpenGL(instance, frame); });
  around("codes 4 and 5 (queries)", [&] {
    plugin.GetNumParameters();
    plugin.GetParameterName(0);
  });
  around("code 19 (de-instantiate)", [&] { plugin.Deinstantiate(instance); });
  if (count > 3) problems += " | and " + std::to_string(count - 3) + " more calls";
  Require(problems.empty(), problems);
  return Passed(std::to_string(calls) + " calls; state, bindings and glGetError checked" +
                (debug.Works() ? ", KHR_debug callback saw no error"
                               : ", KHR_debug messages unavailable on this driver"));
}

Outcome Sizes(Session& session) {
  const auto& plugin = session.Plugin();
  session.Context();
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 7}}) {
    session.Step("instance at " + SizeText(w, h));
    auto host = MakeInstance(plugin, w, h);
    RenderFrame(*host, "the first frame at " + SizeText(w, h));
    RenderFrame(*host, "the second frame at " + SizeText(w, h));
  }
  session.Step("instantiating at 1920x1080");
  MakeInstance(plugin, 1920, 1080).reset();
  session.Step("instance at 3x7 in a 1920x1080 framebuffer");
  auto host = MakeInstance(plugin, 1920, 1080, Viewport{0, 0, 3, 7});
  RenderFrame(*host, "the frame at 3x7");
  const Viewport steps[] = {{0, 0, 1920, 1080}, {0, 0, 1, 1}, {0, 0, 3, 7}, {5, 9, 7, 3}};
  for (const auto& v : steps) {
    session.Step("code 23 to " + ViewportText(v));
    Require(host->Resize(v) == FF_SUCCESS, "code 23 (resize to " + ViewportText(v) + ") answered failure");
    RenderFrame(*host, "a resize to " + ViewportText(v));
  }
  return Passed("1x1, 3x7, 1920x1080 and resizes 3x7 -> 1920x1080 -> 1x1 -> 3x7 -> 7x3");
}

constexpr std::size_t kMaxTargetBytes = 64u << 20;

Outcome MaximumSize(Session& session) {
  const auto& plugin = session.Plugin();
  session.Context();
  GLint dims[2] = {0, 0};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
  GLint texture = 0, fbWidth = 0, fbHeight = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  glGetIntegerv(GL_MAX_FRAMEBUFFER_WIDTH, &fbWidth);
  glGetIntegerv(GL_MAX_FRAMEBUFFER_HEIGHT, &fbHeight);
  const int maxW = std::min({dims[0], texture, fbWidth}), maxH = std::min({dims[1], texture, fbHeight});
  Require(maxW > 0 && maxH > 0, "the driver reports no maximum viewport");
  // The largest square target within the memory budget that allocates.
  int side = 1;
  while (static_cast<std::size_t>(side) * 2 <= static_cast<std::size_t>(std::min(maxW, maxH)) &&
         static_cast<std::size_t>(side) * 2 * side * 2 * 16 <= kMaxTargetBytes)
    side *= 2;
  std::unique_ptr<hostkit::RenderTarget> target;
  while (!target && side >= 1) {
    try {
      target = std::make_unique<hostkit::RenderTarget>(side, side, hostkit::PixelFormat::RGBA32F);
      if (glGetError() == GL_OUT_OF_MEMORY) target.reset();
    } catch (const std::exception&) {
      target.reset();
    }
    if (!target) side /= 2;
  }
  Require(target != nullptr, "no RGBA32F target could be allocated");
  const double fullMiB = static_cast<double>(maxW) * maxH * 16 / (1024.0 * 1024.0);
  char note[256];
  std::snprintf(note, sizeof note,
                "viewport %dx%d (the GL maximum) drawn into its %dx%d corner; a whole RGBA32F target "
                "would need %.0f MiB, budget %zu MiB",
                maxW, maxH, side, side, fullMiB, kMaxTargetBytes >> 20);

  const FFUInt32 W = static_cast<FFUInt32>(maxW), H = static_cast<FFUInt32>(maxH);
  session.Step("instantiating at " + SizeText(maxW, maxH));
  target->Bind();
  FFInstanceID big = plugin.Instantiate({0, 0, W, H});
  Require(big != nullptr, "instantiation at " + SizeText(maxW, maxH) + " answered failure");
  plugin.Deinstantiate(big);

  session.Step("instantiating at 64x64");
  target->SetViewport({0, 0, 64, 64});
  target->Bind();
  FFInstanceID instance = plugin.Instantiate({0, 0, 64, 64});
  Require(instance != nullptr, "instantiation at 64x64 answered failure");
  ProcessOpenGLStruct frame{0, nullptr, target->FramebufferName()};
  struct Step {
    FFUInt32 width, height;
  };
  std::string problem;
  for (const Step& s : {Step{64, 64}, Step{W, H}, Step{3, 7}}) {
    const std::string size = SizeText(static_cast<int>(s.width), static_cast<int>(s.height));
    session.Step("frame at " + size);
    if (plugin.Resize(instance, {0, 0, s.width, s.height}) != FF_SUCCESS) {
      problem = "code 23 (resize to " + size + ") answered failure";
      break;
    }
    target->Clear(kSentinel[0], kSentinel[1], kSentinel[2], kSentinel[3]);
    target->Bind();
    glViewport(0, 0, static_cast<GLsizei>(s.width), static_cast<GLsizei>(s.height));
    if (plugin.ProcessOpenGL(instance, frame) != FF_SUCCESS) {
      problem = "code 17 answered failure at " + size;
      break;
    }
    const int readW = std::min(side, static_cast<int>(s.width)), readH = std::min(side, static_cast<int>(s.height));
    target->SetViewport({0, 0, readW, readH});
    const std::vector<float> pixels = target->ReadOutput();
    std::string bad = FirstNonFinite(pixels, readW);
    for (std::size_t i = 0; bad.empty() && i < pixels.size(); i += 4)
      if (std::memcmp(&pixels[i], kSentinel, sizeof kSentinel) == 0) bad = "pixels left unwritten";
    if (!bad.empty()) {
      problem = "frame at " + size + ": " + bad;
      break;
    }
  }
  plugin.Deinstantiate(instance);
  Require(problem.empty(), problem + " (" + note + ")");
  return Passed(note);
}

// A random value for every numeric parameter; the same for both instances
// or runs that are compared, and the host's time as the clock where the
// plug-in offers that choice.
std::vector<std::optional<float>> RandomSettings(const std::vector<ParameterInfo>& table, std::mt19937_64& random) {
  std::vector<std::optional<float>> values;
  for (const auto& p : table) values.push_back(RandomValue(p, random));
  ChooseHostTime(table, values);
  return values;
}

void ApplySettings(const hostkit::PluginLibrary& plugin, FFInstanceID instance,
                   const std::vector<std::optional<float>>& values) {
  for (std::size_t id = 0; id < values.size(); ++id)
    if (values[id]) plugin.SetParameter(instance, static_cast<FFUInt32>(id), *values[id]);
}

std::string SettingsText(const std::vector<std::optional<float>>& values) {
  std::string text;
  for (std::size_t id = 0; id < values.size(); ++id)
    if (values[id]) {
      char value[64];
      std::snprintf(value, sizeof value, "%zu=%.9g", id, static_cast<double>(*values[id]));
      text += (text.empty() ? "" : " ") + std::string(value);
    }
  return text;
}

constexpr int kCompareWidth = 48, kCompareHeight = 32;

Outcome TwoInstances(Session& session) {
  const auto& plugin = session.Plugin();
  const auto table = ReadParamTable(plugin);
  const auto values = RandomSettings(table, session.Random());
  session.Detail("parameters " + SettingsText(values));
  session.Context();
  auto a = MakeInstance(plugin, kCompareWidth, kCompareHeight);
  ApplySettings(plugin, a->Id(), values);
  plugin.SetTime(a->Id(), kComparedHostTime);
  auto b = MakeInstance(plugin, kCompareWidth, kCompareHeight);
  ApplySettings(plugin, b->Id(), values);
  plugin.SetTime(b->Id(), kComparedHostTime);
  const auto first = RenderFrame(*a, "the first instance's first frame");
  const auto second = RenderFrame(*b, "the second instance's first frame");
  const std::string difference = FirstDifference(first, second, kCompareWidth);
  Require(difference.empty(), "two instances with the same parameters gave different first frames: " + difference);
  return Passed();
}

Outcome TwoRuns(Session& session) {
  // No GL in this process before the two runs fork.
  const auto table = ReadParamTable(session.Plugin());
  const auto values = RandomSettings(table, session.Random());
  session.Detail("parameters " + SettingsText(values));
  auto run = [&]() -> std::string {
    const auto& plugin = session.Plugin();
    session.Context();
    auto host = MakeInstance(plugin, kCompareWidth, kCompareHeight);
    ApplySettings(plugin, host->Id(), values);
    plugin.SetTime(host->Id(), kComparedHostTime);
    const auto pixels = RenderFrame(*host, "the first frame");
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(HashPixels(pixels)));
    return hash;
  };
  std::string failure;
  session.Step("first run");
  const std::string first = RunInChild(run, &failure);
  Require(failure.empty(), "the first run failed: " + failure);
  session.Step("second run");
  const std::string second = RunInChild(run, &failure);
  Require(failure.empty(), "the second run failed: " + failure);
  Require(first.size() == 16, "the first run failed: " + first);
  Require(second.size() == 16, "the second run failed: " + second);
  Require(first == second, "two runs gave different first frames: hash " + first + " vs " + second);
  return Passed("frame hash " + first + " in both runs");
}

}  // namespace

std::vector<Check> FrameChecks() {
  return {
      {"frame.sentinel", 1, -1, Sentinel},
      {"frame.gl-hygiene", 1, -1, Hygiene},
      {"frame.sizes", 5, -1, Sizes},
      {"frame.max-size", 5, -1, MaximumSize},
      {"determinism.instances", 1, -1, TwoInstances},
      {"determinism.runs", 1, -1, TwoRuns},
  };
}

}  // namespace validate
