// Forms, hidden fields, cookies and the status-bar scroller.
#include "html/html.h"

namespace tavrix {

Html& Html::form(std::string_view action) {
  return out("<form action=\"" + std::string(action) + "\" METHOD=\"POST\"> ");
}

Html& Html::passHidden(const ParamList& params) {
  for (const auto& [name, value] : params)
    out("<INPUT TYPE=HIDDEN NAME=\"" + name + "\" VALUE=\"" + value + "\">");
  return *this;
}

Html& Html::buttonForm(std::string_view action) {
  form(action);
  return out(
      "<p ALIGN=\"center\"><input type=\"submit\" name=\"submit\" value=\"신규등록\"> "
      "&nbsp;&nbsp;</p> ");
}

// The page text always starts with the "Content-type" line, so the cookie
// lands inside the header, ahead of the empty line that ends it.
Html& Html::addCookie(std::string_view name, std::string_view value, std::string_view path,
                      std::string_view expiry) {
  std::string line = "Set-Cookie: ";
  line += trimBlanks(name);
  line += '=';
  line += trimBlanks(value);
  line += "; expires=";
  line += expiry;
  line += "; path=";
  line += path;
  line += "\r\n";
  pageText_.insert(pageText_.find("\r\n") + 2, line);
  return *this;
}

Html& Html::javaScroller(std::string_view message) {
  out("<script language=\"JavaScript\">");
  out(" ");
  out("<!-- Hide script from non-Java browsers");
  out(" ");
  out("var strMsg = \"" + std::string(message) + "\";");
  out("var nLen = strMsg.length;");
  out("var nWidth = 100;");
  out("var nTime = 80;");
  out("var nPos = nWidth;");
  out("var nLoop = 0;");
  out(" ");
  out("function Scroll() ");
  out("{");
  out("\tif (strMsg.substring(strMsg.length - 1, strMsg.length) == \"\\n\")");
  out("\t{");
  out("\t\tstrMsg = strMsg.substring(0, strMsg.length - 1);");
  out("\t\tnLen--;");
  out("\t}");
  out(" ");
  out("\tvar strScrollText=\"\";");
  out(" ");
  out(" \tif (nPos == 0 - nLen) ");
  out(" \t{");
  out(" \t\tnPos = nWidth;");
  out("\t}");
  out("\tif (nPos >= 0) ");
  out("\t{");
  out("    \t   for (var i = 0; i < nPos; i++) ");
  out("    \t   {");
  out("    \t\tstrScrollText = strScrollText + \" \";");
  out("    \t    }");
  out("\t\tstrScrollText = strScrollText + strMsg;");
  out("\t}");
  out("\telse ");
  out("                {");
  out("\t\tstrScrollText = strMsg.substring(-nPos, nLen); ");
  out("\t}");
  out("\twindow.status = strScrollText;");
  out("\tnPos--;");
  out(" ");
  out("                // Did we scroll once across the screen?");
  out("                nLoop = strScrollText.length - 1;");
  out("                if (nLoop <= 0)");
  out("               {");
  out("                     window.status = \"\";");
  out("                }");
  out("               else");
  out("               {");
  out("                   setTimeout(\"Scroll()\", nTime);");
  out("                }");
  out("}");
  out(" ");
  return out("// --></script> ");
}

}  // namespace tavrix
