// Html: one page, built in memory and sent in a single write. The text starts
// with the CGI response header ("Content-type: text/html", an empty line) and
// "<HTML>"; every appended line ends with CR LF; nothing reaches the output
// before destroy(), which appends "</BODY>", "</HTML>" and " " and writes the
// whole text at once. Every method returns the page, so calls chain.
#pragma once

#include <string>
#include <string_view>

#include "html/output.h"

namespace tavrix {

class Html {
 public:
  explicit Html(Output& out);

  // Appends the text followed by CR LF, unchanged (no escaping, no trimming).
  Html& out(std::string_view text);
  // Appends "<BR>".
  Html& lnBreak();
  // Appends "<!--" + the whole page text so far + "-->" as one line.
  Html& show();
  // Appends the three closing lines and writes the whole text to the output
  // in one write. The text is kept: a later out() appends, a second destroy()
  // writes everything again.
  Html& destroy();

  const std::string& pageText() const { return pageText_; }

 private:
  Output& output_;
  std::string pageText_;
};

}  // namespace tavrix
