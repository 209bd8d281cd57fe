// The error report: 26 lines, fixed labels, LF line ends, no header.
#include <gtest/gtest.h>

#include "frontend/error_page.h"
#include "support/capture_output.h"

namespace tavrix {
namespace {

TEST(ErrorPage, WritesTheFixedReportLineByLine) {
  Error e = makeError("DBSERVER", GenCode::Open, "open", "cannot open <b>table</b>",
                      "Gong.dbf", 2);
  e.subCode = 1001;
  e.canRetry = true;
  e.tries = 3;
  e.funcSym = Symbol{"GONGDBOPEN"};
  e.argType = static_cast<std::uint32_t>(Type::Text);
  e.argTypeReq = static_cast<std::uint32_t>(Type::Number);
  e.callFuncSym = Symbol{"GONGLIST2"};
  test::CaptureOutput out;
  htmlError(out, e);

  const std::vector<std::string> expected = {
      "<p>An Error occured!</p>\n",
      "<p>--------------------</p>\n",
      "<p>SubSystem       :DBSERVER</p>\n",
      "<p>SubCode         :1001</p>\n",
      "<p>GenCode         :Open error</p>\n",
      "<p>OsCode          :2</p>\n",
      "<p>Severity        :2</p>\n",
      "<p>CanDefault      :FALSE</p>\n",
      "<p>CanRetry        :TRUE</p>\n",
      "<p>CanSubstitute   :FALSE</p>\n",
      "<p>Operation       :open</p>\n",
      "<p>Description     :cannot open <b>table</b></p>\n",
      "<p>FileName        :Gong.dbf</p>\n",
      "<p>Tries           :3</p>\n",
      "<p>FuncSym         :GONGDBOPEN</p>\n",
      "<p>FileHandle      :0</p>\n",
      "<p>ArgNum          :0</p>\n",
      "<p>FuncPtr         :0x0000000000000000</p>\n",
      "<p>SubCodeText     :</p>\n",
      "<p>Arg             :</p>\n",
      "<p>ArgType         :String</p>\n",
      "<p>ArgTypeReq      :Number</p>\n",
      "<p>MaxSize         :0</p>\n",
      "<p>SubstituteType  :Nil</p>\n",
      "<p>CallFuncSym     :GONGLIST2</p>\n",
      "<p>--------------------</p>\n",
  };
  // One write per line, so each line goes out as soon as it is made.
  EXPECT_EQ(out.writes, expected);
}

}  // namespace
}  // namespace tavrix
