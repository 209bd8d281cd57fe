// verifyTable: checks a table, its memo file and its indexes against each
// other without trusting any of them, and reports every problem found as
// one line of text (an empty list: all is well). It holds the shared table
// lock while it reads, so it sees no change half made.
//
// Checked: the table header (record count within the file, field list);
// a record rewrite left in the journal; each record's deletion mark and
// numeric fields; each memo reference (a
// block inside the memo file, text with an end mark); each index's header,
// change mark, block numbers, tree shape (no block reached twice, keys
// bounding their subtrees, entries in order) and its entries against the
// table: exactly one entry per record, with the record's current key.
#pragma once

#include <string>
#include <vector>

namespace tavrix {

std::vector<std::string> verifyTable(const std::string& tableName,
                                     const std::vector<std::string>& indexNames);

}  // namespace tavrix
