#include "app/table_reader.h"

#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>

#include <nlohmann/json.hpp>

#include "compose/ascii_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One physical line of the input, its line break included; nothing at the end.
class LineSource {
 public:
  explicit LineSource(std::FILE* input) : input_(input) {}
  ~LineSource() { std::free(buffer_); }
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  std::optional<std::string_view> Next() {
    errno = 0;
    const ssize_t length = ::getline(&buffer_, &capacity_, input_);
    if (length < 0) {
      if (std::ferror(input_)) readError_ = errno != 0 ? errno : EIO;
      return std::nullopt;
    }
    std::string_view line(buffer_, static_cast<std::size_t>(length));
    if (++number_ == 1 && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
    return line;
  }
  std::size_t number() const { return number_; }
  int readError() const { return readError_; }

 private:
  std::FILE* input_;
  char* buffer_ = nullptr;  // getline's own buffer, grown as lines need
  std::size_t capacity_ = 0;
  std::size_t number_ = 0;
  int readError_ = 0;
};

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

std::string ReadFailure(std::size_t line, int error) {
  return "line " + std::to_string(line) + ": " + std::strerror(error);
}

// The CSV side: libcsv is fed one physical line at a time, so every row completed is known to
// start on the line that followed the previous row (blank lines between rows skipped).
class CsvRows {
 public:
  explicit CsvRows(std::FILE* input) : lines_(input) {
    // Strict: a quote inside an unquoted field, text after a closing quote and a quote that
    // never closes are errors, as RFC 4180 has it.
    csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI);
    // Spaces around unquoted fields are part of them (libcsv trims them by default).
    csv_set_space_func(&parser_, [](unsigned char) { return 0; });
  }
  ~CsvRows() { csv_free(&parser_); }
  CsvRows(const CsvRows&) = delete;
  CsvRows& operator=(const CsvRows&) = delete;

  // The next record's fields and the line it starts on; nothing at the end or on a failure.
  std::optional<std::pair<std::size_t, std::vector<std::string>>> Next(std::string& failure) {
    while (completed_.empty() && !finished_) Feed(failure);
    if (completed_.empty()) return std::nullopt;
    auto record = std::move(completed_.front());
    completed_.pop_front();
    return record;
  }

 private:
  static void OnField(void* field, std::size_t length, void* self) {
    static_cast<CsvRows*>(self)->fields_.emplace_back(static_cast<const char*>(field), length);
  }
  static void OnRecordEnd(int, void* self) {
    auto* rows = static_cast<CsvRows*>(self);
    rows->completed_.emplace_back(rows->recordStart_, std::move(rows->fields_));
    rows->fields_.clear();
    rows->betweenRecords_ = true;
  }

  void Feed(std::string& failure) {
    const std::optional<std::string_view> line = lines_.Next();
    if (!line) {
      finished_ = true;
      if (lines_.readError() != 0) {
        failure = ReadFailure(lines_.number() + 1, lines_.readError());
      } else if (csv_fini(&parser_, OnField, OnRecordEnd, this) != 0) {
        failure = "line " + std::to_string(recordStart_) + ": a quoted field is never closed";
      }
      return;
    }
    if (betweenRecords_) {
      if (IsBlank(*line)) return;
      recordStart_ = lines_.number();
      betweenRecords_ = false;
    }
    if (csv_parse(&parser_, line->data(), line->size(), OnField, OnRecordEnd, this) != line->size()) {
      failure = "line " + std::to_string(lines_.number()) + ": " +
                csv_strerror(csv_error(&parser_)) + " (a quote out of place?)";
      finished_ = true;
      completed_.clear();
    }
  }

  LineSource lines_;
  csv_parser parser_{};
  std::vector<std::string> fields_;
  std::deque<std::pair<std::size_t, std::vector<std::string>>> completed_;
  std::size_t recordStart_ = 1;
  bool betweenRecords_ = true;
  bool finished_ = false;
};

// A JSON Lines object, read with nlohmann-json's event interface so that a number keeps the
// text it was written with ("1234.50" stays so, as it would in a CSV cell).
class FlatObject : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::vector<std::pair<std::string, std::string>> cells;
  std::string error;

  bool null() override { return Refuse("null"); }
  bool boolean(bool) override { return Refuse("true or false"); }
  bool number_integer(number_integer_t value) override { return Value(std::to_string(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Value(std::to_string(value)); }
  bool number_float(number_float_t, const string_t& text) override { return Value(text); }
  bool string(string_t& text) override { return Value(text); }
  bool binary(binary_t&) override { return Refuse("binary data"); }
  bool start_object(std::size_t) override {
    if (++depth_ == 1) return true;
    return Refuse("an object");
  }
  bool key(string_t& name) override {
    const bool repeated = std::any_of(cells.begin(), cells.end(),
                                      [&](const auto& cell) { return cell.first == name; });
    if (repeated) {
      error = "the key \"" + name + "\" comes twice";
      return false;
    }
    key_ = name;
    return true;
  }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override {
    if (depth_ == 0) {
      error = "the line holds a JSON array, not an object";
      return false;
    }
    return Refuse("an array");
  }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    // nlohmann-json's messages begin with their own "[json.exception.parse_error.101]".
    std::string message = e.what();
    if (const std::size_t bracket = message.find("] "); bracket != std::string::npos)
      message.erase(0, bracket + 2);
    // Its lines count within the one record, always 1: the table's line is given beside it.
    constexpr std::string_view kLineOne = "at line 1, column";
    if (const std::size_t at = message.find(kLineOne); at != std::string::npos)
      message.replace(at, kLineOne.size(), "at column");
    error = "not valid JSON: " + message;
    return false;
  }

 private:
  bool Value(const std::string& text) {
    if (depth_ != 1) {
      error = "the line holds a JSON value, not an object";
      return false;
    }
    cells.emplace_back(key_, text);
    return true;
  }
  bool Refuse(const char* what) {
    error = depth_ == 0 ? std::string("the line holds ") + what + ", not an object"
                        : "the value of \"" + key_ + "\" is " + what + ", not text or a number";
    return false;
  }

  int depth_ = 0;
  std::string key_;
};

}  // namespace

std::optional<TableFormat> TableFormatFromName(std::string_view path) {
  if (EndsWithIgnoringAsciiCase(path, ".csv")) return TableFormat::kCsv;
  if (EndsWithIgnoringAsciiCase(path, ".jsonl") || EndsWithIgnoringAsciiCase(path, ".ndjson"))
    return TableFormat::kJsonLines;
  return std::nullopt;
}

struct TableReader::State {
  State(std::FILE* input, TableFormat format) : format(format) {
    if (format == TableFormat::kCsv) csv.emplace(input);
    else lines.emplace(input);
  }

  TableFormat format;
  std::optional<CsvRows> csv;
  std::optional<LineSource> lines;
  std::vector<std::string> columns;
  std::size_t rows = 0;
  std::string failure;
};

TableReader::TableReader(std::FILE* input, TableFormat format)
    : state_(std::make_unique<State>(input, format)) {
  if (format != TableFormat::kCsv) return;
  if (auto header = state_->csv->Next(state_->failure)) state_->columns = std::move(header->second);
}

TableReader::~TableReader() = default;

const std::vector<std::string>& TableReader::Columns() const { return state_->columns; }
const std::string& TableReader::Failure() const { return state_->failure; }

std::optional<TableRow> TableReader::Next() {
  State& s = *state_;
  if (!s.failure.empty()) return std::nullopt;
  TableRow row;
  if (s.format == TableFormat::kCsv) {
    auto record = s.csv->Next(s.failure);
    if (!record) return std::nullopt;
    row.line = record->first;
    std::vector<std::string>& values = record->second;
    if (values.size() != s.columns.size()) {
      row.error = "the row has " + std::to_string(values.size()) + " fields, the header " +
                  std::to_string(s.columns.size());
    } else {
      for (std::size_t i = 0; i < values.size(); ++i)
        row.cells.emplace_back(s.columns[i], std::move(values[i]));
    }
  } else {
    std::optional<std::string_view> line;
    while ((line = s.lines->Next()) && IsBlank(*line)) {
    }
    if (!line) {
      if (s.lines->readError() != 0) s.failure = ReadFailure(s.lines->number() + 1, s.lines->readError());
      return std::nullopt;
    }
    row.line = s.lines->number();
    std::string_view text = *line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    FlatObject object;
    nlohmann::json::sax_parse(text, &object);
    if (object.error.empty()) row.cells = std::move(object.cells);
    else row.error = std::move(object.error);
  }
  row.number = ++s.rows;
  return row;
}
