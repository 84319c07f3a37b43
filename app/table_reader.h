#pragma once
// The tables `lumivale batch` reads its values from: CSV (RFC 4180, read with libcsv) with a
// header row of column names, or JSON Lines (an object a line, read with nlohmann-json). A table
// is read a row at a time, so one of any length is streamed, never held whole.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class TableFormat { kCsv, kJsonLines };

// The format a table file's name says: .csv, or .jsonl / .ndjson (in any case).
std::optional<TableFormat> TableFormatFromName(std::string_view path);

// One row of a table.
struct TableRow {
  std::size_t number = 0;  // 1-based among the table's rows, the header not counted
  std::size_t line = 0;    // the line of the file the row starts on
  // The row's texts (UTF-8) under their column names or keys, in the order they came.
  std::vector<std::pair<std::string, std::string>> cells;
  // Why the row cannot be used (a short row, a line that is no JSON object, a value that is no
  // text or number); empty for a good row, whose cells are then all there.
  std::string error;
};

class TableReader {
 public:
  // Reads from `input`, which stays the caller's; a UTF-8 byte-order mark at its start is
  // skipped. For CSV the header row is read at once.
  TableReader(std::FILE* input, TableFormat format);
  ~TableReader();
  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  // The CSV header's column names; empty for JSON Lines.
  const std::vector<std::string>& Columns() const;

  // The next row; nothing at the end of the table, or when the table cannot be read on (then
  // Failure says why).
  std::optional<TableRow> Next();

  // Why the table could not be read on (a CSV quote that does not close, a read error), with
  // its line; empty while it can.
  const std::string& Failure() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
