#include "BadFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string Rows(int count) {
  std::string text = "id,x,y,w,h\n";
  for (int i = 0; i < count; ++i) text += "C" + std::to_string(i) + ",0,0,10,10\n";
  return text;
}

}  // namespace

TempFolder::TempFolder()
    : path_(fs::temp_directory_path() / ("veltrima-map-" + std::to_string(getpid()))) {
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const fs::path file = path_ / fs::u8path(name);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  return file.u8string();
}

const TempFolder& Temp() {
  static TempFolder folder;
  return folder;
}

const std::vector<BadFile>& BadFiles() {
  static const std::vector<BadFile> files = {
      {"Missing", [] { return (Temp().Path() / "absent.csv").string(); }, "CANNOT OPEN FILE",
       "ABSENT.CSV"},
      {"Folder",
       [] {
         fs::create_directories(Temp().Path() / "folder.csv");
         return (Temp().Path() / "folder.csv").string();
       },
       "NOT A REGULAR FILE", "FOLDER.CSV"},
      // A named pipe nobody writes to: refused, never waited on.
      {"Fifo",
       [] {
         const std::string path = (Temp().Path() / "pipe.csv").string();
         mkfifo(path.c_str(), 0600);
         return path;
       },
       "NOT A REGULAR FILE", "PIPE.CSV"},
      {"Device", [] { return std::string("/dev/zero"); }, "NOT A REGULAR FILE", "ZERO"},
      {"JsonSyntax", [] { return Temp().Write("syntax.json", "{\"cabinets\": [{\"id\": "); },
       "JSON", "SYNTAX.JSON"},
      {"XmlSyntax", [] { return Temp().Write("syntax.xml", "<XmlState><ScreenSetup>"); }, "XML",
       "SYNTAX.XML"},
      {"MissingColumn", [] { return Temp().Write("column.csv", "id,x,y,w\nA,0,0,10\n"); },
       "MISSING COLUMN H", "COLUMN.CSV"},
      {"MissingField", [] { return Temp().Write("field.csv", "id,x,y,w,h\nA,0,0,10,\n"); },
       "LINE 2: H IS MISSING", "FIELD.CSV"},
      {"NotANumber", [] { return Temp().Write("nan.csv", "id,x,y,w,h\nA,0,0,wide,10\n"); },
       "LINE 2: W IS NOT A NUMBER", "NAN.CSV"},
      {"NegativeSize", [] { return Temp().Write("negative.csv", "id,x,y,w,h\nA,0,0,-5,10\n"); },
       "LINE 2: W IS NEGATIVE", "NEGATIVE.CSV"},
      {"UnknownRotation",
       [] { return Temp().Write("rot.csv", "id,x,y,w,h,rot\nA,0,0,10,10,45\n"); },
       "LINE 2: ROT 45 IS NOT 0 90 180 OR 270", "ROT.CSV"},
      {"JsonPath",
       [] { return Temp().Write("path.json", R"({"cabinets": [{"id": "A", "x": 0, "y": 0, "w": "wide", "h": 1}]})"); },
       "CABINETS[0].W IS NOT A NUMBER", "PATH.JSON"},
      {"TooBig",
       [] { return Temp().Write("big.csv", Rows(1) + std::string(16u << 20, '\n')); },
       "FILE IS LARGER THAN 16 MIB", "BIG.CSV"},
      {"TooManyCabinets", [] { return Temp().Write("many.csv", Rows(10001)); },
       "MORE THAN 10000 CABINETS", "MANY.CSV"},
      {"TooLongLine",
       [] { return Temp().Write("long.csv", "id,x,y,w,h,label\nA,0,0,10,10," + std::string(65537, 'L') + "\n"); },
       "LINE 2 IS LONGER THAN 64 KIB", "LONG.CSV"},
      // The path is cut to its first 4096 bytes: a name of 4096 P.
      {"TooLongPath", [] { return std::string(5000, 'p') + ".csv"; },
       "PATH IS LONGER THAN 4096 BYTES", std::string(4096, 'P')},
  };
  return files;
}
