// Any bytes as a batch's table, read as CSV and as JSON Lines. Besides not crashing, the reader
// must number rows one by one on non-decreasing lines, give a good CSV row exactly the header's
// columns, and, for a CSV without quotes or carriage returns, give exactly the fields a plain
// split at line breaks and commas gives (blank lines skipped).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/table_reader.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "table reader: %s\n", what);
  std::abort();
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::vector<std::string> Split(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string_view::npos; start = comma + 1)
    fields.emplace_back(line.substr(start, comma - start));
  fields.emplace_back(line.substr(start));
  return fields;
}

// The rows of a CSV without quotes, split by hand, each with its line.
std::vector<std::pair<std::size_t, std::vector<std::string>>> PlainRows(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::pair<std::size_t, std::vector<std::string>>> rows;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    ++number;
    if (!IsBlank(line)) rows.emplace_back(number, Split(line));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return rows;
}

void Read(const std::string& text, TableFormat format) {
  std::unique_ptr<std::FILE, FileCloser> file(
      fmemopen(const_cast<char*>(text.data()), text.size(), "rb"));
  if (!file) return;
  TableReader reader(file.get(), format);
  const bool plain = format == TableFormat::kCsv &&
                     text.find_first_of(std::string_view("\"\r\0", 3)) == std::string::npos;
  const auto expected = plain ? PlainRows(text) : decltype(PlainRows(text)){};
  if (plain && !expected.empty()) Check(reader.Columns() == expected[0].second, "header");
  std::size_t number = 0, line = 0;
  while (std::optional<TableRow> row = reader.Next()) {
    Check(row->number == ++number, "rows are numbered one by one");
    Check(row->line >= 1 && row->line >= line, "lines never go back");
    line = row->line;
    if (format == TableFormat::kCsv && row->error.empty())
      Check(row->cells.size() == reader.Columns().size(), "a good row has the header's columns");
    if (plain) {
      Check(number < expected.size(), "no more rows than lines");
      Check(row->line == expected[number].first, "the row's line");
      const auto& fields = expected[number].second;
      if (fields.size() == reader.Columns().size()) {
        Check(row->error.empty(), "a row of the header's width is good");
        for (std::size_t i = 0; i < fields.size(); ++i)
          Check(row->cells[i].second == fields[i], "the fields a plain split gives");
      } else {
        Check(!row->error.empty(), "a row of another width is an error");
      }
    }
  }
  if (plain)
    Check(reader.Failure().empty() && number == (expected.empty() ? 0 : expected.size() - 1),
          "every row read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Read(text, TableFormat::kCsv);
  Read(text, TableFormat::kJsonLines);
  return 0;
}
