// create, check, reindex and list: the table as a whole.
#include <cstdio>
#include <string>
#include <vector>

#include "charset.h"
#include "command.h"
#include "core/text.h"
#include "store/db_server.h"
#include "store/gong_table.h"
#include "store/table_check.h"

namespace gongdb {

namespace {

std::vector<std::string> indexPaths(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& i : tavrix::kGongIndexes) out.push_back(tavrix::gongPath(dir, i.file));
  return out;
}

long recordCount(const std::string& dir) {
  tavrix::DbServer db(tavrix::gongPath(dir, "Gong"));
  const long n = db.recordCount();
  db.close();
  return n;
}

// Display width of UTF-8 text on a terminal: Hangul and other wide scripts
// take two columns.
std::size_t columns(const std::string& s) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    w += len >= 3 ? 2 : 1;
    i += len;
  }
  return w;
}

// A stored text as the terminal should show it: UTF-8, without trailing
// blanks, control bytes (which could steer the terminal) shown as '?'.
std::string forTerminal(const std::string& stored) {
  std::string text = eucKrToUtf8ForDisplay(tavrix::trimRight(stored));
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

std::string padded(const std::string& s, std::size_t width) {
  const std::size_t w = columns(s);
  return w >= width ? s : s + std::string(width - w, ' ');
}

}  // namespace

int runCreate(const Args& args) {
  tavrix::createGongTable(args.dir);
  std::printf("created Gong.dbf, Gong.dbt, Gong1.ndx, Gong2.ndx, Gong3.ndx in %s\n", args.dir.c_str());
  return 0;
}

int runCheck(const Args& args) {
  const auto problems = tavrix::verifyTable(tavrix::gongPath(args.dir, "Gong"), indexPaths(args.dir));
  for (const auto& p : problems) std::printf("%s\n", p.c_str());
  if (!problems.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "gongdb check: %zu problem%s found in %s\n", problems.size(), problems.size() == 1 ? "" : "s",
                 tavrix::gongPath(args.dir, "Gong").c_str());
    return 1;
  }
  std::printf("ok: %ld records; table, memo and indexes Gong1, Gong2, Gong3 agree\n", recordCount(args.dir));
  return 0;
}

int runReindex(const Args& args) {
  tavrix::reindexGongTable(args.dir);
  std::printf("rebuilt Gong1.ndx, Gong2.ndx, Gong3.ndx over %ld records\n", recordCount(args.dir));
  return 0;
}

int runList(const Args& args) {
  const long long limit = args.has("limit") ? parseCount(args.option("limit"), "--limit") : -1;
  tavrix::DbServer db = tavrix::gongDbOpen(args.dir);
  db.setOrder(1);
  db.goBottom();
  std::printf("  번호  %s    조회  제목\n", padded("날짜", 10).c_str());
  long long shown = 0;
  for (; !db.eof() && !db.bof() && (limit < 0 || shown < limit); db.skip(-1), ++shown) {
    const auto nyno = static_cast<long long>(db.fieldGet("NYNO").number());
    const auto qty = static_cast<long long>(db.fieldGet("QTY").number());
    const std::string date = forTerminal(db.fieldGet("NYDATE").text());
    std::printf("%6lld  %s  %6lld  %s\n", nyno, padded(date, 10).c_str(), qty,
                forTerminal(db.fieldGet("TITLE").text()).c_str());
  }
  db.close();
  std::printf("(%lld notice%s)\n", shown, shown == 1 ? "" : "s");
  return 0;
}

}  // namespace gongdb
