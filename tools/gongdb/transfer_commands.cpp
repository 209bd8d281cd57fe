// import and export: notices between the table and UTF-8 exchange files.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "charset.h"
#include "command.h"
#include "core/date.h"
#include "notice_table.h"
#include "progress.h"
#include "store/gong_table.h"

namespace gongdb {

namespace {

std::string readAll(const std::string& path) {
  std::FILE* f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error(path + ": " + std::strerror(errno));
  std::string text;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool failed = std::ferror(f);
  if (f != stdin) std::fclose(f);
  if (failed) throw std::runtime_error(path + ": read failed");
  return text;
}

}  // namespace

int runImport(const Args& args) {
  const std::string& path = args.positional[0];
  const Format format = args.has("format") ? parseFormat(args.option("format")) : formatOfFile(path);
  const std::string text = readAll(path);
  const std::vector<NoticeRecord> records = format == Format::Csv ? readCsv(text) : readJsonLines(text);

  // Everything is converted and checked before the table is touched, so a
  // faulty file adds nothing.
  std::vector<TableNotice> notices;
  notices.reserve(records.size());
  const std::string today = tavrix::formatDate(tavrix::today());
  long long highestGiven = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const NoticeRecord& r = records[i];
    const std::string where = "notice " + std::to_string(i + 1) + " of " + path;
    TableNotice n;
    n.nyno = r.nyno.value_or(0);
    n.date = r.date ? utf8ToEucKr(*r.date, where + ", nydate") : today;
    n.title = utf8ToEucKr(r.title, where + ", title");
    n.body = utf8ToEucKr(r.body, where + ", bigo");
    n.qty = r.qty;
    if (r.nyno) highestGiven = std::max(highestGiven, *r.nyno);
    notices.push_back(std::move(n));
  }

  tavrix::DbServer db = tavrix::gongDbOpen(args.dir);
  {
    auto lock = db.lock();
    long long next = std::max(highestLiveNumber(db), highestGiven) + 1;
    std::size_t unnumbered = 0;
    for (const auto& r : records) unnumbered += r.nyno ? 0 : 1;
    checkFits(db, "NYNO", unnumbered ? next + static_cast<long long>(unnumbered) - 1 : highestGiven);
    long long highestQty = 0;
    for (const auto& r : records) highestQty = std::max(highestQty, r.qty.value_or(0));
    checkFits(db, "QTY", highestQty);
    Progress progress("import", static_cast<long long>(notices.size()));
    for (std::size_t i = 0; i < notices.size(); ++i) {
      if (!records[i].nyno) notices[i].nyno = next++;
      appendNotice(db, notices[i]);
      progress.advance(static_cast<long long>(i + 1));
    }
    db.commit();  // durable while the indexes still carry their change marks
    lock.release();
  }
  db.close();
  std::printf("imported %zu notice%s\n", notices.size(), notices.size() == 1 ? "" : "s");
  return 0;
}

int runExport(const Args& args) {
  const std::string path = args.positional.empty() ? std::string("-") : args.positional[0];
  const Format format = args.has("format") ? parseFormat(args.option("format"))
                                           : path == "-" ? Format::JsonLines : formatOfFile(path);
  std::string out = format == Format::Csv ? csvHeader() : std::string();
  tavrix::DbServer db = tavrix::gongDbOpen(args.dir);
  db.setOrder(1);
  for (db.goTop(); !db.eof(); db.skip(1)) {
    const NoticeRecord n = currentNotice(db);
    out += format == Format::Csv ? toCsvRow(n) : toJsonLine(n);
  }
  db.close();
  if (path == "-") {
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
      throw std::runtime_error(std::string("standard output: ") + std::strerror(errno));
    return 0;
  }
  const std::string temp = path + ".part";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) throw std::runtime_error(temp + ": " + std::strerror(errno));
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (std::fclose(f) != 0 || !ok) {
    std::remove(temp.c_str());
    throw std::runtime_error(path + ": write failed");
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error(path + ": " + std::strerror(errno));
  return 0;
}

}  // namespace gongdb
