// Loading, and the information and parameter queries a host makes before it
// has a GL context: exports, answers, repeatability, texts.
#include <dlfcn.h>

#include <cstring>
#include <sstream>

#include "Check.h"
#include "ParamTable.h"
#include "hostkit/SafeText.h"
#include "Session.h"

namespace validate {
namespace {

std::string Hex(std::uint64_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << std::uppercase << value;
  return out.str();
}

std::string Quoted(const void* text) {
  const hostkit::SafeTextResult read = hostkit::ReadText(text);
  if (!text) return "null";
  return read.ok ? "\"" + read.text + "\"" : "<" + read.problem + ">";
}

Outcome LoadExports(Session& session) {
  const std::string& path = session.Options().pluginPath;
  session.Step("dlopen with RTLD_NOW");
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = ::dlerror();
    return Failed(std::string("dlopen(RTLD_NOW) failed: ") + (reason ? reason : "no reason given"));
  }
  std::string missing;
  for (const char* name : {"plugMain", "SetLogCallback"})
    if (!::dlsym(handle, name)) missing += (missing.empty() ? "" : ", ") + std::string(name);
  ::dlclose(handle);
  if (!missing.empty()) return Failed("exports not found: " + missing);
  return Passed();
}

// Every information and parameter query, answered with no GL context.
Outcome InfoWithoutContext(Session& session) {
  const auto& plugin = session.Plugin();
  session.Step("code 0 (information)");
  const PluginInfoStruct* info = plugin.GetInfo();
  Require(info != nullptr, "code 0 answered a null information record");
  PluginInfoStruct copy{};
  Require(hostkit::ReadBytes(info, sizeof copy, &copy), "code 0 answered an unreadable pointer");
  Require(copy.APIMajorVersion == 2, "API major version " + std::to_string(copy.APIMajorVersion) +
                                         ", not 2");
  Require(copy.PluginType <= 2, "plug-in type " + std::to_string(copy.PluginType) +
                                    " is none of effect (0), source (1), mixer (2)");
  session.Step("code 13 (extended information)");
  const PluginExtendedInfoStruct* extended = plugin.GetExtendedInfo();
  PluginExtendedInfoStruct extendedCopy{};
  Require(extended == nullptr || hostkit::ReadBytes(extended, sizeof extendedCopy, &extendedCopy),
          "code 13 answered an unreadable pointer");
  session.Step("code 4 (parameter count)");
  const FFUInt32 count = plugin.GetNumParameters();
  Require(count != FF_FAIL, "code 4 (parameter count) answered failure");
  Require(count < hostkit::kMaxParameterCount, "code 4 answered an implausible count " + std::to_string(count));
  session.Step("parameter queries");
  const auto table = ReadParamTable(plugin);
  for (FFUInt32 capability = 0; capability <= 20; ++capability) {
    session.Step("code 10 (capability " + std::to_string(capability) + ")");
    plugin.GetCapability(capability);
  }
  std::string name(copy.PluginName, strnlen(copy.PluginName, sizeof copy.PluginName));
  session.Detail("\"" + name + "\" API " + std::to_string(copy.APIMajorVersion) + "." +
                 std::to_string(copy.APIMinorVersion) + ", type " + std::to_string(copy.PluginType) +
                 ", " + std::to_string(count) + " parameters");
  return Passed();
}

// Every answer of the queries a host makes before instantiating, as text.
std::string QuerySnapshot(const hostkit::PluginLibrary& plugin) {
  std::ostringstream out;
  const PluginInfoStruct* info = plugin.GetInfo();
  PluginInfoStruct infoCopy{};
  if (hostkit::ReadBytes(info, sizeof infoCopy, &infoCopy)) {
    out << "info:";
    const auto* bytes = reinterpret_cast<const unsigned char*>(&infoCopy);
    for (std::size_t i = 0; i < sizeof infoCopy; ++i) out << ' ' << int(bytes[i]);
    out << '\n';
  } else {
    out << "info: unreadable\n";
  }
  const PluginExtendedInfoStruct* extended = plugin.GetExtendedInfo();
  PluginExtendedInfoStruct ext{};
  if (hostkit::ReadBytes(extended, sizeof ext, &ext))
    out << "extended: " << ext.PluginMajorVersion << "." << ext.PluginMinorVersion << " description "
        << Quoted(ext.Description) << " about " << Quoted(ext.About) << " data size "
        << ext.FreeFrameExtendedDataSize << '\n';
  for (FFUInt32 capability = 0; capability <= 20; ++capability)
    out << "capability " << capability << ": " << plugin.GetCapability(capability) << '\n';
  out << "plug-in value: " << Hex(reinterpret_cast<std::uintptr_t>(plugin.QueryPluginValue().PointerValue))
      << '\n';
  const FFUInt32 count = plugin.GetNumParameters();
  out << "parameters: " << count << '\n';
  if (count == FF_FAIL || count >= hostkit::kMaxParameterCount) return out.str();
  for (FFUInt32 id = 0; id < count; ++id) {
    const FFUInt32 type = plugin.GetParameterType(id);
    out << "parameter " << id << ": name " << Quoted(plugin.GetParameterName(id)) << " type " << type;
    const FFMixed def = plugin.GetParameterDefault(id);
    if (type == FF_TYPE_TEXT || type == FF_TYPE_FILE)
      out << " default " << Quoted(def.PointerValue);
    else
      out << " default " << Hex(def.UIntValue);
    float lo = 0, hi = 0;
    const FFUInt32 rangeAnswer = plugin.GetRange(id, lo, hi);
    out << " range " << Hex(rangeAnswer) << " " << Hex(hostkit::BitsOfFloat(lo)) << " "
        << Hex(hostkit::BitsOfFloat(hi));
    out << " usage " << plugin.GetParameterUsage(id) << " visible " << plugin.GetVisibility(nullptr, id);
    char group[256] = {};
    GetStringStruct groupQuery{id, group, sizeof group - 1};
    out << " group " << Hex(plugin.GetParameterGroup(groupQuery)) << " \"" << group << "\"";
    const FFUInt32 elements = plugin.GetElementCount(nullptr, id);
    out << " elements " << elements;
    for (FFUInt32 e = 0; elements < hostkit::kMaxParameterCount && e < elements; ++e)
      out << " [" << Quoted(plugin.GetElementName(nullptr, id, e)) << " "
          << Hex(plugin.GetElementValue(nullptr, id, e).UIntValue) << "]";
    const FFUInt32 extensions = plugin.GetFileExtensionCount(id);
    out << " extensions " << extensions;
    for (FFUInt32 e = 0; extensions < hostkit::kMaxParameterCount && e < extensions; ++e)
      out << " " << Quoted(plugin.GetFileExtension(id, e));
    const FFUInt32 marks = plugin.GetElementMarkCount(id);
    out << " marks " << marks;
    for (FFUInt32 e = 0; marks < hostkit::kMaxParameterCount && e < marks; ++e) out << " " << plugin.GetElementMark(id, e);
    out << '\n';
  }
  return out.str();
}

std::string FirstDifferentLine(const std::string& a, const std::string& b) {
  std::istringstream first(a), second(b);
  std::string lineA, lineB;
  while (true) {
    const bool gotA = static_cast<bool>(std::getline(first, lineA));
    const bool gotB = static_cast<bool>(std::getline(second, lineB));
    if (!gotA && !gotB) return {};
    if (lineA != lineB || gotA != gotB) return "\"" + lineA + "\" became \"" + lineB + "\"";
  }
}

Outcome InfoRepeatable(Session& session) {
  const auto& plugin = session.Plugin();
  session.Step("first round of queries");
  const std::string first = QuerySnapshot(plugin);
  session.Step("second round of queries");
  const std::string second = QuerySnapshot(plugin);
  std::string change = FirstDifferentLine(first, second);
  Require(change.empty(), "a repeated query answered differently: " + change);
  session.Step("code 2 (de-initialise) and code 34 (initialise)");
  const FFUInt32 deinit = plugin.Deinitialise();
  Require(deinit == FF_SUCCESS, "code 2 (de-initialise) answered " + Hex(deinit));
  const FFUInt32 init = plugin.Initialise();
  Require(init == FF_SUCCESS, "code 34 (initialise) after code 2 answered " + Hex(init));
  session.Step("queries after initialising again");
  const std::string third = QuerySnapshot(plugin);
  change = FirstDifferentLine(first, third);
  Require(change.empty(), "after de-initialise and initialise a query answered differently: " + change);
  return Passed();
}

Outcome InfoTexts(Session& session) {
  const auto& plugin = session.Plugin();
  std::string problems;
  auto note = [&](const std::string& what, const hostkit::SafeTextResult& read) {
    if (read.ok) return;
    if (!problems.empty()) problems += "; ";
    problems += what + ": " + read.problem;
  };
  session.Step("code 13 texts");
  const PluginExtendedInfoStruct* extended = plugin.GetExtendedInfo();
  PluginExtendedInfoStruct ext{};
  if (hostkit::ReadBytes(extended, sizeof ext, &ext)) {
    if (ext.Description) note("description", hostkit::ReadText(ext.Description));
    if (ext.About) note("about text", hostkit::ReadText(ext.About));
  }
  const FFUInt32 count = plugin.GetNumParameters();
  for (FFUInt32 id = 0; count < hostkit::kMaxParameterCount && id < count; ++id) {
    const std::string label = "parameter " + std::to_string(id);
    session.Step(label + " texts");
    note(label + " name (code 5)", hostkit::ReadText(plugin.GetParameterName(id)));
    const FFUInt32 type = plugin.GetParameterType(id);
    if (type == FF_TYPE_TEXT || type == FF_TYPE_FILE)
      note(label + " default text (code 6)", hostkit::ReadText(plugin.GetParameterDefault(id).PointerValue));
    const FFUInt32 elements = plugin.GetElementCount(nullptr, id);
    if (type == FF_TYPE_OPTION)
      for (FFUInt32 e = 0; elements < hostkit::kMaxParameterCount && e < elements; ++e)
        note(label + " element " + std::to_string(e) + " name (code 35)",
             hostkit::ReadText(plugin.GetElementName(nullptr, id, e)));
    const FFUInt32 extensions = plugin.GetFileExtensionCount(id);
    for (FFUInt32 e = 0; extensions < hostkit::kMaxParameterCount && e < extensions; ++e)
      note(label + " file extension " + std::to_string(e) + " (code 44)",
           hostkit::ReadText(plugin.GetFileExtension(id, e)));
    // Code 50 copies into the host's buffer: nothing may land past its size.
    char buffer[64];
    std::memset(buffer, 0x5A, sizeof buffer);
    GetStringStruct query{id, buffer, 8};
    plugin.GetParameterGroup(query);
    for (std::size_t i = 8; i < sizeof buffer; ++i)
      if (buffer[i] != 0x5A) {
        if (!problems.empty()) problems += "; ";
        problems += label + " group (code 50) wrote past the 8-byte buffer it was given";
        break;
      }
  }
  Require(problems.empty(), problems);
  return Passed("name field read as 16 bytes; every other text terminated within " +
                std::to_string(hostkit::kTextBound) + " bytes");
}

}  // namespace

std::vector<Check> LoadChecks() {
  return {
      {"load.exports", 1, -1, LoadExports},
      {"info.no-context", 1, -1, InfoWithoutContext},
      {"info.repeatable", 1, -1, InfoRepeatable},
      {"info.strings", 1, -1, InfoTexts},
  };
}

}  // namespace validate
