// The notice table Gong: its files, its layout, its three indexes, and the
// opening every page routine uses. The board itself never creates or
// re-indexes the table; the table tool does, with the functions below.
#pragma once

#include <string>

#include "store/db_server.h"

namespace tavrix {

struct GongIndex {
  const char* file;        // without extension
  const char* expression;  // key expression
};

// Order 1 by notice number, 2 by posting date, 3 by the first 100 bytes of
// the title.
inline constexpr GongIndex kGongIndexes[3] = {
    {"Gong1", "NYNO"}, {"Gong2", "NYDATE"}, {"Gong3", "LEFT(TITLE,100)"}};

// Opens Gong in the current folder (or in `dir`) with Gong1, Gong2 and
// Gong3 attached in that order and order 1 selected.
DbServer gongDbOpen();
DbServer gongDbOpen(const std::string& dir);

// "dir/name", or just name when dir is empty or ".".
std::string gongPath(const std::string& dir, const std::string& name);

// Creates Gong.dbf, Gong.dbt and the three index files, all empty, in `dir`.
// Fails (GenCode::Create) without touching anything if any of them exists.
void createGongTable(const std::string& dir);

// Creates whichever of the three index files is missing or has a header
// that is not that index's (another key, length or type, or no index header
// at all) and rebuilds all three from the table, under the exclusive table
// lock. Works on any table
// that has the fields NYNO, NYDATE and TITLE, whatever else it holds.
void reindexGongTable(const std::string& dir);

}  // namespace tavrix
