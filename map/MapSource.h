// MapSource: the layout file the "Map File" parameter names, read and parsed
// when the parameter is set (never per frame), and what the frame shows of
// it: nothing loaded, the layout, or the last read's error — over the last
// good layout when there was one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "map/layout/Layout.h"

class MapSource {
 public:
  enum class State { NoFile, Loaded, Failed };

  // Reads and parses the file at `utf8Path` now. An empty path unloads
  // everything. A failed read keeps the last good layout. Answers the
  // message to log when the read failed ("WALL.CSV: LINE 12: W IS NOT A
  // NUMBER"), empty otherwise.
  std::string Load(std::string_view utf8Path);

  State GetState() const { return state_; }
  // The last good layout, or null.
  const layout::Layout* GoodLayout() const { return good_ ? &*good_ : nullptr; }
  // The name (without folders) of the path last set, and of the file the
  // good layout came from.
  const std::string& FileName() const { return fileName_; }
  const std::string& GoodFileName() const { return goodFileName_; }
  // What went wrong with the last read; empty unless Failed.
  const std::string& Error() const { return error_; }
  // Counts loads, so that a frame knows when to compose again.
  std::uint64_t Revision() const { return revision_; }

 private:
  State state_ = State::NoFile;
  std::optional<layout::Layout> good_;
  std::string fileName_, goodFileName_, error_;
  std::uint64_t revision_ = 0;
};

// The last part of a path, after its last '/' or backslash, with ASCII letters in
// capitals.
std::string FileNameOf(std::string_view path);
