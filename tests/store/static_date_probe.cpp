// Prints 17 May 2001 in the locale's short-date format. Linked statically,
// like Tavrix.exe, to show the locale is read in a static program too.
#include <cstdio>

#include "core/date.h"

int main() {
  std::printf("%s\n", tavrix::formatDate(tavrix::Date{2001, 5, 17}, tavrix::dateFormatFromLocale()).c_str());
}
