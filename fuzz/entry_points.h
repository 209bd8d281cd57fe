// The fuzz entry points: what one fuzz input does to the request decoder and
// to the record server. The libFuzzer targets (built with clang) and the
// replay test (built with g++) call the same functions, so a kept input
// replays exactly as it was found.
//
// Contract: an entry point returns normally when the code under test either
// worked or refused the input with tavrix::Error. Anything else escapes: a
// sanitizer report, a crash, a hang (the fuzzer's -timeout), any other
// exception, or a PropertyBroken exception when a result is wrong (for
// example a body longer than its CONTENT_LENGTH, or an index that a rebuild
// left disagreeing with its table).
//
// Input formats:
//   decode  first byte even: the rest is raw request text (a query string).
//           first byte odd: lines "NAME=value" form the environment up to
//           the first empty line; the rest is standard input, delivered in
//           pieces whose size comes from the first byte.
//   table   Gong.dbf bytes, optionally followed by kNextFile and Gong.dbt
//           bytes; the other files come from the baseline table.
//   memo    Gong.dbt bytes; the other files from the baseline table.
//   index   first byte picks Gong1, Gong2 or Gong3 (value % 3); the rest is
//           that .ndx file; the other files from the baseline table.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavrix::fuzz {

struct PropertyBroken : std::logic_error {
  using std::logic_error::logic_error;
};

// Separates the files of one store input.
inline constexpr std::string_view kNextFile = "\n@@GONG.DBT@@\n";

// The files of a small real table (Gong.dbf, Gong.dbt, Gong1..3.ndx), read
// once from `baselineDir`, and a folder of this process's own where each
// input's files are written.
class Workspace {
 public:
  Workspace(const std::string& baselineDir, const std::string& scratchDir);
  const std::string& dir() const { return scratch_; }
  const std::string& baseline(const std::string& file) const;
  // Writes the five files: the baseline's, with `replaced` taking their place.
  void write(const std::map<std::string, std::string_view>& replaced) const;

 private:
  std::map<std::string, std::string> files_;
  std::string scratch_;
};

void decodeInput(std::string_view input);
void tableInput(std::string_view input, const Workspace& ws);
void memoInput(std::string_view input, const Workspace& ws);
void indexInput(std::string_view input, const Workspace& ws);

// By target name ("decode", "table", "memo", "index").
void runInput(const std::string& target, std::string_view input, const Workspace& ws);

}  // namespace tavrix::fuzz
