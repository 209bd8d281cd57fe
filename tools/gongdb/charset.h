// Text between the tool's users (UTF-8 terminals and files) and the table
// (EUC-KR bytes).
//
// Into the table the conversion is strict: text that is not valid UTF-8, or
// holds a character EUC-KR lacks, is an error naming what was being
// converted, so the board never serves bytes a browser reads wrongly. Out of
// the table it reads CP949, the superset of EUC-KR that Korean Windows tools
// write, so such a table still exports; invalid bytes are an error there
// too, except for display, where they show as '?'.
#pragma once

#include <string>
#include <string_view>

namespace gongdb {

std::string utf8ToEucKr(std::string_view utf8, std::string_view what);
std::string eucKrToUtf8(std::string_view eucKr, std::string_view what);
std::string eucKrToUtf8ForDisplay(std::string_view eucKr);

}  // namespace gongdb
