// What the two view pages show of the current record, and the view they
// count: date, title and body (CR LF as "<br>"), and under a visitor's
// look-up one more on the record's counter. The caller holds the table lock,
// so the counter is read and written back as one step.
#pragma once

#include <string>

#include "pages/pages.h"
#include "store/db_server.h"

namespace tavrix {

struct ShownNotice {
  std::string number;  // four characters, leading blanks kept
  std::string date;
  std::string title;
  std::string body;
};

ShownNotice showAndCount(DbServer& db, ViewMode mode);

}  // namespace tavrix
