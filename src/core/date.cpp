#include "core/date.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace tavrix {

namespace {
DateFormat processFormat;
bool formatKnown = false;
}

void setDateFormat(DateFormat format) {
  processFormat = format;
  formatKnown = true;
}

DateFormat dateFormat() {
  if (!formatKnown) setDateFormat(dateFormatFromLocale());
  return processFormat;
}

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

std::string formatDate(const Date& d) { return formatDate(d, dateFormat()); }

DateFormat parseDateFormat(std::string_view f) {
  enum class Part { Day, Month, Year };
  std::vector<Part> parts;
  char separator = 0;
  for (std::size_t i = 0; i < f.size() && parts.size() < 3; ++i) {
    if (f[i] != '%' || i + 1 >= f.size()) {
      if (parts.size() == 1 && !separator && std::ispunct(static_cast<unsigned char>(f[i])))
        separator = f[i];
      continue;
    }
    std::size_t k = i + 1;
    while (k < f.size() && std::string_view("_-0^#EO").find(f[k]) != std::string_view::npos) ++k;
    if (k >= f.size()) break;
    i = k;
    switch (f[k]) {
      case 'd': case 'e': parts.push_back(Part::Day); break;
      case 'm': parts.push_back(Part::Month); break;
      case 'y': case 'Y': case 'C': parts.push_back(Part::Year); break;
      case 'D': return DateFormat{DateOrder::MonthDayYear, '/'};  // %m/%d/%y
      case 'F': return DateFormat{DateOrder::YearMonthDay, '-'};  // %Y-%m-%d
      case '%':
        if (parts.size() == 1 && !separator) separator = '%';
        break;
      default: break;
    }
  }
  if (parts.size() < 3) return DateFormat{};
  DateFormat out;
  if (parts[0] == Part::Year) out.order = DateOrder::YearMonthDay;
  else if (parts[0] == Part::Day) out.order = DateOrder::DayMonthYear;
  else out.order = DateOrder::MonthDayYear;
  out.separator = separator ? separator : (out.order == DateOrder::YearMonthDay ? '-' : '/');
  return out;
}

DateFormat dateFormatFromLocale() {
  const char* name = nullptr;
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) {
      name = value;
      break;
    }
  }
  if (!name) return DateFormat{};
  locale_t locale = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(nullptr));
  if (!locale) return DateFormat{};
  // nl_langinfo under uselocale rather than nl_langinfo_l: in a static
  // program the latter answers from the C locale.
  const locale_t previous = uselocale(locale);
  const std::string format = nl_langinfo(D_FMT);
  uselocale(previous);
  freelocale(locale);
  return parseDateFormat(format);
}

Date today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

}  // namespace tavrix
