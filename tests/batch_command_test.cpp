// `lumivale batch`, run as a separate process the way a user or a script runs it: the tables it
// reads, the names it gives, the rows that fail, its exit statuses, and that every picture is
// exactly what `lumivale render` gives for the same values.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/file_helpers.h"
#include "tests/jpeg_reading.h"
#include "tests/program_run.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadBytes;
using file_helpers::WriteText;
using program_run::Outcome;

class BatchCommand : public testing::Test {
 protected:
  Outcome Run(std::vector<std::string> arguments, const fs::path& input = "/dev/null") {
    arguments.insert(arguments.begin(), LUMIVALE_PROGRAM);
    return program_run::Run(folder_, std::move(arguments), input);
  }

  // Runs a batch of `table` (written to a file of that name) into `out`.
  Outcome Batch(const std::string& name, const std::string& table,
                std::vector<std::string> more = {}) {
    WriteText(folder_ / name, table);
    std::vector<std::string> arguments = {"batch", name, "--out-dir", "out"};
    if (std::find(more.begin(), more.end(), "--progress") == more.end())
      arguments.insert(arguments.end(), {"--progress", "none"});
    arguments.insert(arguments.end(), more.begin(), more.end());
    return Run(arguments);
  }

  // The bytes `lumivale render` writes for these options.
  std::vector<unsigned char> Rendered(std::vector<std::string> options,
                                      const std::string& file = "render.jpg") {
    options.insert(options.begin(), "render");
    options.insert(options.end(), {"--out", file});
    const Outcome outcome = Run(options);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return ReadBytes(folder_ / file);
  }

  // Starts `lumivale batch ARGUMENTS` in the test's folder without waiting for it.
  pid_t Start(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {LUMIVALE_PROGRAM, "batch"});
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = program_run::BareEnvironment(folder_);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
    fs::current_path(previous);
    return pid;
  }

  // Waits until the output folder holds `count` files, then sends SIGINT; the exit status.
  int InterruptOnceWritten(pid_t pid, std::size_t count) {
    for (int wait = 0; wait < 600 && Written().size() < count; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(::kill(pid, SIGINT), 0);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status);
  }

  // The files in the output folder, whatever they are (a leftover temporary file shows).
  std::vector<std::string> Written(const std::string& dir = "out") const {
    std::vector<std::string> names;
    if (!fs::exists(folder_ / dir)) return names;
    for (const auto& entry : fs::directory_iterator(folder_ / dir))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TemporaryFolder temporary_{"batch_command_test"};
  const fs::path folder_ = temporary_.path();
};

using Names = std::vector<std::string>;

// RFC 4180 as people write it: quoted fields with commas, quotes and line breaks, CRLF, a
// byte-order mark, blank lines; columns in any order, fields left out at their initial texts.
TEST_F(BatchCommand, CsvTablesAreReadAsRfc4180HasThem) {
  const Outcome outcome = Batch("t.csv",
                                "\xEF\xBB\xBF" "file,balance,clicks,word\r\n"
                                "plain,1.5,7,上午\r\n"
                                "\r\n"
                                "\"with,comma\",\"1,234.5\",\"say \"\"hi\"\"\",晚上\r\n"
                                "multi,3,\"two\nlines\",下午\n"
                                "last,4,9,中午");  // no line break at the end
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Written(), (Names{"last.jpg", "multi.jpg", "plain.jpg", "with,comma.jpg"}));
  EXPECT_EQ(ReadBytes(folder_ / "out/plain.jpg"),
            Rendered({"--balance", "1.5", "--clicks", "7", "--word", "上午"}));
  EXPECT_EQ(ReadBytes(folder_ / "out/with,comma.jpg"),
            Rendered({"--balance", "1,234.5", "--clicks", "say \"hi\"", "--word", "晚上"}));
  EXPECT_EQ(ReadBytes(folder_ / "out/multi.jpg"),
            Rendered({"--balance", "3", "--clicks", "two\nlines", "--word", "下午"}));
  EXPECT_EQ(ReadBytes(folder_ / "out/last.jpg"),
            Rendered({"--balance", "4", "--clicks", "9", "--word", "中午"}));
  // Line numbers count the blank line 3 and the line break inside the quoted field.
  EXPECT_NE(outcome.err.find("t.csv:4: note: balance: \"1,234.5\""), std::string::npos) << outcome.err;
  const Outcome shifted = Batch("u.csv", "balance\n\"a\nb\"\n\n\"c,d\"\n");
  EXPECT_NE(shifted.err.find("u.csv:2: note: balance: \"a\nb\""), std::string::npos) << shifted.err;
  EXPECT_NE(shifted.err.find("u.csv:5: note: balance: \"c,d\""), std::string::npos) << shifted.err;
}

TEST_F(BatchCommand, RowsThatCannotBeDrawnFailAloneWithTheirLines) {
  const Outcome outcome = Batch("t.csv",
                                "balance,word\n"
                                "1,上午\n"
                                "2\n"               // a short row
                                "3,上午,extra\n"    // a long one
                                "4,傍晚\n"          // no such word
                                "5,下午\n");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Written(), (Names{"1.jpg", "5.jpg"}));
  for (const char* said : {"t.csv:3: the row has 1 fields, the header 2",
                           "t.csv:4: the row has 3 fields, the header 2",
                           "t.csv:5: word must be one of 上午, 下午, 早上, 中午, 晚上, not \"傍晚\"",
                           "2 written, 0 skipped, 3 failed"})
    EXPECT_NE(outcome.err.find(said), std::string::npos) << said << "\n" << outcome.err;
}

// What makes a table unusable stops the batch before anything is written: exit status 2.
TEST_F(BatchCommand, UnusableTablesAndOptionsExitTwoAndWriteNothing) {
  const struct {
    const char* label;
    const char* name;
    const char* table;
    std::vector<std::string> options;
    const char* said;
  } cases[] = {
      {"unknown column", "t.csv", "balance,colour\n1,red\n", {}, "unknown column \"colour\""},
      {"a column twice", "t.csv", "balance,balance\n1,2\n", {}, "the column \"balance\" comes twice"},
      {"no header", "t.csv", "", {}, "the table has no header row"},
      {"a quote that never closes", "t.csv", "balance\n1\n\"2\n3\n", {}, "never closed"},
      {"a quote out of place", "t.csv", "balance\n1\n2\"x\n", {}, "t.csv: line 3"},
      {"unknown format", "t.txt", "balance\n1\n", {}, "--input"},
      {"unknown placeholder", "t.csv", "balance\n1\n", {"--name", "{colour}"}, "{colour}"},
      {"unclosed placeholder", "t.csv", "balance\n1\n", {"--name", "{row"}, "never closed"},
      {"bad shard", "t.csv", "balance\n1\n", {"--shard", "3/2"}, "--shard"},
      {"no shard count", "t.csv", "balance\n1\n", {"--shard", "1"}, "--shard"},
      {"no jobs", "t.csv", "balance\n1\n", {"-j", "0"}, "-j"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(folder_ / "out");
    const Outcome outcome = Batch(c.name, c.table, c.options);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
    EXPECT_TRUE(Written().empty());
  }
  const Outcome missing = Run({"batch", "nowhere.csv", "--out-dir", "out"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read nowhere.csv"), std::string::npos) << missing.err;
}

// JSON Lines: one object a line, texts or numbers (a number keeps the text it was written
// with); a line that is no such object fails alone.
TEST_F(BatchCommand, JsonLinesTablesFailLineByLine) {
  const Outcome outcome = Batch("t.jsonl",
                                "{\"balance\": 12.50, \"clicks\": 7, \"file\": \"numbers\"}\n"
                                "{\"balance\": \"12.50\", \"clicks\": \"7\", \"file\": \"texts\"}\n"
                                "{\"balance\": 1, \"file\": \"broken\"\n"
                                "\n"
                                "{\"balance\": 1, \"colour\": \"red\"}\n"
                                "{\"balance\": [1]}\n"
                                "{\"balance\": true}\n"
                                "{\"balance\": 1, \"balance\": 2}\n"
                                "[1, 2]\n"
                                "{\"balance\": 3.141, \"file\": \"raw\"}\n",
                                {"--raw"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Written(), (Names{"numbers.jpg", "raw.jpg", "texts.jpg"}));
  const std::vector<unsigned char> expected =
      Rendered({"--raw", "--balance", "12.50", "--clicks", "7"});
  EXPECT_EQ(ReadBytes(folder_ / "out/numbers.jpg"), expected);
  EXPECT_EQ(ReadBytes(folder_ / "out/texts.jpg"), expected);
  EXPECT_EQ(ReadBytes(folder_ / "out/raw.jpg"), Rendered({"--raw", "--balance", "3.141"}));
  for (const char* said : {"t.jsonl:3: not valid JSON", "t.jsonl:5: unknown key \"colour\"",
                           "t.jsonl:6: the value of \"balance\" is an array",
                           "t.jsonl:7: the value of \"balance\" is true or false",
                           "t.jsonl:8: the key \"balance\" comes twice",
                           "t.jsonl:9: the line holds a JSON array, not an object"})
    EXPECT_NE(outcome.err.find(said), std::string::npos) << said << "\n" << outcome.err;
}

TEST_F(BatchCommand, NamesComeFromThePatternPaddedToTheTablesWidth) {
  std::string table = "balance,word\n";
  for (int i = 1; i <= 10; ++i) table += std::to_string(i) + ".5,上午\n";
  ASSERT_EQ(Batch("t.csv", table, {"--name", "pic-{row}-{word}-{balance}", "--format", "png"}).status, 0);
  EXPECT_EQ(Written().size(), 10u);
  EXPECT_EQ(Written().front(), "pic-01-上午-1.5.png");
  EXPECT_EQ(Written().back(), "pic-10-上午-10.5.png");
  EXPECT_EQ(ReadBytes(folder_ / "out/pic-07-上午-7.5.png"), Rendered({"--balance", "7.5"}, "r.png"));

  fs::remove_all(folder_ / "out");
  ASSERT_EQ(Batch("t.csv", table, {"--name", "{{{row:4}}}", "--format", "bmp"}).status, 0);
  EXPECT_EQ(Written().front(), "{0001}.bmp");
}

// A name that would leave the output folder, or that no file system holds, fails its row.
TEST_F(BatchCommand, NamesThatWouldLeaveTheFolderFailTheirRows) {
  const Outcome outcome = Batch("t.csv",
                                "file,balance\n"
                                "../escape,1\n"
                                "/etc/passwd,2\n"
                                "sub/dir,3\n"
                                ",4\n"
                                "..,5\n"
                                + std::string(300, 'x') + ",6\n"
                                "fine,7\n"
                                "already.jpg,8\n"
                                "upper.JPEG,9\n"
                                + std::string("n\0ul,10\n", 8));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Written(), (Names{"already.jpg", "fine.jpg", "upper.JPEG"}));
  EXPECT_FALSE(fs::exists(folder_ / "escape.jpg"));
  for (const char* said : {"t.csv:2:", "t.csv:3:", "t.csv:4:", "t.csv:5: cannot name the picture \"\": the name is empty",
                           "t.csv:6:", "t.csv:7:",
                           "t.csv:11: cannot name the picture \"n\\x00ul\": the name holds a NUL byte",
                           "7 failed"})
    EXPECT_NE(outcome.err.find(said), std::string::npos) << said << "\n" << outcome.err;
}

// Two rows that would write the same name are found before anything is written: neither is
// written, the other rows are.
TEST_F(BatchCommand, RowsSharingANameAreFoundBeforeWriting) {
  const Outcome outcome = Batch("t.csv",
                                "file,balance\n"
                                "same,1\n"
                                "other,2\n"
                                "same.jpg,3\n"
                                "SAME,4\n");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Written(), (Names{"SAME.jpg", "other.jpg"}));
  EXPECT_NE(outcome.err.find("t.csv:2: the name same.jpg is also that of line 4"), std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("t.csv:4: the name same.jpg is also that of line 2"), std::string::npos)
      << outcome.err;

  // A pattern that gives every row one name: each message names a few of the others, so the
  // messages grow with the table, not with its square.
  fs::remove_all(folder_ / "out");
  std::string many = "balance\n";
  for (int i = 1; i <= 400; ++i) many += std::to_string(i) + "\n";
  const Outcome constant = Batch("many.csv", many, {"--name", "same"});
  EXPECT_EQ(constant.status, 1);
  EXPECT_TRUE(Written().empty());
  EXPECT_NE(constant.err.find("many.csv:2: the name same.jpg is also that of lines 3, 4, 5, 6, 7 "
                              "and 394 more; none of them is written"),
            std::string::npos)
      << constant.err.substr(0, 400);
  EXPECT_LT(constant.err.size(), 400u * 200u);
}

TEST_F(BatchCommand, StrictFailsRowsWhoseAmountsDoNotReadWhole) {
  const std::string table = "file,balance,settled\nfine,1.5,2\nodd,abc,1\n";
  const Outcome lenient = Batch("t.csv", table);
  EXPECT_EQ(lenient.status, 0) << lenient.err;
  EXPECT_EQ(Written(), (Names{"fine.jpg", "odd.jpg"}));
  EXPECT_NE(lenient.err.find("t.csv:3: note: balance: \"abc\""), std::string::npos) << lenient.err;

  fs::remove_all(folder_ / "out");
  const Outcome strict = Batch("t.csv", table, {"--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(Written(), (Names{"fine.jpg"}));
  EXPECT_NE(strict.err.find("t.csv:3: balance: \"abc\" is not read whole as a number; drawn as 0.00 "
                            "(refused with --strict)"),
            std::string::npos)
      << strict.err;
}

TEST_F(BatchCommand, FailFastStopsAtTheFirstFailure) {
  std::string table = "balance,word\n1,傍晚\n";
  for (int i = 0; i < 40; ++i) table += "2,上午\n";
  const Outcome outcome = Batch("t.csv", table, {"--fail-fast", "-j", "1"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_LT(Written().size(), 40u);
}

// A table on standard input needs its format named; rows are streamed, so names two rows share
// are found as they come: the later one fails.
TEST_F(BatchCommand, StandardInputIsStreamed) {
  WriteText(folder_ / "in.jsonl", "{\"balance\": 1, \"file\": \"a\"}\n{\"balance\": 2, \"file\": \"a\"}\n"
                                  "{\"balance\": 3}\n");
  const Outcome unnamed = Run({"batch", "-", "--out-dir", "out"}, folder_ / "in.jsonl");
  EXPECT_EQ(unnamed.status, 2);
  EXPECT_NE(unnamed.err.find("--input"), std::string::npos) << unnamed.err;

  const Outcome outcome =
      Run({"batch", "-", "--input", "jsonl", "--out-dir", "out", "--progress", "none"}, folder_ / "in.jsonl");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Written(), (Names{"3.jpg", "a.jpg"}));  // {row} is not padded: the count is unknown
  EXPECT_EQ(ReadBytes(folder_ / "out/a.jpg"), Rendered({"--balance", "1"}));
  EXPECT_NE(outcome.err.find("<stdin>:2: the name a.jpg was already written for line 1"),
            std::string::npos)
      << outcome.err;
}

// Interrupted, a batch leaves only whole pictures and no temporary file; run again with
// --skip-existing it writes the rest, and together they are the pictures of one whole run.
TEST_F(BatchCommand, AnInterruptedBatchResumesWithSkipExisting) {
  std::string table = "balance,clicks\n";
  for (int i = 1; i <= 80; ++i) table += std::to_string(i * 37) + ".25," + std::to_string(i) + "\n";
  WriteText(folder_ / "t.csv", table);

  // Interrupt once some pictures are there.
  const pid_t pid = Start({"t.csv", "--out-dir", "out", "--progress", "none", "-j", "2"});
  EXPECT_EQ(InterruptOnceWritten(pid, 10), 130);

  const Names partial = Written();
  EXPECT_LT(partial.size(), 80u) << "the interruption came too late to tell";
  for (const std::string& name : partial) {
    SCOPED_TRACE(name);
    EXPECT_NE(name.front(), '.') << "only pictures, no temporary file";
    const auto decoded = jpeg_reading::DecodeJpeg(ReadBytes(folder_ / "out" / name));
    ASSERT_TRUE(decoded) << "a whole JPEG";
    EXPECT_EQ(decoded->height, 1920);
  }

  const Outcome resumed = Batch("t.csv", table, {"--skip-existing", "--progress", "lines"});
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(Written().size(), 80u);
  EXPECT_NE(resumed.err.find(std::to_string(partial.size()) + " skipped"), std::string::npos)
      << resumed.err;

  fs::rename(folder_ / "out", folder_ / "resumed");
  ASSERT_EQ(Batch("t.csv", table).status, 0);
  for (const std::string& name : Written())
    EXPECT_EQ(ReadBytes(folder_ / "out" / name), ReadBytes(folder_ / "resumed" / name)) << name;
}

// Ctrl+C after the whole table was read, while the workers still draw the rows queued (here all
// of them: the queue holds more rows than the table has), still ends the batch as interrupted:
// never a success with pictures missing.
TEST_F(BatchCommand, AnInterruptionAfterTheTableIsReadIsNoSuccess) {
  constexpr std::size_t kRows = 30;
  std::string table = "balance\n";
  for (std::size_t i = 1; i <= kRows; ++i) table += std::to_string(i) + ".5\n";
  WriteText(folder_ / "t.csv", table);
  const pid_t pid = Start({"t.csv", "--out-dir", "out", "--progress", "none", "-j", "8"});
  const int status = InterruptOnceWritten(pid, 3);
  const std::size_t written = Written().size();
  if (status == 0)
    EXPECT_EQ(written, kRows) << "a success, but pictures are missing";
  else
    EXPECT_EQ(status, 130);
}

// A shard takes every Nth row under the name the whole batch gives it; the shards together
// are the whole batch.
TEST_F(BatchCommand, ShardsTogetherAreTheWholeBatch) {
  std::string table = "clicks\n";
  for (int i = 1; i <= 10; ++i) table += std::to_string(i * 11) + "\n";
  ASSERT_EQ(Batch("t.csv", table).status, 0);
  fs::rename(folder_ / "out", folder_ / "whole");
  for (const char* shard : {"1/3", "2/3", "3/3"})
    ASSERT_EQ(Batch("t.csv", table, {"--shard", shard}).status, 0) << shard;
  EXPECT_EQ(Written(), Written("whole"));
  for (const std::string& name : Written("whole"))
    EXPECT_EQ(ReadBytes(folder_ / "out" / name), ReadBytes(folder_ / "whole" / name)) << name;

  fs::remove_all(folder_ / "out");
  ASSERT_EQ(Batch("t.csv", table, {"--shard", "2/3"}).status, 0);
  EXPECT_EQ(Written(), (Names{"02.jpg", "05.jpg", "08.jpg"}));
}

// Temporary files a killed batch left beside pictures that are now whole are swept away once
// the batch is done; younger ones, and those of pictures still missing, stay.
TEST_F(BatchCommand, LeftoversOfKilledRunsGoOnceTheirPicturesAreWhole) {
  fs::create_directories(folder_ / "out");
  const auto plant = [&](const std::string& name, bool old) {
    WriteText(folder_ / "out" / name, "half a picture");
    if (!old) return;
    const auto twoMinutesAgo = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    fs::last_write_time(folder_ / "out" / name, twoMinutesAgo);
  };
  plant(".1.jpg.AbCdEfGh.tmp", true);
  plant(".2.jpg.ZyXwVu12.tmp", false);     // young: it may be a run still writing
  plant(".9.jpg.Qwertyui.tmp", true);      // its picture is not there
  plant(".1.jpg.short.tmp", true);         // not a name the program makes
  const Outcome outcome = Batch("t.csv", "balance\n1\n2\n");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Written(), (Names{".1.jpg.short.tmp", ".2.jpg.ZyXwVu12.tmp", ".9.jpg.Qwertyui.tmp",
                              "1.jpg", "2.jpg"}));
}

}  // namespace
