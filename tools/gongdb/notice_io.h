// Notices in exchange files: UTF-8 JSON Lines and CSV.
//
// JSON Lines: one object per line, keys named after the table's fields:
//   {"nyno":12,"nydate":"2001-05-17","title":"...","bigo":"line 1\r\nline 2","qty":3}
// CSV (RFC 4180): a header line naming the columns (any order, any letter
// case), then one row per notice; texts are quoted, quotes doubled, and a
// body's line breaks stay inside its quotes.
//
// In both, "title" is required; "nyno", "nydate", "qty" and "bigo" may be
// left out (or null / empty), and the importer then numbers on, dates today,
// and leaves the counter and body blank. Readers report the first fault with
// its line number.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gongdb {

struct NoticeRecord {
  std::optional<long long> nyno;
  std::optional<std::string> date;  // UTF-8
  std::string title;                // UTF-8
  std::string body;                 // UTF-8
  std::optional<long long> qty;
};

enum class Format { JsonLines, Csv };

// The format a file name's extension names: .csv is CSV, anything else
// JSON Lines.
Format formatOfFile(std::string_view path);
// "jsonl"/"json" or "csv"; anything else is an error.
Format parseFormat(std::string_view name);

std::string toJsonLine(const NoticeRecord& n);  // with its final '\n'
std::string csvHeader();                        // with its final '\n'
std::string toCsvRow(const NoticeRecord& n);    // with its final '\n'

std::vector<NoticeRecord> readJsonLines(std::string_view text);
std::vector<NoticeRecord> readCsv(std::string_view text);

}  // namespace gongdb
