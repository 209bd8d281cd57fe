// The notice table as the tool reads and writes it: one notice at a time in
// UTF-8 on the tool's side, EUC-KR in the table.
#pragma once

#include <optional>
#include <string>

#include "notice_io.h"
#include "store/db_server.h"

namespace gongdb {

// The current record's five fields, texts without trailing blanks, in UTF-8.
NoticeRecord currentNotice(const tavrix::DbServer& db);

// The highest live notice number in order 1; 0 on a table without one.
long long highestLiveNumber(tavrix::DbServer& db);

// A notice ready for the table: texts already in EUC-KR.
struct TableNotice {
  long long nyno = 0;
  std::string date;
  std::string title;
  std::string body;
  std::optional<long long> qty;  // nothing: left blank, as the board leaves it
};

// Refuses (before a batch starts) a number wider than the table's field,
// which would otherwise fail half way through the batch.
void checkFits(const tavrix::DbServer& db, const std::string& field, long long highest);

// Appends one notice. The caller holds the table lock for a batch.
void appendNotice(tavrix::DbServer& db, const TableNotice& n);

}  // namespace gongdb
