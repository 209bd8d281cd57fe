// Escaping of request text that a page echoes back. Text from the request is
// never trusted: "&", "<", ">", the two quotes and every byte below 0x21
// become numeric character references ("&#60;"). Letters, digits and the
// bytes of EUC-KR characters pass unchanged, so the board's own values (page
// numbers, actions it links to) come out exactly as they went in.
#pragma once

#include <string>
#include <string_view>

namespace tavrix {

std::string escapeRequestText(std::string_view text);

}  // namespace tavrix
