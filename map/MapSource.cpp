#include "map/MapSource.h"

#include "glyphs/Utf8Glyphs.h"
#include "map/Parameters.h"
#include "map/layout/LayoutFile.h"

namespace {

constexpr std::size_t kLoggedNameBytes = 96;

}  // namespace

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
  // In capitals, as every text of the map: the font's small x is for sizes.
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::string MapSource::Load(std::string_view utf8Path) {
  ++revision_;
  fileName_ = FileNameOf(utf8Path);
  error_.clear();
  if (utf8Path.empty()) {
    state_ = State::NoFile;
    good_.reset();
    goodFileName_.clear();
    return std::string();
  }
  if (utf8Path.size() > kMaxMapPathBytes) {
    fileName_ = FileNameOf(utf8Path.substr(0, Utf8PrefixLength(utf8Path, kMaxMapPathBytes)));
    error_ = "PATH IS LONGER THAN " + std::to_string(kMaxMapPathBytes) + " BYTES";
  } else {
    layout::Result<layout::Layout> read = layout::LoadLayoutFile(std::string(utf8Path));
    if (read.ok()) {
      state_ = State::Loaded;
      good_ = std::move(read.value());
      goodFileName_ = fileName_;
      return std::string();
    }
    error_ = read.error().Message();
  }
  state_ = State::Failed;
  // The log names the file by at most kLoggedNameBytes of its name.
  const std::size_t shown = Utf8PrefixLength(fileName_, kLoggedNameBytes);
  return fileName_.substr(0, shown) + (shown < fileName_.size() ? "..." : "") + ": " + error_;
}
