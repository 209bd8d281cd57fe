#include "gongdb/gongdb_support.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <sstream>

#include "support/temp_dir.h"

namespace tavrix::test {

namespace {

const std::string kHere = std::string(TAVRIX_SOURCE_DIR) + "/tests/gongdb/";

// Debian's interpreters: the readers are installed as Debian packages.
const char* kPython = "/usr/bin/python3";
const char* kPerl = "/usr/bin/perl";

std::string convert(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out(in.size() * 2 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("text not convertible");
  out.resize(out.size() - dstLeft);
  return out;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

}  // namespace

RunResult gongdb(const std::string& dir, std::vector<std::string> args,
                 const std::map<std::string, std::string>& env) {
  RunOptions o;
  o.args = std::move(args);
  if (!dir.empty()) {
    o.args.push_back("--dir");
    o.args.push_back(dir);
  }
  o.env = env;
  o.timeoutMs = 120000;
  return runProgram(GONGDB_EXE, o);
}

std::string utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
std::string toEucKr(const std::string& utf8Text) { return convert(utf8Text, "UTF-8", "EUC-KR"); }
std::string toUtf8(const std::string& eucKrText) { return convert(eucKrText, "EUC-KR", "UTF-8"); }

std::string percentEncode(const std::string& bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (std::isalnum(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int lineCount(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n + (!text.empty() && text.back() != '\n');
}

std::vector<std::vector<std::string>> oracleRecords(const std::string& reader, const std::string& path,
                                                    const std::vector<std::string>& fields) {
  RunOptions o;
  o.args = {kHere + "read_table.py", reader, path};
  o.args.insert(o.args.end(), fields.begin(), fields.end());
  o.env = {{"PATH", "/usr/bin:/bin"}};
  o.timeoutMs = 60000;
  const RunResult r = runProgram(kPython, o);
  EXPECT_EQ(r.exitCode, 0) << "read_table.py " << reader << " failed: " << r.err;
  std::vector<std::vector<std::string>> records;
  for (const auto& rec : split(r.out, '\x1e')) {
    std::vector<std::string> f;
    std::string cur;
    for (char c : rec) {
      if (c == '\x1f') {
        f.push_back(cur);
        cur.clear();
      } else {
        cur += c;
      }
    }
    f.push_back(cur);
    records.push_back(std::move(f));
  }
  return records;
}

std::vector<IndexEntryRead> oracleIndexWalk(const std::string& dir) {
  RunOptions o;
  o.args = {kHere + "read_indexes.pl", dir + "/Gong.dbf", dir + "/Gong1.ndx:NYNO", dir + "/Gong2.ndx:NYDATE",
            dir + "/Gong3.ndx:TITLE"};
  o.env = {{"PATH", "/usr/bin:/bin"}};
  o.timeoutMs = 60000;
  const RunResult r = runProgram(kPerl, o);
  EXPECT_EQ(r.exitCode, 0) << "read_indexes.pl failed: " << r.err;
  std::vector<IndexEntryRead> out;
  for (const auto& line : split(r.out, '\n')) {
    std::vector<std::string> f;
    std::string cur;
    for (char c : line) {
      if (c == '\t') {
        f.push_back(cur);
        cur.clear();
      } else {
        cur += c;
      }
    }
    f.push_back(cur);
    if (f.size() != 5) {
      ADD_FAILURE() << "unexpected line from read_indexes.pl: " << line;
      continue;
    }
    const std::string file = f[0].substr(f[0].rfind('/') + 1);
    out.push_back({file, f[1], std::stol(f[2]), f[3] == "*", f[4]});
  }
  return out;
}

void copyFiles(const std::string& from, const std::string& to, const std::vector<std::string>& names) {
  for (const auto& n : names) writeFile(to + "/" + n, readFile(from + "/" + n));
}

}  // namespace tavrix::test
