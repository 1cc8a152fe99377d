// Reading a layout file by path: the bytes, with the size limit held while
// reading, then the parser its extension (or its content) names.
#pragma once

#include <string>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

// The bytes of the file at `utf8Path` (UTF-8 on every platform), at most
// kMaxFileBytes of them: "FILE IS LARGER THAN 16 MIB" beyond that,
// "CANNOT OPEN FILE: <reason>" or "CANNOT READ FILE: <reason>" with the
// system's reason in capitals.
Result<std::string> ReadLayoutBytes(const std::string& utf8Path);

// Reads and parses the layout at `utf8Path`; the format comes from its
// extension, or from its first characters for any other extension.
Result<Layout> LoadLayoutFile(const std::string& utf8Path);

}  // namespace layout
