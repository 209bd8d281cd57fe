// Makes the fuzzers' baseline table and seed inputs with the store's own
// code: a small Gong table (40 notices, one deleted, memos of one and of
// several blocks, Korean titles as EUC-KR bytes, indexes two and three
// levels deep), copied to <fuzz>/baseline, and one seed folder per target
// under <fuzz>/corpus. Run by hand when the table format changes:
//   make_seeds <fuzz folder>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "entry_points.h"
#include "store/gong_table.h"

using namespace tavrix;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FUZZ_FOLDER\n");
    return 2;
  }
  const std::string fuzz = argv[1];
  char tmpl[] = "/tmp/tavrix-seeds-XXXXXX";
  const std::string work = ::mkdtemp(tmpl);
  createGongTable(work);
  {
    DbServer db = gongDbOpen(work);
    for (int n = 1; n <= 40; ++n) {
      db.append();
      db.fieldPut("NYNO", Value(n));
      db.fieldPut("NYDATE", Value(n % 3 ? "2001-05-17" : "2001-06-02"));
      // "notice N" in EUC-KR Hangul for every third title.
      db.fieldPut("TITLE", Value(n % 3 == 0 ? "\xB0\xF8\xC1\xF6 " + std::to_string(n) : "notice " + std::to_string(n)));
      std::string body;
      if (n % 5 == 0) body = "body " + std::to_string(n);
      if (n == 20) body = std::string(700, 'b') + "<b>end</b>";  // two blocks
      db.fieldPut("BIGO", Value(body));
      db.fieldPut("QTY", Value(n * 3));
    }
    db.goTop();
    db.skip(6);
    db.deleteRecord();  // notice 7
    db.commit();
    db.close();
  }
  ::mkdir((fuzz + "/baseline").c_str(), 0755);
  for (const char* f : {"Gong.dbf", "Gong.dbt", "Gong1.ndx", "Gong2.ndx", "Gong3.ndx"})
    put(fuzz + "/baseline/" + f, slurp(work + "/" + f));

  // An empty table: the smallest valid files.
  const std::string empty = work + "/empty";
  ::mkdir(empty.c_str(), 0755);
  createGongTable(empty);

  auto seed = [&](const std::string& target, const std::string& name, const std::string& bytes) {
    ::mkdir((fuzz + "/corpus").c_str(), 0755);
    ::mkdir((fuzz + "/corpus/" + target).c_str(), 0755);
    put(fuzz + "/corpus/" + target + "/" + name, bytes);
  };
  const std::string dbf = slurp(work + "/Gong.dbf"), dbt = slurp(work + "/Gong.dbt");
  seed("table", "baseline", dbf);
  seed("table", "baseline-with-memo", dbf + std::string(fuzz::kNextFile) + dbt);
  seed("table", "empty", slurp(empty + "/Gong.dbf"));
  seed("memo", "baseline", dbt);
  seed("memo", "empty", slurp(empty + "/Gong.dbt"));
  for (int i = 1; i <= 3; ++i) {
    const std::string ndx = "Gong" + std::to_string(i) + ".ndx";
    seed("index", "baseline-" + std::to_string(i), std::string(1, static_cast<char>(i - 1)) + slurp(work + "/" + ndx));
    seed("index", "empty-" + std::to_string(i), std::string(1, static_cast<char>(i - 1)) + slurp(empty + "/" + ndx));
  }
  seed("decode", "query", std::string("\x00", 1) + "action=GongList2&page=2&nyno=17");
  seed("decode", "escapes", std::string("\x00", 1) + "title=%B0%F8%C1%F6+%3Cb%3E&bigo=a%2&job=New&password=%");
  seed("decode", "empty-pieces", std::string("\x00", 1) + "&&=&a=&=b&PAGE=3&page=4");
  seed("decode", "post", "\x01REQUEST_METHOD=POST\nCONTENT_LENGTH=24\n\naction=GongWrite_Ok2&job=New&x=1");
  seed("decode", "post-pieces", "\x07REQUEST_METHOD=POST\nCONTENT_LENGTH=-5\n\naction=GongDelOk2&nyno=3");
  seed("decode", "get", "\x03REQUEST_METHOD=GET\nQUERY_STRING=action=GongView2&nyno=4\nCONTENT_LENGTH=10\n\nignored");
  seed("decode", "no-length", "\x05REQUEST_METHOD=PUT\n\npage=1&page=2");
  std::system(("rm -rf " + work).c_str());
  return 0;
}
