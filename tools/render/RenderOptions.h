// What veltrima-render was asked for on its command line, as main() reads
// it; the library's pipeline plans its work from it.
#pragma once

#include <string>
#include <vector>

struct RenderOptions {
  std::string output;
  std::string preset;
  std::vector<std::string> sets;
  std::string size = "1920x1080";
  long frames = 1;
  std::string fps = "60";
  std::string sheet;
  std::string presetFolder;
  std::string plugin = "free";
  std::string codec;
  std::string pixFmt;
  int depth = 8;
  std::string startTime;
  bool list = false;
  bool quiet = false;
  bool allScreens = false;
  bool sizeGiven = false;  // --size on the command line, not its default
  bool depthGiven = false;
};
