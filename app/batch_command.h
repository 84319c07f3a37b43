#pragma once
// `lumivale batch`: many pictures from a table, in parallel, resumable, and split across
// machines by shards.
#include <string>

namespace CLI {
class App;
}

struct BatchOptions {
  std::string table;  // a file, or "-" for standard input
  std::string input;  // csv or jsonl; empty: from the table's name
  std::string outDir;
  std::string name = "{row}";
  std::string format = "jpg";
  unsigned jobs = 0;  // 0: one for each CPU
  std::string shard;  // "K/N"; empty: the whole table
  std::string progress = "auto";
  bool strict = false;
  bool skipExisting = false;
  bool raw = false;
  bool failFast = false;
};

void AddBatchCommand(CLI::App& app, BatchOptions& options);

// Runs it once the command line has been parsed; gives the exit status: 0 when every row of
// the batch was written (or skipped), 1 when some failed, 2 for an unreadable table, 130 or 143
// when interrupted.
int RunBatch(const BatchOptions& options);
