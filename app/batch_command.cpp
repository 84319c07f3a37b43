#include "app/batch_command.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/batch_progress.h"
#include "app/bounded_queue.h"
#include "app/output_names.h"
#include "app/picture_values.h"
#include "app/table_reader.h"
#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "fonts/font_provisioning.h"
#include "output/atomic_file.h"
#include "output/picture_file.h"

namespace fs = std::filesystem;

namespace {

// Set by SIGINT or SIGTERM: no new picture is begun, those under way are finished or their
// temporary files removed, and the batch ends with 128 + the signal.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int signal) { stopSignal = signal; }

// The stop signals reach the reading thread (its reads are interrupted) and no worker.
class StopSignals {
 public:
  StopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read of the table returns
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Threads started while this lives do not receive them.
  class BlockedInNewThreads {
   public:
    BlockedInNewThreads() {
      sigset_t stops;
      sigemptyset(&stops);
      sigaddset(&stops, SIGINT);
      sigaddset(&stops, SIGTERM);
      pthread_sigmask(SIG_BLOCK, &stops, &previous_);
    }
    ~BlockedInNewThreads() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    BlockedInNewThreads(const BlockedInNewThreads&) = delete;
    BlockedInNewThreads& operator=(const BlockedInNewThreads&) = delete;

   private:
    sigset_t previous_;
  };

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

struct Shard {
  std::size_t index = 1;  // K of K/N
  std::size_t count = 1;  // N
  bool Takes(std::size_t row) const { return (row - 1) % count == index - 1; }
};

// Everything a batch needs to know, checked before anything is read or written.
struct BatchSetup {
  std::string tableName;  // for messages: the path, or <stdin>
  TableFormat tableFormat = TableFormat::kCsv;
  PictureFormat format = PictureFormat::kJpeg;
  NamePattern pattern;
  Shard shard;
  unsigned jobs = 1;
  ProgressMode progress = ProgressMode::kNone;
  fs::path outDir;
  AmountTexts amounts = AmountTexts::kNormalised;
  bool strict = false;
  bool skipExisting = false;
  bool failFast = false;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "lumivale batch: %s\nRun 'lumivale batch --help' for more information.\n",
               message.c_str());
  return 2;
}

std::optional<Shard> ParseShard(const std::string& text, std::string& error) {
  Shard shard;
  if (text.empty()) return shard;
  const std::size_t slash = text.find('/');
  const auto number = [](const std::string& digits) -> std::optional<std::size_t> {
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    return std::stoul(digits);
  };
  const auto index = slash == std::string::npos ? std::nullopt : number(text.substr(0, slash));
  const auto count = slash == std::string::npos ? std::nullopt : number(text.substr(slash + 1));
  if (!index || !count || *index < 1 || *count < 1 || *index > *count) {
    error = "--shard must be K/N with 1 <= K <= N, not \"" + text + "\"";
    return std::nullopt;
  }
  shard.index = *index;
  shard.count = *count;
  return shard;
}

// A row's cells as the fields' texts and the picture's file name.
struct RowValues {
  std::vector<std::optional<std::string>> utf8;  // one for each field; not given: initial text
  std::optional<std::string> file;
};

constexpr std::string_view kFileColumn = "file";

std::string KnownNames() {
  std::string names;
  for (const ScreenField& field : EarningsScreen().fields) names += std::string(field.name) + ", ";
  return names + std::string(kFileColumn);
}

std::optional<RowValues> ValuesOf(const TableRow& row, std::string& error) {
  RowValues values;
  values.utf8.assign(EarningsScreen().fields.size(), std::nullopt);
  for (const auto& [name, text] : row.cells) {
    if (name == kFileColumn) {
      values.file = text;
    } else if (const auto field = FieldIndex(EarningsScreen(), name)) {
      values.utf8[*field] = text;
    } else {
      error = "unknown key \"" + name + "\" (the keys are " + KnownNames() + ")";
      return std::nullopt;
    }
  }
  return values;
}

// A name as a message shows it: a NUL, a line break or another control byte would cut the
// message short or split it over lines, so they are written as \x00, \x0a ...
std::string Escaped(std::string_view name) {
  std::string text;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      text += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    text += escaped;
  }
  return text;
}

// The picture's file name for a row, or why there is none.
std::string PictureName(const RowValues& values, std::size_t row, std::size_t rowCount,
                        const BatchSetup& setup, std::string& error) {
  std::string name;
  if (values.file) {
    name = *values.file;
  } else {
    std::vector<std::string> texts;
    const auto fields = EarningsScreen().fields;
    for (std::size_t f = 0; f < fields.size(); ++f)
      texts.push_back(values.utf8[f] ? *values.utf8[f] : GbkToUtf8(fields[f].initialText));
    name = setup.pattern.Expand(row, rowCount, texts);
  }
  if (const std::string why = WhyNotAFileName(name); !why.empty()) {
    error = "cannot name the picture \"" + Escaped(name) + "\": " + why;
    return {};
  }
  name = WithExtension(std::move(name), setup.format);
  if (const std::string why = WhyNotAFileName(name); !why.empty()) {
    error = "cannot name the picture \"" + Escaped(name) + "\": " + why;
    return {};
  }
  return name;
}

OwnedFile OpenTable(const std::string& path, std::string& error) {
  if (path == "-") return OwnedFile(fdopen(::dup(STDIN_FILENO), "rb"));
  // A FIFO or a device would block or run on: only a regular file is a table to read twice.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "not a regular file";
    return nullptr;
  }
  OwnedFile file(std::fopen(path.c_str(), "rb"));
  if (!file) error = std::strerror(errno);
  return file;
}

// Checks a CSV header: every column a field or `file`, none twice.
std::string WhyHeaderIsUnusable(const std::vector<std::string>& columns) {
  if (columns.empty()) return "the table has no header row";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string& column = columns[i];
    if (column != kFileColumn && !FieldIndex(EarningsScreen(), column))
      return "unknown column \"" + column + "\" (the columns are " + KnownNames() + ")";
    if (std::find(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(i), column) !=
        columns.begin() + static_cast<std::ptrdiff_t>(i))
      return "the column \"" + column + "\" comes twice";
  }
  return {};
}

// What a first pass over a table file finds before anything is written: how many rows it has
// (so names can be padded and the bar knows its total) and which rows would write the same
// name as another (for each, the lines of the others).
struct SameName {
  std::vector<std::size_t> lines;  // the first few of the other rows' lines
  std::size_t others = 0;          // how many other rows share the name
};
constexpr std::size_t kSameNameLinesShown = 5;

struct TablePlan {
  std::size_t rows = 0;
  std::unordered_map<std::size_t, SameName> sameNameAs;  // row -> the other rows
};

// Names are compared by their 64-bit hashes in a first pass, so a table of millions of rows
// costs some bytes a row, not its names; rows whose hashes meet are compared by name in a
// second pass.
std::optional<TablePlan> PlanTable(const std::string& path, const BatchSetup& setup,
                                   std::string& error) {
  TablePlan plan;
  std::vector<std::pair<std::size_t, std::size_t>> hashes;  // (hash, row)
  std::size_t rowCount = 0;
  {
    OwnedFile file = OpenTable(path, error);
    if (!file) return std::nullopt;
    TableReader reader(file.get(), setup.tableFormat);
    while (reader.Next()) ++rowCount;
    if (!reader.Failure().empty()) {
      error = reader.Failure();
      return std::nullopt;
    }
  }
  plan.rows = rowCount;
  const auto forEachName = [&](const std::function<void(const TableRow&, const std::string&)>& use) {
    OwnedFile file = OpenTable(path, error);
    if (!file) return false;
    TableReader reader(file.get(), setup.tableFormat);
    while (std::optional<TableRow> row = reader.Next()) {
      if (!row->error.empty()) continue;
      std::string ignored;
      const std::optional<RowValues> values = ValuesOf(*row, ignored);
      if (!values) continue;
      const std::string name = PictureName(*values, row->number, rowCount, setup, ignored);
      if (!name.empty()) use(*row, name);
    }
    return true;
  };
  if (!forEachName([&](const TableRow& row, const std::string& name) {
        hashes.emplace_back(std::hash<std::string>{}(name), row.number);
      }))
    return std::nullopt;
  std::sort(hashes.begin(), hashes.end());
  std::unordered_set<std::size_t> meeting;
  for (std::size_t i = 1; i < hashes.size(); ++i)
    if (hashes[i].first == hashes[i - 1].first) meeting.insert(hashes[i].first);
  if (meeting.empty()) return plan;

  std::map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> rowsOfName;  // (row, line)
  if (!forEachName([&](const TableRow& row, const std::string& name) {
        if (meeting.count(std::hash<std::string>{}(name)))
          rowsOfName[name].emplace_back(row.number, row.line);
      }))
    return std::nullopt;
  for (const auto& [name, rows] : rowsOfName) {
    if (rows.size() < 2) continue;
    for (const auto& [row, line] : rows) {
      SameName& same = plan.sameNameAs[row];
      same.others = rows.size() - 1;
      for (const auto& [otherRow, otherLine] : rows) {
        if (same.lines.size() == kSameNameLinesShown) break;
        if (otherRow != row) same.lines.push_back(otherLine);
      }
    }
  }
  return plan;
}

std::string LinesText(const SameName& same) {
  const std::vector<std::size_t>& lines = same.lines;
  const bool more = same.others > lines.size();
  std::string text = lines.size() == 1 && !more ? "line " : "lines ";
  for (std::size_t i = 0; i < lines.size(); ++i)
    text += (i == 0 ? "" : i + 1 == lines.size() && !more ? " and " : ", ") + std::to_string(lines[i]);
  if (more) text += " and " + std::to_string(same.others - lines.size()) + " more";
  return text;
}

struct BatchJob {
  std::size_t line = 0;
  RowValues values;
  std::string name;   // with its extension
  std::string error;  // found while reading: the row cannot be drawn
};

// One worker's render context; its surfaces share the faces and the decoded pictures.
struct Worker {
  ProgramState state;
  RenderSurfaces surfaces;
};

class Batch {
 public:
  Batch(const BatchSetup& setup, std::optional<std::size_t> total)
      : setup_(setup), progress_(setup.progress, total), queue_(setup.jobs * 4) {
    ProgramState names;
    faces_ = UseBuiltInFaces(names);
    namedRecords_ = names;
    pictures_ = DecodeScreenPictures(EarningsScreen());
  }

  // Hands the job to a worker, waiting while the workers are busy; false once the batch stops.
  bool Give(BatchJob job) { return !stopping_ && queue_.Push(std::move(job)); }
  bool Stopping() const { return stopping_ || stopSignal != 0; }

  void Start() {
    const StopSignals::BlockedInNewThreads blocked;
    for (unsigned i = 0; i < setup_.jobs; ++i) workers_.emplace_back([this] { Work(); });
  }

  BatchCounts Finish() {
    if (stopSignal != 0) queue_.Abandon();
    queue_.Close();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    return progress_.Finish();
  }

  void Say(const std::string& line) { progress_.Say(line); }

 private:
  void Work() {
    Worker worker{namedRecords_, MakeRenderSurfaces(faces_, pictures_)};
    while (std::optional<BatchJob> job = queue_.Pop()) {
      if (stopSignal != 0) break;
      const BatchProgress::Outcome outcome = Do(worker, *job);
      progress_.Count(outcome);
      if (outcome == BatchProgress::Outcome::kFailed && setup_.failFast) {
        stopping_ = true;
        queue_.Abandon();
      }
    }
  }

  std::string Where(const BatchJob& job) const {
    return "lumivale batch: " + setup_.tableName + ":" + std::to_string(job.line) + ": ";
  }

  BatchProgress::Outcome Fail(const BatchJob& job, const std::string& why) {
    progress_.Say(Where(job) + why);
    return BatchProgress::Outcome::kFailed;
  }

  BatchProgress::Outcome Do(Worker& worker, const BatchJob& job) {
    if (!job.error.empty()) return Fail(job, job.error);
    std::string error;
    const std::optional<PictureValues> values = PictureValuesFrom(job.values.utf8, setup_.amounts, error);
    if (!values) return Fail(job, error);
    if (setup_.strict && !values->unreadAmounts.empty()) {
      std::string why;
      for (const std::string& note : values->unreadAmounts) why += (why.empty() ? "" : "; ") + note;
      return Fail(job, why + " (refused with --strict)");
    }
    for (const std::string& note : values->unreadAmounts) progress_.Say(Where(job) + "note: " + note);

    const fs::path target = setup_.outDir / job.name;
    if (setup_.skipExisting) {
      struct stat info {};
      if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return BatchProgress::Outcome::kSkipped;
    }
    ComposeEarningsScreen(worker.state, worker.surfaces, values->drawn);
    const Canvas& picture = worker.surfaces.templateSurface;
    std::error_code writeError;
    if (!WritePictureFile(picture.raster, picture.settings.width, picture.settings.height,
                          setup_.format, target.string(), writeError, Durability::kBatched))
      return Fail(job, "cannot write " + target.string() + ": " + writeError.message());
    return BatchProgress::Outcome::kWritten;
  }

  const BatchSetup& setup_;
  BatchProgress progress_;
  BoundedQueue<BatchJob> queue_;
  std::shared_ptr<const FaceLibrary> faces_;
  ProgramState namedRecords_;  // the records with the built-in faces named
  ScreenPictures pictures_;
  std::vector<std::thread> workers_;
  std::atomic<bool> stopping_ = false;
};

// Makes the output folder when it is missing; why it cannot be used, or empty.
std::string PrepareOutDir(const fs::path& dir) {
  std::error_code error;
  fs::create_directories(dir, error);
  if (error && !fs::is_directory(dir)) return error.message();
  if (!fs::is_directory(dir)) return "not a folder";
  return {};
}

// The pictures were written without syncing each: the whole output file system is synced once,
// before the batch reports what it wrote; and leftovers of earlier killed runs beside pictures
// now whole are swept away once.
std::string SyncOutDir(const fs::path& dir) {
  SweepStaleTemporaryFiles(dir);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  const int synced = ::syncfs(fd);
  const int reason = errno;
  ::close(fd);
  return synced == 0 ? std::string() : std::strerror(reason);
}

std::optional<BatchSetup> SetUp(const BatchOptions& options, std::string& error) {
  BatchSetup setup;
  setup.tableName = options.table == "-" ? "<stdin>" : options.table;
  if (!options.input.empty()) {
    setup.tableFormat = options.input == "csv" ? TableFormat::kCsv : TableFormat::kJsonLines;
  } else if (options.table == "-") {
    error = "a table on standard input needs --input csv or --input jsonl";
    return std::nullopt;
  } else if (const auto format = TableFormatFromName(options.table)) {
    setup.tableFormat = *format;
  } else {
    error = "cannot tell the table's format from \"" + options.table +
            "\": name it .csv, .jsonl or .ndjson, or give --input";
    return std::nullopt;
  }
  setup.format = *FormatFromExtension("." + options.format);
  std::string why;
  std::optional<NamePattern> pattern = NamePattern::Parse(options.name, EarningsScreen(), why);
  if (!pattern) {
    error = "--name \"" + options.name + "\": " + why;
    return std::nullopt;
  }
  setup.pattern = std::move(*pattern);
  const std::optional<Shard> shard = ParseShard(options.shard, error);
  if (!shard) return std::nullopt;
  setup.shard = *shard;
  setup.jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  if (options.progress == "bar") setup.progress = ProgressMode::kBar;
  else if (options.progress == "lines") setup.progress = ProgressMode::kLines;
  else if (options.progress == "none") setup.progress = ProgressMode::kNone;
  else setup.progress = ::isatty(STDERR_FILENO) ? ProgressMode::kBar : ProgressMode::kNone;
  setup.outDir = options.outDir;
  setup.amounts = options.raw ? AmountTexts::kAsTyped : AmountTexts::kNormalised;
  setup.strict = options.strict;
  setup.skipExisting = options.skipExisting;
  setup.failFast = options.failFast;
  return setup;
}

std::size_t RowsOfShard(std::size_t rows, const Shard& shard) {
  return rows >= shard.index ? (rows - shard.index) / shard.count + 1 : 0;
}

}  // namespace

void AddBatchCommand(CLI::App& app, BatchOptions& options) {
  CLI::App* batch = app.add_subcommand(
      "batch",
      "Renders a picture for every row of a table: CSV with a header row of field names (as "
      "the render options spell them) and an optional `file` column, or JSON Lines with the "
      "same keys. Fields left out take the window's initial values. Each picture is exactly "
      "what `lumivale render` gives for its values.");
  batch->add_option("table", options.table, "the table, or - for standard input")
      ->type_name("TABLE|-")
      ->required();
  batch->add_option("--out-dir", options.outDir, "the folder the pictures go to (made if missing)")
      ->type_name("DIR")
      ->required();
  batch->add_option("--name", options.name,
                    "the pictures' names when the table has no `file` column: {row} is the row's "
                    "number, zero-padded to the table's width ({row:N}: to N digits), {FIELD} a "
                    "field's text; the extension follows --format (default {row})")
      ->type_name("PATTERN");
  batch->add_option("--format", options.format, "jpg (quality 100), png or bmp (default jpg)")
      ->check(CLI::IsMember(PictureFormatNames()));
  batch->add_option("-j,--jobs", options.jobs, "pictures drawn at once (default: one for each CPU)")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  batch->add_option("--shard", options.shard,
                    "only the rows i with (i - 1) mod N = K - 1, under the names the whole batch "
                    "gives them: N such runs, on one machine or many, split one table")
      ->type_name("K/N");
  batch->add_option("--progress", options.progress,
                    "a bar on a terminal, a line every few seconds, or nothing (default auto: "
                    "the bar on a terminal, else nothing)")
      ->check(CLI::IsMember({"auto", "bar", "lines", "none"}));
  batch->add_option("--input", options.input, "the table's format, for standard input")
      ->check(CLI::IsMember({"csv", "jsonl"}));
  batch->add_flag("--strict", options.strict,
                  "a row with an amount the normalisation cannot read whole fails");
  batch->add_flag("--skip-existing", options.skipExisting,
                  "leave pictures already there, so an interrupted batch resumes");
  batch->add_flag("--raw", options.raw, "draw the amounts exactly as given, not normalised");
  batch->add_flag("--fail-fast", options.failFast, "stop at the first row that fails");
}

int RunBatch(const BatchOptions& options) {
  std::string error;
  const std::optional<BatchSetup> setup = SetUp(options, error);
  if (!setup) return UsageError(error);

  // A table file is read through once first: its rows are counted and names that two rows
  // would share are found before anything is written.
  std::optional<TablePlan> plan;
  if (options.table != "-") {
    plan = PlanTable(options.table, *setup, error);
    if (!plan) {
      std::fprintf(stderr, "lumivale batch: cannot read %s: %s\n", options.table.c_str(), error.c_str());
      return 2;
    }
  }
  OwnedFile table = OpenTable(options.table, error);
  if (!table) {
    std::fprintf(stderr, "lumivale batch: cannot read %s: %s\n", options.table.c_str(), error.c_str());
    return 2;
  }
  const StopSignals stopSignals;
  TableReader reader(table.get(), setup->tableFormat);
  if (setup->tableFormat == TableFormat::kCsv) {
    if (!reader.Failure().empty()) {
      std::fprintf(stderr, "lumivale batch: cannot read %s: %s\n", setup->tableName.c_str(),
                   reader.Failure().c_str());
      return 2;
    }
    if (const std::string why = WhyHeaderIsUnusable(reader.Columns()); !why.empty())
      return UsageError(setup->tableName + ": " + why);
  }
  if (const std::string why = PrepareOutDir(setup->outDir); !why.empty())
    return UsageError("cannot use " + setup->outDir.string() + " as the output folder: " + why);

  const std::size_t rowCount = plan ? plan->rows : 0;
  Batch batch(*setup, plan ? std::optional<std::size_t>(RowsOfShard(rowCount, setup->shard))
                           : std::nullopt);
  batch.Start();
  std::unordered_map<std::size_t, std::size_t> lineOfNameHash;  // standard input: names so far
  std::size_t given = 0;     // rows handed to the workers
  bool readThrough = false;  // every row of the table was read
  while (!batch.Stopping()) {
    std::optional<TableRow> row = reader.Next();
    if (!row) {
      readThrough = reader.Failure().empty();
      break;
    }
    if (!setup->shard.Takes(row->number)) continue;
    BatchJob job;
    job.line = row->line;
    job.error = row->error;
    std::optional<RowValues> values;
    if (job.error.empty()) values = ValuesOf(*row, job.error);
    if (values) {
      job.name = PictureName(*values, row->number, rowCount, *setup, job.error);
      job.values = std::move(*values);
    }
    if (job.error.empty() && plan) {
      if (auto same = plan->sameNameAs.find(row->number); same != plan->sameNameAs.end())
        job.error = "the name " + Escaped(job.name) + " is also that of " + LinesText(same->second) +
                    "; none of them is written";
    } else if (job.error.empty()) {
      const auto [seen, isNew] = lineOfNameHash.emplace(std::hash<std::string>{}(job.name), job.line);
      if (!isNew)
        job.error = "the name " + Escaped(job.name) + " was already written for line " +
                    std::to_string(seen->second);
    }
    if (!batch.Give(std::move(job))) break;
    ++given;
  }
  const std::string readFailure = stopSignal != 0 ? std::string() : reader.Failure();
  const BatchCounts counts = batch.Finish();
  // A signal that comes once the table is read, while the workers still draw the rows queued,
  // stops them too: the batch is interrupted unless every row was read and done.
  const bool interrupted = stopSignal != 0 && (!readThrough || counts.Done() < given);

  int status = counts.failed > 0 ? 1 : 0;
  if (!readFailure.empty()) {
    std::fprintf(stderr, "lumivale batch: cannot read %s on: %s\n", setup->tableName.c_str(),
                 readFailure.c_str());
    status = 2;
  }
  if (const std::string why = SyncOutDir(setup->outDir); !why.empty()) {
    std::fprintf(stderr, "lumivale batch: cannot sync %s to disk: %s\n",
                 setup->outDir.string().c_str(), why.c_str());
    status = std::max(status, 1);
  }
  if (interrupted) status = 128 + stopSignal;
  if (status != 0 || setup->progress != ProgressMode::kNone)
    std::fprintf(stderr, "lumivale batch: %s%zu written, %zu skipped, %zu failed\n",
                 interrupted ? "interrupted; " : "", counts.written, counts.skipped, counts.failed);
  return status;
}
