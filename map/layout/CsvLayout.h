// Reads a layout from CSV text: one row per cabinet under a header row.
//
// Limits: kMaxFileBytes of text, lines of kMaxCsvLineBytes, kMaxCabinets
// rows (map/layout/Limits.h).
//
// What it accepts:
// - A header row naming the columns, in any order and any case: id, x, y, w,
//   h are required; label, rot, port, chain, screen optional; other columns
//   are ignored, a known one named twice is an error.
// - Fields separated by ',' or ';', whichever the header has more of
//   (outside quotes; a tie is ','). With ';' a decimal comma is read as the
//   point ("12,5").
// - Fields in double quotes, "" inside them standing for one quote; a
//   quoted field ends on its own line (a line end inside quotes is an
//   unterminated quote). Spaces around a field are dropped.
// - A UTF-8 byte-order mark at the start, LF or CRLF line ends; blank lines
//   and lines whose fields are all empty (rows a spreadsheet exports as
//   ";;;;") are skipped. Columns missing from the end of a row are empty.
// - Numbers as NumberText.h reads them, rounded to whole pixels
//   (CabinetFields.h); port as a letter A-L or a number 1-12.
#pragma once

#include <string_view>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

Result<Layout> ParseCsvLayout(std::string_view text);

}  // namespace layout
