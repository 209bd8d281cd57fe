// Helpers for the tests of the table tool: running it, texts in both
// encodings, and the independent readers (tests/gongdb/read_table.py,
// read_indexes.pl) run as oracles.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/cgi_runner.h"

namespace tavrix::test {

// Runs build/gongdb with `args` and "--dir dir" (unless dir is empty), in a
// clean environment plus `env`.
RunResult gongdb(const std::string& dir, std::vector<std::string> args,
                 const std::map<std::string, std::string>& env = {});

// A UTF-8 text from a u8 literal (the tests' plain literals are EUC-KR).
std::string utf8(const char8_t* s);
std::string toEucKr(const std::string& utf8Text);
std::string toUtf8(const std::string& eucKrText);

// Request-parameter encoding of any bytes.
std::string percentEncode(const std::string& bytes);

// How many lines a text has (counting a last line without its line feed).
int lineCount(const std::string& text);

// The records of dir/Gong.dbf as an independent reader sees them (reader
// "dbfread" or "dbf"), or as a JSON description lists them ("json", path of
// the file): per record the deletion mark, then the fields, in UTF-8;
// sorted. Fails the test when the reader cannot run.
std::vector<std::vector<std::string>> oracleRecords(const std::string& reader, const std::string& path,
                                                    const std::vector<std::string>& fields);

struct IndexEntryRead {
  std::string index;  // file name as given
  std::string key;    // bytes as stored, trailing blanks removed
  long recNo = 0;
  bool deleted = false;
  std::string value;  // the key field as the table holds it
};

// Every entry of the three Gong indexes, in the order XBase::Index walks
// them, each with its record as XBase reads it from the table.
std::vector<IndexEntryRead> oracleIndexWalk(const std::string& dir);

// Files of a fixture folder copied into `dir`.
void copyFiles(const std::string& from, const std::string& to, const std::vector<std::string>& names);

}  // namespace tavrix::test
