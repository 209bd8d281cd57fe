// The administrator password rule and the refusal page. There are no
// accounts: two fixed passwords, compared as text after trailing blanks are
// removed. A refusal changes nothing and leaves no trace.
#pragma once

#include <string_view>

#include "frontend/request.h"

namespace tavrix {

bool passwordAccepted(std::string_view typed);

// The refusal page; the operation word ("신규", "수정" or "삭제") picks its
// second message, any other word none.
void pwMismatch(Request& req, std::string_view operation);

}  // namespace tavrix
