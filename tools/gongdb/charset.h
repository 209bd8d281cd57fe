// Text between the tool's users (UTF-8 terminals and files) and the table
// (EUC-KR bytes). Conversion is strict: a byte sequence that is not valid in
// the source encoding, or a character EUC-KR cannot hold, is an error naming
// what was being converted.
#pragma once

#include <string>
#include <string_view>

namespace gongdb {

std::string utf8ToEucKr(std::string_view utf8, std::string_view what);
std::string eucKrToUtf8(std::string_view eucKr, std::string_view what);

}  // namespace gongdb
