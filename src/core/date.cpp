#include "core/date.h"

#include <cstdio>
#include <ctime>

namespace tavrix {

namespace {
DateFormat processFormat;
}

void setDateFormat(DateFormat format) { processFormat = format; }
DateFormat dateFormat() { return processFormat; }

std::string formatDate(const Date& d, const DateFormat& f) {
  char buf[32];
  const char s = f.separator;
  switch (f.order) {
    case DateOrder::YearMonthDay:
      std::snprintf(buf, sizeof buf, "%04d%c%02d%c%02d", d.year, s, d.month, s, d.day);
      break;
    case DateOrder::DayMonthYear:
      std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", d.day, s, d.month, s, d.year);
      break;
    case DateOrder::MonthDayYear:
      std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", d.month, s, d.day, s, d.year);
      break;
  }
  return buf;
}

std::string formatDate(const Date& d) { return formatDate(d, processFormat); }

Date today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

}  // namespace tavrix
