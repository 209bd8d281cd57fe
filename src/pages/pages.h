// The board's page routines, one per action. Each reads the request, does its
// table work, then writes exactly one page through one Html page object
// (routines that finish an update hand over to the page that follows).
#pragma once

#include <cstdint>
#include <string>

#include "frontend/request.h"
#include "html/html.h"

namespace tavrix {

// How a view page treats the notice it shows: a visitor's look-up ("조회")
// counts the view; the confirmation after a save ("확인") does not, and takes
// the notice number and list page from the caller instead of the request.
enum class ViewMode { Lookup, Confirm };

void gongList1(Request& req);                      // front-page box
void gongView1(Request& req, ViewMode mode);       // popup view
void gongList2(Request& req);                      // board list
void gongView2(Request& req, ViewMode mode, long long number = 0,
               const std::string& pageText = {});  // board view

// The pager row of the board list: a window of at most 15 page numbers
// around the current page, with links to the first and last page and, from
// page 15 on, jumps of 14 pages back and forth.
void gongPageView(Html& page, std::uint16_t pageCount, std::uint16_t current);

}  // namespace tavrix

namespace tavrix {

void gongNew2(Request& req);       // password request before a new notice
void gongEdit2(Request& req);      // password request before an edit
void gongWrite2(Request& req);     // the editor form, behind the password
void gongWriteOk2(Request& req);   // saving a new or edited notice
void gongDel2(Request& req);       // confirming a deletion
void gongDelOk2(Request& req);     // deleting, behind the password

}  // namespace tavrix
