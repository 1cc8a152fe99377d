#include "tools/sync-read/Report.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "framestamp/TimeOfDay.h"

namespace {

struct Column {
  const char* name;
  int width;  // in the text form; negative: aligned left
};

constexpr Column kIndex{"index", 6}, kFrame{"frame", 9}, kTime{"time", -12},
    kTimecode{"timecode", -11}, kOutput{"output", 6}, kCode{"code", -5},
    kLatency{"latency_ms", 10}, kNote{"note", 0}, kInput{"input", 0};

std::vector<Column> Columns(const ReportStyle& style) {
  std::vector<Column> columns{kIndex, kFrame, kTime, kTimecode, kOutput, kCode};
  if (style.latency) columns.push_back(kLatency);
  columns.push_back(kNote);
  if (style.csv) columns.push_back(kInput);
  return columns;
}

std::string Pad(const std::string& text, int width) {
  const int size = static_cast<int>(text.size());
  const int fill = (width < 0 ? -width : width) - size;
  if (fill <= 0) return text;
  return width < 0 ? text + std::string(static_cast<std::size_t>(fill), ' ')
                   : std::string(static_cast<std::size_t>(fill), ' ') + text;
}

std::string Join(const ReportStyle& style, const std::vector<Column>& columns,
                 const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (style.csv) {
      if (i) line += ',';
      line += CsvField(fields[i]);
    } else {
      if (i) line += "  ";
      line += Pad(fields[i], columns[i].width);
    }
  }
  while (!style.csv && !line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

std::string Note(const FrameReading& reading, const FrameEvent& event) {
  std::string note;
  const auto add = [&](const std::string& part) {
    if (part.empty()) return;
    note += (note.empty() ? "" : "; ") + part;
  };
  if (event.missingBefore > 0) add(std::to_string(event.missingBefore) + " dropped before");
  if (event.repeat) add("repeat");
  if (event.outOfOrder) add("out of order");
  add(reading.note);
  return note;
}

std::string Milliseconds(double value) {
  if (std::abs(value) < 0.05) value = 0;  // no "-0.0"
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ReportHeader(const ReportStyle& style) {
  const auto columns = Columns(style);
  std::vector<std::string> names;
  for (const Column& column : columns) names.emplace_back(column.name);
  return Join(style, columns, names);
}

std::string ReportLine(const ReportStyle& style, std::int64_t index, const std::string& input,
                       const FrameReading& reading, const FrameEvent& event) {
  const bool decoded = reading.code != CodeRead::None;
  const std::string none = style.csv ? "" : "-";
  std::vector<std::string> fields{
      std::to_string(index),
      decoded ? std::to_string(reading.frame) : none,
      decoded ? FormatTimeOfDay(reading.millisecondOfDay) : none,
      decoded && !reading.timecode.empty() ? reading.timecode : none,
      decoded ? std::to_string(reading.output) : none,
      CodeName(reading.code)};
  if (style.latency) fields.push_back(event.latencyMs ? Milliseconds(*event.latencyMs) : none);
  fields.push_back(Note(reading, event));
  if (style.csv) fields.push_back(input);
  return Join(style, Columns(style), fields);
}

std::string ReportSummary(const SequenceSummary& s) {
  const auto line = [](const char* name, const std::string& value) {
    return std::string("  ") + Pad(std::string(name) + ":", -14) + value + "\n";
  };
  std::string text = "summary:\n";
  text += line("frames read", std::to_string(s.frames));
  text += line("decoded", std::to_string(s.strip + s.qr) + " (" + std::to_string(s.strip) +
                              " STRIP, " + std::to_string(s.qr) + " QR)");
  text += line("dropped", std::to_string(s.dropped));
  text += line("repeated", std::to_string(s.repeated));
  text += line("out of order", std::to_string(s.outOfOrder));
  text += line("undecodable", std::to_string(s.undecodable));
  if (s.latencyMinMs && s.latencyMaxMs)
    text += line("latency", Milliseconds(*s.latencyMinMs) + " to " +
                                Milliseconds(*s.latencyMaxMs) +
                                " ms (capture time minus shown time, against the first frame read)");
  return text;
}
