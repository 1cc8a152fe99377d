// Text and file parameters (types 100 and 14): their defaults (code 6), the
// file parameters' extensions (codes 43 and 44), and texts through set and
// get (codes 8 and 9) — empty, non-ASCII, 64 KiB long, null, and for a file
// parameter a path that does not exist — each followed by a frame. A
// plug-in without such parameters passes with nothing to check.
#include <cstring>
#include <string>
#include <vector>

#include "Check.h"
#include "Frames.h"
#include "ParamTable.h"
#include "Session.h"
#include "hostkit/SafeText.h"

namespace validate {
namespace {

// More extensions than any file type needs: a larger count is not believed.
constexpr FFUInt32 kMaxExtensions = 64;
// A text the validator sends, of this many bytes.
constexpr std::size_t kLongTextBytes = 64 * 1024;
// Texts up to this long must read back whole; longer ones may be cut (on a
// UTF-8 boundary), since a plug-in may bound what it keeps.
constexpr std::size_t kWholeTextBytes = 1024;

std::vector<ParameterInfo> TextParams(Session& session) {
  std::vector<ParameterInfo> texts;
  for (const auto& p : ReadParamTable(session.Plugin()))
    if (p.type == FF_TYPE_TEXT || p.type == FF_TYPE_FILE) texts.push_back(p);
  return texts;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// What a read-back may be: the text itself, or for a long one a prefix that
// does not end inside a UTF-8 sequence.
std::string ReadBackProblem(const std::string& sent, const hostkit::SafeTextResult& back) {
  if (!back.ok) return "<" + back.problem + ">";
  if (back.text == sent) return std::string();
  if (sent.size() <= kWholeTextBytes)
    return "\"" + back.text.substr(0, 40) + "\" (" + std::to_string(back.text.size()) + " bytes)";
  if (sent.compare(0, back.text.size(), back.text) != 0) return "a text that is not a prefix of it";
  if (back.text.size() < sent.size() && IsContinuationByte(sent[back.text.size()]))
    return "a prefix cut inside a UTF-8 sequence";
  return std::string();
}

Outcome Defaults(Session& session) {
  const auto texts = TextParams(session);
  if (texts.empty()) return Passed("no text or file parameters");
  for (const auto& p : texts) {
    session.Step("code 6 for " + ParamLabel(p));
    const hostkit::SafeTextResult text =
        hostkit::ReadText(session.Plugin().GetParameterDefault(p.id).PointerValue);
    Require(text.ok, ParamLabel(p) + " default (code 6) is <" + text.problem + ">");
  }
  return Passed(std::to_string(texts.size()) + " text parameters");
}

Outcome FileExtensions(Session& session) {
  const auto& plugin = session.Plugin();
  int files = 0;
  for (const auto& p : ReadParamTable(plugin)) {
    session.Step("code 43 for " + ParamLabel(p));
    const FFUInt32 count = plugin.GetFileExtensionCount(p.id);
    if (p.type != FF_TYPE_FILE) {
      Require(count == 0 || count == FF_FAIL,
              ParamLabel(p) + " is no file parameter but code 43 answers " + std::to_string(count));
      continue;
    }
    ++files;
    Require(count < kMaxExtensions,
            ParamLabel(p) + " code 43 answers " + std::to_string(count) + " extensions");
    for (FFUInt32 i = 0; i <= count; ++i) {
      session.Step("code 44 for extension " + std::to_string(i) + " of " + ParamLabel(p));
      const char* extension = plugin.GetFileExtension(p.id, i);
      if (i == count) {
        Require(extension == nullptr, ParamLabel(p) + " code 44 answers a text for extension " +
                                          std::to_string(i) + ", past the " +
                                          std::to_string(count) + " of code 43");
        break;
      }
      const hostkit::SafeTextResult text = hostkit::ReadText(extension, 256);
      Require(text.ok && !text.text.empty() && text.text.find('.') == std::string::npos,
              ParamLabel(p) + " extension " + std::to_string(i) + " (code 44) is " +
                  (text.ok ? "\"" + text.text + "\"" : "<" + text.problem + ">") +
                  ", not a name without a dot");
    }
  }
  return Passed(std::to_string(files) + " file parameters");
}

Outcome ReadBack(Session& session) {
  const auto texts = TextParams(session);
  if (texts.empty()) return Passed("no text or file parameters");
  const auto& plugin = session.Plugin();
  session.Context();
  auto host = MakeInstance(plugin, 16, 16);
  std::string longText;
  while (longText.size() + 3 <= kLongTextBytes) longText += "\xE7\x94\xBB";  // a CJK character
  longText += std::string(kLongTextBytes - longText.size(), 'x');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"an empty text", ""},
      {"an ASCII text", "plain text 123"},
      {"a non-ASCII text", "w\xC3\xA4nd \xE7\x94\xBB\xE9\x9D\xA2 \xE2\x9C\x93"},
      {"a 64 KiB text", longText},
  };
  for (const auto& p : texts) {
    for (const auto& [what, text] : cases) {
      const std::string label = what + " for " + ParamLabel(p);
      session.Step("code 8 with " + label);
      // The host's copy lives only for the call: the validator overwrites it
      // before reading back, so a plug-in that kept the pointer is seen.
      std::vector<char> sent(text.begin(), text.end());
      sent.push_back('\0');
      const FFUInt32 answer = plugin.SetTextParameter(host->Id(), p.id, sent.data());
      Require(answer == FF_SUCCESS, "code 8 answered " + std::to_string(answer) + " for " + label);
      std::memset(sent.data(), '#', sent.size() - 1);
      session.Step("code 9 after " + label);
      const hostkit::SafeTextResult back = hostkit::ReadText(
          plugin.GetParameter(host->Id(), p.id).PointerValue, kLongTextBytes + 1);
      const std::string problem = ReadBackProblem(text, back);
      Require(problem.empty(), ParamLabel(p) + " reads back " + problem + " after " + what);
      RenderFrame(*host, label);
    }
  }
  return Passed(std::to_string(texts.size()) + " text parameters, " +
                std::to_string(cases.size()) + " texts each");
}

Outcome NullText(Session& session) {
  const auto texts = TextParams(session);
  if (texts.empty()) return Passed("no text or file parameters");
  const auto& plugin = session.Plugin();
  session.Context();
  auto host = MakeInstance(plugin, 16, 16);
  for (const auto& p : texts) {
    session.Step("code 8 with a null text for " + ParamLabel(p));
    plugin.SetTextParameter(host->Id(), p.id, nullptr);
    session.Step("code 9 after a null text for " + ParamLabel(p));
    const hostkit::SafeTextResult back =
        hostkit::ReadText(plugin.GetParameter(host->Id(), p.id).PointerValue);
    Require(back.ok, ParamLabel(p) + " reads back <" + back.problem + "> after a null text");
    RenderFrame(*host, "a null text for " + ParamLabel(p));
  }
  return Passed(std::to_string(texts.size()) + " text parameters");
}

Outcome MissingFile(Session& session) {
  const auto& plugin = session.Plugin();
  std::vector<ParameterInfo> files;
  for (const auto& p : TextParams(session))
    if (p.type == FF_TYPE_FILE) files.push_back(p);
  if (files.empty()) return Passed("no file parameters");
  session.Context();
  auto host = MakeInstance(plugin, 16, 16);
  for (const auto& p : files) {
    const char* extension = plugin.GetFileExtension(p.id, 0);
    const hostkit::SafeTextResult ext = hostkit::ReadText(extension, 256);
    const std::string path = "/nonexistent-ffgl-validate-" + std::to_string(session.CheckSeed()) +
                             "/missing." + (ext.ok && !ext.text.empty() ? ext.text : "txt");
    session.Step("code 8 with the missing file " + path + " for " + ParamLabel(p));
    plugin.SetTextParameter(host->Id(), p.id, path.c_str());
    for (int frame = 0; frame < 3; ++frame)
      RenderFrame(*host, "frame " + std::to_string(frame + 1) + " after a missing file for " +
                             ParamLabel(p));
    const hostkit::SafeTextResult back =
        hostkit::ReadText(plugin.GetParameter(host->Id(), p.id).PointerValue);
    Require(back.ok && back.text == path,
            ParamLabel(p) + " reads back " + (back.ok ? "\"" + back.text + "\"" : "<" + back.problem + ">") +
                " after the missing file " + path);
  }
  return Passed(std::to_string(files.size()) + " file parameters");
}

}  // namespace

std::vector<Check> TextParameterChecks() {
  return {
      {"texts.defaults", 1, -1, Defaults},
      {"texts.file-extensions", 1, -1, FileExtensions},
      {"texts.read-back", 1, -1, ReadBack},
      {"texts.null", 1, -1, NullText},
      {"texts.missing-file", 1, -1, MissingFile},
  };
}

}  // namespace validate
