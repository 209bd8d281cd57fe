// The list fetchers: the newest notices for the front-page box, and one page
// of the board list with the board's page count. Pages are ranges of ten
// consecutive notice numbers (1-10, 11-20, ...), page 1 holding the range of
// the highest number; so the page count comes from the highest notice number
// alone and any page is reached with one index seek, never by counting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrix {

// One notice as the lists show it: number, date and title as stored (date and
// title keep their padding), the body without trailing blanks, the counter.
struct NoticeRow {
  long long nyno = 0;
  std::string date;
  std::string title;
  std::string body;
  long long views = 0;
};
using NoticeRows = std::vector<NoticeRow>;

// The 11 highest-numbered live notices, newest first. An empty table gives
// one row of blank values.
NoticeRows gongData1();

// The notices of the board page named by pageText (empty or blank: page 1;
// otherwise its leading number as a 16-bit page), newest first, and the page
// count in pageCount. The record the seek lands on is always taken, so a page
// past the end or a number that is no page gives one blank row.
NoticeRows gongData2(std::uint16_t& pageCount, std::string_view pageText);

// The page count for a highest notice number: 1 up to 10, then one page per
// started range of ten.
std::uint16_t pageCountFor(long long highestNumber);

}  // namespace tavrix
