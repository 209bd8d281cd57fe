// Date: a calendar day, and the process-wide short-date format the board
// stores posting dates in. The format is set once at start-up and holds for
// the whole process (it is configuration, not request state).
#pragma once

#include <string>

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

void setDateFormat(DateFormat format);
DateFormat dateFormat();

// Two-digit month and day, four-digit year, in the process order and with
// its separator: 2001-05-17, 05/17/2001, 17.05.2001.
std::string formatDate(const Date& d, const DateFormat& format);
std::string formatDate(const Date& d);

// Today's date on the local clock.
Date today();

}  // namespace tavrix
