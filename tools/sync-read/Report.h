// The reader's output: one line per frame and a summary, as aligned text for
// a person or as CSV (a header row, then one row per frame) for a
// spreadsheet. Each function returns whole lines, newline included.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sync-read/FrameDecoder.h"
#include "tools/sync-read/SequenceAnalysis.h"

struct ReportStyle {
  bool csv = false;
  bool latency = false;  // a latency column (with --fps)
};

std::string ReportHeader(const ReportStyle& style);
// `input` names where the frame came from (a file, or "frame N" of a
// stream); only the CSV form carries it.
std::string ReportLine(const ReportStyle& style, std::int64_t index, const std::string& input,
                       const FrameReading& reading, const FrameEvent& event);
std::string ReportSummary(const SequenceSummary& summary);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);
