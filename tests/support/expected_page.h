// Expected board pages, written out independently of the program from the
// board's page tables, for whole-response comparisons. Page collects lines
// with CR LF as the page object does; the frame helpers give each labelled
// frame piece.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrix::test {

class Page {
 public:
  Page();
  Page& operator<<(std::string_view line);
  Page& lines(const std::vector<std::string>& lines);
  // The finished response: the page's closing lines added.
  std::string done() const;

 private:
  std::string text_;
};

namespace expected {

void opening(Page& p);
// title: 1 plain, 2 with the maker; style: 1 to 4.
void head(Page& p, int title, int style);
extern const char* const kBodyBoard;            // B1
extern const char* const kBodyFocusPassword;    // B2
extern const char* const kBodyFocusTitle;       // B3
extern const char* const kBodyFrontBox;         // B4
void footerFull(Page& p);    // F1
void footerNarrow(Page& p);  // F2
void endingCenter(Page& p);  // E1

}  // namespace expected
}  // namespace tavrix::test
