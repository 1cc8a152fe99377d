// Layout files that cannot be read, one of each kind of fault, made in a
// folder of the test program's own: shared by the tests that load the
// module (the banner, the log) and those that link the plug-in's code (the
// texts on screen).
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// A folder of its own for each test program, removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `bytes` to the file `name` (UTF-8) and answers its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

const TempFolder& Temp();

struct BadFile {
  const char* name;
  // Makes the file (or leaves it out) and answers the path to set.
  std::function<std::string()> make;
  const char* message;  // what the log line and the screen must hold
  std::string shownName;  // the file's name as the screen writes it
};
inline void PrintTo(const BadFile& c, std::ostream* out) { *out << c.name; }

const std::vector<BadFile>& BadFiles();
