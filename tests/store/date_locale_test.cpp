// The posting-date format from the host's locale.
#include <gtest/gtest.h>
#include <locale.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "core/date.h"
#include "support/temp_dir.h"

namespace tavrix::test {
namespace {

TEST(DateFormat, OrderAndSeparatorFromTheLocalesFormat) {
  struct Case {
    const char* format;
    DateOrder order;
    char separator;
  };
  const Case cases[] = {
      {"%m/%d/%y", DateOrder::MonthDayYear, '/'},
      {"%d.%m.%Y", DateOrder::DayMonthYear, '.'},
      {"%Y-%m-%d", DateOrder::YearMonthDay, '-'},
      {"%Y\xEB\x85\x84 %m\xEC\x9B\x94 %d\xEC\x9D\xBC", DateOrder::YearMonthDay, '-'},  // 년 월 일: no punctuation
      {"%d %m %Y", DateOrder::DayMonthYear, '/'},
      {"%e/%-m/%Y", DateOrder::DayMonthYear, '/'},
      {"%Y. %m. %d.", DateOrder::YearMonthDay, '.'},
      {"%D", DateOrder::MonthDayYear, '/'},
      {"%F", DateOrder::YearMonthDay, '-'},
      {"%a %b", DateOrder::MonthDayYear, '/'},  // unreadable: the default
      {"", DateOrder::MonthDayYear, '/'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const DateFormat f = parseDateFormat(c.format);
    EXPECT_EQ(f.order, c.order);
    EXPECT_EQ(f.separator, c.separator);
  }
  EXPECT_EQ(formatDate(Date{2001, 5, 17}, parseDateFormat("%Y-%m-%d")), "2001-05-17");
  EXPECT_EQ(formatDate(Date{2001, 5, 7}, parseDateFormat("%d.%m.%y")), "07.05.2001");
}

const char* const kLocales[] = {"ko_KR.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", "en_GB.UTF-8"};

std::string normalized(std::string name) {
  std::string out;
  for (char c : name)
    if (c != '-') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The locales the tests need: installed ones as they are; when one is
// missing, all are compiled from the system's locale sources into a
// private folder named by LOCPATH (which then replaces the installed set).
// Compiling happens before any lookup, since the C library remembers a
// locale it failed to find.
class Locales {
 public:
  Locales() {
    std::string installed;
    if (FILE* p = popen("locale -a 2>/dev/null", "r")) {
      char line[256];
      while (fgets(line, sizeof line, p)) installed += normalized(line);
      pclose(p);
    }
    bool missing = false;
    for (const char* l : kLocales) missing = missing || installed.find(normalized(l) + "\n") == std::string::npos;
    if (!missing) {
      for (const char* l : kLocales) available_.insert(l);
      return;
    }
    for (const char* l : kLocales) {
      const std::string name(l);
      const std::string command = "localedef -i " + name.substr(0, name.find('.')) + " -f UTF-8 " +
                                  dir_.file(name) + " >/dev/null 2>&1";
      if (std::system(command.c_str()) == 0) available_.insert(name);
    }
    locpath_ = dir_.path();
  }
  bool available(const std::string& name) const { return available_.count(name) > 0; }
  const std::string& locpath() const { return locpath_; }

 private:
  TempDir dir_;
  std::set<std::string> available_;
  std::string locpath_;
};

const Locales& locales() {
  static const Locales instance;
  return instance;
}

// Sets the locale variables for one test and puts them back after it.
class LocaleEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"LC_ALL", "LC_TIME", "LANG", "LOCPATH"}) {
      const char* old = std::getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      unsetenv(v);
    }
    if (!locales().locpath().empty()) setenv("LOCPATH", locales().locpath().c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  bool available(const std::string& name) { return locales().available(name); }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(LocaleEnvironment, HostLocalesGiveTheirShortDateFormat) {
  struct Case {
    const char* locale;
    const char* date;  // 17 May 2001
  };
  for (const Case c : {Case{"ko_KR.UTF-8", "2001-05-17"}, Case{"de_DE.UTF-8", "17.05.2001"},
                       Case{"en_US.UTF-8", "05/17/2001"}, Case{"en_GB.UTF-8", "17/05/2001"}}) {
    SCOPED_TRACE(c.locale);
    if (!available(c.locale)) GTEST_SKIP() << c.locale << " is not installed";
    setenv("LC_TIME", c.locale, 1);
    EXPECT_EQ(formatDate(Date{2001, 5, 17}, dateFormatFromLocale()), c.date);
    unsetenv("LC_TIME");
  }
}

TEST_F(LocaleEnvironment, StaticProgramReadsTheLocaleToo) {
  if (!available("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  FILE* p = popen(STATIC_DATE_PROBE, "r");
  ASSERT_NE(p, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, p), nullptr);
  pclose(p);
  EXPECT_STREQ(line, "17.05.2001\n");
}

TEST_F(LocaleEnvironment, LcAllWinsOverLcTimeWhichWinsOverLang) {
  if (!available("de_DE.UTF-8") || !available("en_US.UTF-8")) GTEST_SKIP() << "locales not installed";
  setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(dateFormatFromLocale().separator, '/');
  setenv("LC_TIME", "de_DE.UTF-8", 1);
  EXPECT_EQ(dateFormatFromLocale().separator, '.');
  setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(dateFormatFromLocale().separator, '/');
}

TEST_F(LocaleEnvironment, CAndUnknownLocalesGiveMonthDayYearWithSlash) {
  for (const char* name : {"C", "POSIX", "xx_NOWHERE.UTF-8"}) {
    SCOPED_TRACE(name);
    setenv("LC_ALL", name, 1);
    const DateFormat f = dateFormatFromLocale();
    EXPECT_EQ(f.order, DateOrder::MonthDayYear);
    EXPECT_EQ(f.separator, '/');
  }
}

}  // namespace
}  // namespace tavrix::test
