// The page object: its exact bytes, and that a page goes out in one write.
#include <gtest/gtest.h>

#include "html/escape.h"
#include "html/html.h"
#include "support/capture_output.h"

namespace tavrix {
namespace {

using test::CaptureOutput;

const std::string kNewPage = "Content-type: text/html\r\n\r\n<HTML>\r\n";

TEST(Html, ANewPageHoldsTheHeaderAndNothingIsWritten) {
  CaptureOutput out;
  Html page(out);
  EXPECT_EQ(page.pageText(), kNewPage);
  EXPECT_EQ(page.pageText().size(), 35u);
  EXPECT_TRUE(out.writes.empty());
}

TEST(Html, OutAppendsTheTextUnchangedWithCrLf) {
  CaptureOutput out;
  Html page(out);
  page.out("").out("<b>&\"'</b>").lnBreak();
  EXPECT_EQ(page.pageText(), kNewPage + "\r\n<b>&\"'</b>\r\n<BR>\r\n");
}

TEST(Html, DestroyWritesTheWholePageInOneWrite) {
  CaptureOutput out;
  Html page(out);
  page.destroy();
  const std::string once = kNewPage + "</BODY>\r\n</HTML>\r\n \r\n";
  ASSERT_EQ(out.writes.size(), 1u);
  EXPECT_EQ(out.writes[0], once);
  // The page stays open: a second destroy sends everything again.
  page.out("x").destroy();
  ASSERT_EQ(out.writes.size(), 2u);
  EXPECT_EQ(out.writes[1], once + "x\r\n</BODY>\r\n</HTML>\r\n \r\n");
}

TEST(Html, ShowWrapsThePageSoFarInAComment) {
  CaptureOutput out;
  Html page(out);
  page.show();
  EXPECT_EQ(page.pageText(), kNewPage + "<!--" + kNewPage + "-->\r\n");
}

TEST(Html, APageNeverDestroyedWritesNothing) {
  CaptureOutput out;
  {
    Html page(out);
    page.out("lost");
  }
  EXPECT_TRUE(out.writes.empty());
}

TEST(RawWriters, StdOutAddsALoneLineFeedAndStdOutNlfNothing) {
  CaptureOutput out;
  EXPECT_EQ(stdOut(out, ""), 1u);
  EXPECT_EQ(stdOut(out, "ab"), 3u);
  EXPECT_EQ(stdOutNlf(out, "cd"), 2u);
  EXPECT_EQ(out.writes, (std::vector<std::string>{"\n", "ab\n", "cd"}));
}

TEST(Escape, RequestTextBecomesCharacterReferences) {
  EXPECT_EQ(escapeRequestText("GongList1"), "GongList1");
  EXPECT_EQ(escapeRequestText("12"), "12");
  EXPECT_EQ(escapeRequestText("<b>&\"' \t\x01"), "&#60;b&#62;&#38;&#34;&#39;&#32;&#9;&#1;");
  EXPECT_EQ(escapeRequestText("\xB0\xF8"), "\xB0\xF8");  // EUC-KR bytes pass
}

TEST(Encoding, PageLiteralsAreEucKr) {
  EXPECT_EQ(std::string("확인"), "\xC8\xAE\xC0\xCE");
  EXPECT_EQ(std::string("공지사항"), "\xB0\xF8\xC1\xF6\xBB\xE7\xC7\xD7");
}

}  // namespace
}  // namespace tavrix
