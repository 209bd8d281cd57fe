// Html: one page, built in memory and sent in a single write. The text starts
// with the CGI response header ("Content-type: text/html", an empty line) and
// "<HTML>"; every appended line ends with CR LF; nothing reaches the output
// before destroy(), which appends "</BODY>", "</HTML>" and " " and writes the
// whole text at once. Every method returns the page, so calls chain.
//
// Markup methods. Each builds whole lines from fixed tags and its arguments
// and appends them through out(); arguments are inserted unchanged (nothing
// is escaped or trimmed unless a method says so) and the page's structure is
// never checked. Two rules recur:
//   - a number is written as decimal text, a whole number as its digits only;
//   - a text is blank when it is empty or holds only blanks, tabs, CR and LF.
//
// Document structure and text markup (markup_text.cpp): head, head1, body,
// bodyBg, heading, bold, italic, underline, pre, address. bold, italic and
// underline decide by the kind of their value: a text is wrapped in the
// opening and closing tag on one line, a logical writes the opening (true) or
// closing (false) tag alone, any other kind writes nothing.
//
// Lists, rules, images, links and sound (markup_lists.cpp): the list builders
// write their opening tag, one line per item (two per definition pair) and
// the closing tag; an empty list gives the two tag lines only. An item that is
// not a text is written as asString gives it; a definition pair is an array
// whose elements 1 and 2 are term and definition (a missing one counts as the
// empty text, further ones are ignored); a pair that is not an array is an
// argument error. anchor() writes one of four forms by which of text and
// image address are blank.
//
// Tables and record browse (markup_tables.cpp): table() writes a bordered
// table from an array of rows (each an array of cells of any kind, shown with
// asString), with a caption line after the rows unless the caption is blank.
// browseView() writes a table file as a table, one row per visible record.
// Its columns:
//   - a column's heading is the field's label caption when it has one, else
//     its name, without leading and trailing blanks; its width in pixels is
//     (W + 1) x 10, W the larger of the field's length and the heading's
//     byte count;
//   - with an empty column list every field is a column, in field order;
//   - otherwise a field is a column when its heading in upper case equals an
//     entry of the list exactly; columns stand in list order whatever the
//     fields' positions (a field shows once, at the first entry it equals);
//     entries that name no field, or are not texts, are skipped;
//   - cells are the field values as asString gives them, untrimmed (dates in
//     the process date format, logicals TRUE/FALSE).
// The record server is closed when the table is written.
//
// Forms, cookies and status-bar scroller (markup_forms.cpp): form() and
// buttonForm() open a form that posts to the given address and leave it open;
// passHidden() repeats every request parameter, in request order, as a hidden
// field; addCookie() is the one method that does not append: it inserts a
// "Set-Cookie:" header line right after the first line of the page, so the
// cookie added last stands first; javaScroller() appends the 53 lines of a
// script that scrolls a message once through the browser's status bar.
#pragma once

#include <string>
#include <string_view>

#include "core/value.h"
#include "frontend/decode.h"
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

  // --- Document structure and text markup ---

  // open: "<HEAD>" and "<TITLE>title</TITLE>"; closed: "</HEAD>" alone.
  Html& head(bool open, std::string_view title = {});
  // "<HEAD>", "<TITLE>title</TITLE>", "</HEAD>".
  Html& head1(std::string_view title);
  // open: "<BODY>", or "<BODY attributes>" when the attributes are not blank;
  // closed: "</BODY>".
  Html& body(bool open, std::string_view attributes = {});
  // "<BODY BACKGROUND = "address">".
  Html& bodyBg(std::string_view address);
  // "<Hn>text</Hn>"; the level is not checked.
  Html& heading(double level, std::string_view text);
  Html& bold(const Value& value);
  Html& italic(const Value& value);
  Html& underline(const Value& value);
  // "<PRE>" / "</PRE>".
  Html& pre(bool open);
  // "<ADDRESS>" / "</ADDRESS>".
  Html& address(bool open);

  // --- Lists, rules, images, links and sound ---

  // "<DL>", then "<DT>term</DT>" and "<DD>definition</DD>" per pair, "</DL>".
  Html& lstDefinition(const Array& pairs);
  // "<UL>" / "<OL>", "<LI>item</LI>" per item, "</UL>" / "</OL>".
  Html& lstUnordered(const Array& items);
  Html& lstOrdered(const Array& items);
  // "<hr size=n>".
  Html& bar(double size = 8);
  // "<IMG SRC="address" ALIGN="alignment">".
  Html& image(std::string_view address, std::string_view alignment = "TOP");
  // Text and image: the image inside the link, followed by the text; text
  // only: a plain link; image only: the image with board=0 and alt="View";
  // neither: nothing.
  Html& anchor(std::string_view target, std::string_view text = {},
               std::string_view imageAddress = {});
  // "<BGSOUND SRC="address" LOOP=n>".
  Html& sound(std::string_view address, double loop = 1);

  // --- Tables and record browse ---

  // "<P>", "<TABLE  BORDER=n>", one unclosed "<TR>", then per row "<TR>",
  // one cell line per value and "</TR>"; the caption line unless the caption
  // is blank; "</TABLE>", "<P>". Without a border width the border is 1.
  Html& table(double border, const Array& rows, std::string_view caption = {});
  Html& table(const Array& rows, std::string_view caption = {});
  // Opens the table file shared through a new record server, attaches the
  // index file unless its name is empty (the first index attached becomes
  // the order of the walk), writes a 1000-pixel table with a heading row
  // and one row per visible record from the first to the last, then the
  // caption lines whatever the caption holds, and closes the record server.
  // Opening failures throw the record server's runtime error.
  Html& browseView(const std::string& tableFile, const std::string& indexFile = {},
                   const Array& columnList = {}, std::string_view caption = {});

  // --- Forms, cookies and status-bar scroller ---

  // "<form action="address" METHOD="POST"> " (the form stays open).
  Html& form(std::string_view action);
  // One "<INPUT TYPE=HIDDEN NAME="name" VALUE="value">" per parameter.
  Html& passHidden(const ParamList& params);
  // The form() line, then a paragraph with the submit button "신규등록".
  Html& buttonForm(std::string_view action);
  // Inserts "Set-Cookie: name=value; expires=expiry; path=path" after the
  // first line; name and value lose their leading and trailing blanks.
  Html& addCookie(std::string_view name, std::string_view value,
                  std::string_view path = "/", std::string_view expiry = "NEVER");
  // The scroller script with the message inserted unchanged.
  Html& javaScroller(std::string_view message);

 private:
  Html& tagged(const Value& value, std::string_view open, std::string_view close);

  Output& output_;
  std::string pageText_;
};

// True when the text is empty or holds only blanks, tabs, CR and LF.
bool isBlank(std::string_view text);
// The text without its leading and trailing blanks (tabs and line breaks
// stay).
std::string trimBlanks(std::string_view text);

}  // namespace tavrix
