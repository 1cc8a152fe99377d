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

MapSource::MapSource() = default;
MapSource::~MapSource() = default;

std::string MapSource::Load(std::string_view utf8Path) {
  loader_.reset();
  loadingName_.clear();
  if (utf8Path.empty()) {
    ++revision_;
    fileName_.clear();
    error_.clear();
    state_ = State::NoFile;
    good_.reset();
    goodFileName_.clear();
    return std::string();
  }
  if (utf8Path.size() > kMaxMapPathBytes) {
    fileName_ = FileNameOf(utf8Path.substr(0, Utf8PrefixLength(utf8Path, kMaxMapPathBytes)));
    return Failure("PATH IS LONGER THAN " + std::to_string(kMaxMapPathBytes) + " BYTES");
  }
  const std::string path(utf8Path);
  layout::Result<layout::LayoutFileHandle> file = layout::OpenLayoutFile(path);
  if (!file.ok()) {
    fileName_ = FileNameOf(utf8Path);
    return Failure(file.error().Message());
  }
  loadingName_ = FileNameOf(utf8Path);
  loader_ = std::make_unique<LayoutLoader>(std::move(file.value()), path);
  return std::string();
}

bool MapSource::Poll(std::string& failure) {
  failure.clear();
  if (!loader_) return false;
  std::optional<LayoutLoader::Outcome> outcome = loader_->Take();
  if (!outcome) return false;
  loader_.reset();
  fileName_ = std::move(loadingName_);
  loadingName_.clear();
  if (!outcome->ok()) {
    failure = Failure(outcome->error().Message());
    return true;
  }
  ++revision_;
  error_.clear();
  state_ = State::Loaded;
  good_ = std::make_shared<const layout::Layout>(std::move(outcome->value()));
  goodFileName_ = fileName_;
  return true;
}

MapSourceFacts MapSource::Facts() const {
  MapSourceFacts facts;
  facts.state = state_;
  facts.good = good_;
  facts.fileName = fileName_;
  facts.goodFileName = goodFileName_;
  facts.error = error_;
  facts.revision = revision_;
  return facts;
}

void MapSource::WaitForRead(std::chrono::milliseconds most) {
  if (loader_) loader_->WaitFor(most);
}

std::string MapSource::Failure(std::string error) {
  ++revision_;
  error_ = std::move(error);
  state_ = State::Failed;
  // The log names the file by at most kLoggedNameBytes of its name.
  const std::size_t shown = Utf8PrefixLength(fileName_, kLoggedNameBytes);
  return fileName_.substr(0, shown) + (shown < fileName_.size() ? "..." : "") + ": " + error_;
}
