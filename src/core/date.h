// Date: a calendar day, and the process-wide short-date format the board
// stores posting dates in. The format comes from the host's locale and holds
// for the whole process (it is configuration, not request state); it is read
// the first time a date is formatted, since most requests format none.
#pragma once

#include <string>
#include <string_view>

namespace tavrix {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const Date&) const = default;
};

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct DateFormat {
  DateOrder order = DateOrder::MonthDayYear;
  char separator = '/';
};

// The process format: the one set, or else the locale's, read once.
void setDateFormat(DateFormat format);
DateFormat dateFormat();

// Two-digit month and day, four-digit year, in the process order and with
// its separator: 2001-05-17, 05/17/2001, 17.05.2001.
std::string formatDate(const Date& d, const DateFormat& format);
std::string formatDate(const Date& d);

// The host's short-date format from its locale: the locale named by LC_ALL,
// else LC_TIME, else LANG, read with newlocale(3) and nl_langinfo(D_FMT).
// The C and POSIX locales, an unset or unknown locale all give month/day/year
// with "/".
DateFormat dateFormatFromLocale();

// The order of day, month and year in a strftime(3) date format, and the
// separator: the first punctuation character between the first two fields;
// when there is none, "-" for year-first orders and "/" otherwise.
// "%d.%m.%Y" gives day-month-year with "."; "%Y년 %m월 %d일" year-month-day
// with "-". A format without all three fields gives month/day/year with "/".
DateFormat parseDateFormat(std::string_view strftimeFormat);

// Today's date on the local clock.
Date today();

}  // namespace tavrix
