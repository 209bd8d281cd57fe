// Board: a notice table of our own making in a temporary folder, and the
// built program run against it as a web server runs it. Notices are added
// with the numbers, dates and counters a test needs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/cgi_runner.h"
#include "support/temp_dir.h"

namespace tavrix::test {

struct Notice {
  long long nyno = 0;
  std::string date;   // trailing blanks removed
  std::string title;  // trailing blanks removed
  std::string body;
  long long views = 0;
  bool deleted = false;
};

class Board {
 public:
  Board();  // an empty table with its three indexes

  void add(long long nyno, const std::string& title, const std::string& body = "",
           long long views = 0, const std::string& date = "2001-05-17");
  // Notices from..to, titled "공지 N", body "본문 N", dated 2001-05-17.
  void addRange(long long from, long long to);
  // Marks the first live notice with the number deleted.
  void remove(long long nyno);

  const std::string& dir() const { return dir_.path(); }
  RunResult get(const std::string& query) const;
  RunResult post(const std::string& body) const;

  // The first live notice with the number, as stored.
  std::optional<Notice> find(long long nyno) const;
  // Every record in the table, in file order, deleted ones included.
  std::vector<Notice> all() const;

 private:
  TempDir dir_;
};

}  // namespace tavrix::test
