// Small text forms the store and the board pages share: numbers right-aligned in four
// characters (wider numbers keep all their digits), stored texts without their
// trailing blanks, and bodies with CR LF turned into "<br>".
#pragma once

#include <string>
#include <string_view>

namespace tavrix {

std::string fourWide(long long n);
std::string trimRight(std::string_view text);
std::string crlfToBr(std::string_view text);

}  // namespace tavrix
