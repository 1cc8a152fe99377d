// Which parser reads a layout: by the file's extension, or by its first
// characters where the extension names no format.
#pragma once

#include <optional>
#include <string_view>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

enum class LayoutFormat { Csv, Json, Xml };

// .csv, .json or .xml in any case; nothing for any other extension.
std::optional<LayoutFormat> FormatOfPath(std::string_view path);

// The format text looks like, past a byte-order mark and white space: '{'
// or '[' is JSON, '<' is XML, anything else CSV.
LayoutFormat SniffFormat(std::string_view text);

Result<Layout> ParseLayout(std::string_view text, LayoutFormat format);

}  // namespace layout
