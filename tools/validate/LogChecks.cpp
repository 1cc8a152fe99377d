// The host's log callback: a null one is accepted, and one that was replaced
// is never called again.
#include <dlfcn.h>

#include "Check.h"
#include "Frames.h"
#include "Session.h"

namespace validate {
namespace {

int firstCalls = 0, secondCalls = 0;
void FirstLog(const char*) { ++firstCalls; }
void SecondLog(const char*) { ++secondCalls; }

// Instantiation, frames, and calls that fail.
void Exercise(Session& session, const hostkit::PluginLibrary& plugin) {
  auto host = MakeInstance(plugin, 16, 16);
  RenderFrame(*host, "a frame");
  for (FFUInt32 code : {1u, 24u, 1000u}) plugin.Call(code, 0u, host->Id());
  plugin.GetParameterName(0xFFFFFFFF);
  plugin.SetParameter(host->Id(), 0xFFFFFFFF, 1.0f);
  RenderFrame(*host, "a frame after failing calls");
  session.Step("de-instantiating");
}

Outcome Callback(Session& session) {
  const auto& plugin = session.Plugin();
  void* handle = ::dlopen(session.Options().pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  const bool exported = handle && ::dlsym(handle, "SetLogCallback");
  if (handle) ::dlclose(handle);
  if (!exported) return Skipped("no SetLogCallback export");
  session.Step("SetLogCallback(null)");
  plugin.SetLogCallback(nullptr);
  session.Context();
  plugin.SetLogCallback(&FirstLog);
  plugin.SetLogCallback(&SecondLog);
  session.Step("calls after replacing the callback");
  Exercise(session, plugin);
  const int secondBefore = secondCalls;
  plugin.SetLogCallback(nullptr);
  session.Step("calls after setting a null callback");
  Exercise(session, plugin);
  Require(firstCalls == 0, "the replaced log callback was called " + std::to_string(firstCalls) + " times");
  Require(secondCalls == secondBefore, "a log callback was called " + std::to_string(secondCalls - secondBefore) +
                                           " times after the host set a null one");
  return Passed("the current callback was called " + std::to_string(secondBefore) + " times");
}

}  // namespace

std::vector<Check> LogChecks() { return {{"log.callback", 1, -1, Callback}}; }

}  // namespace validate
