// The password request pages: the form that asks for the administrator
// password before a new notice, an edit or a deletion. The three pages share
// their layout and differ in a few lines, which the variant names.
#pragma once

#include <string>

#include "html/html.h"

namespace tavrix {

// The notice a request page is about; every value empty when none was found.
struct NoticeSummary {
  std::string number;  // four characters, leading blanks kept
  std::string date;
  std::string title;
};

enum class RequestKind { New, Edit, Delete };

// Writes the whole page (frame included) for the kind; pageText is written
// into the hidden page field as it is given (the caller escapes it).
void writePasswordRequestPage(Html& page, RequestKind kind, const std::string& pageText,
                              const NoticeSummary& notice);

// Looks the notice up by number for the edit and delete request pages.
NoticeSummary findNoticeSummary(long long number);

}  // namespace tavrix
