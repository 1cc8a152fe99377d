#include "map/layout/CsvLayout.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "map/layout/Blanks.h"
#include "map/layout/CabinetFields.h"
#include "map/layout/CabinetList.h"
#include "map/layout/Limits.h"

namespace layout {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Walks the text line by line: LF ends a line, a CR before it is dropped.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  // The next line, or nothing at the end of the text.
  std::optional<std::string_view> Next() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t end = rest_.find('\n');
    std::string_view line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return line;
  }
  std::size_t number() const { return number_; }

 private:
  std::string_view rest_;
  std::size_t number_ = 0;
};

// The separator the header uses more of, counted outside quotes.
char DetectSeparator(std::string_view header) {
  std::size_t commas = 0, semicolons = 0;
  bool quoted = false;
  for (char c : header) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    commas += c == ',';
    semicolons += c == ';';
  }
  return semicolons > commas ? ';' : ',';
}

// Splits one line into trimmed, unquoted fields, or answers the fault.
Result<std::vector<std::string>> SplitFields(std::string_view line, char separator) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    std::string field;
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) return LayoutError::InFile("UNTERMINATED QUOTE");
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      while (i < line.size() && IsBlank(line[i])) ++i;
      if (i < line.size() && line[i] != separator)
        return LayoutError::InFile("TEXT AFTER CLOSING QUOTE");
    } else {
      const std::size_t end = std::min(line.find(separator, i), line.size());
      field = std::string(TrimBlanks(line.substr(i, end - i)));
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) return fields;
    ++i;  // past the separator
  }
}

bool AllEmpty(const std::vector<std::string>& fields) {
  for (const std::string& f : fields)
    if (!f.empty()) return false;
  return true;
}

// Which field each known column holds: column index per kCabinetFields entry.
using ColumnMap = std::vector<std::optional<std::size_t>>;

Result<ColumnMap> MapColumns(const std::vector<std::string>& header) {
  ColumnMap columns(kCabinetFields.size());
  for (std::size_t c = 0; c < header.size(); ++c) {
    const std::string name = Lower(header[c]);
    for (std::size_t f = 0; f < kCabinetFields.size(); ++f) {
      if (name != kCabinetFields[f].name) continue;
      if (columns[f]) return LayoutError::InFile("DUPLICATE COLUMN " + QuoteForMessage(name));
      columns[f] = c;
    }
  }
  for (std::size_t f = 0; f < kCabinetFields.size(); ++f)
    if (kCabinetFields[f].required && !columns[f])
      return LayoutError::InFile("MISSING COLUMN " + QuoteForMessage(kCabinetFields[f].name));
  return columns;
}

LayoutError AtLine(std::size_t line, const LayoutError& fault) {
  return LayoutError::AtLine(line, fault.what);
}

}  // namespace

Result<Layout> ParseCsvLayout(std::string_view text) {
  if (text.size() > kMaxFileBytes) return LayoutError::InFile(FileTooLargeMessage());
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());

  Lines lines(text);
  std::optional<ColumnMap> columns;
  char separator = ',';
  CabinetList cabinets;
  while (const std::optional<std::string_view> line = lines.Next()) {
    const std::size_t number = lines.number();
    if (line->size() > kMaxCsvLineBytes)
      return LayoutError::InFile("LINE " + std::to_string(number) + " IS LONGER THAN " +
                                 std::to_string(kMaxCsvLineKiB) + " KIB");
    if (TrimBlanks(*line).empty()) continue;
    if (!columns) separator = DetectSeparator(*line);
    Result<std::vector<std::string>> fields = SplitFields(*line, separator);
    if (!fields.ok()) return AtLine(number, fields.error());
    if (!columns) {
      Result<ColumnMap> mapped = MapColumns(fields.value());
      if (!mapped.ok()) return mapped.error();  // the header is the place
      columns = std::move(mapped.value());
      continue;
    }
    if (AllEmpty(fields.value())) continue;

    Cabinet cabinet;
    cabinet.sourceLine = number;
    for (std::size_t f = 0; f < kCabinetFields.size(); ++f) {
      const std::optional<std::size_t> column = (*columns)[f];
      if (!column) continue;
      FieldValue value;
      if (*column < fields.value().size()) value.text = fields.value()[*column];
      value.decimalComma = separator == ';';
      const std::string subject = Capitals(kCabinetFields[f].name);
      if (Fault fault = SetField(cabinet, kCabinetFields[f].field, value, subject))
        return LayoutError::AtLine(number, *fault);
    }
    const std::string place = "LINE " + std::to_string(number);
    if (auto fault = cabinets.Add(std::move(cabinet), {place, "CHAIN", place})) return *fault;
  }
  if (!columns) return LayoutError::InFile("NO HEADER ROW");

  Result<std::vector<Cabinet>> all = cabinets.Take();
  if (!all.ok()) return all.error();
  Layout layout;
  layout.cabinets = std::move(all.value());
  return layout;
}

}  // namespace layout
