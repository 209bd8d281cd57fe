// The board's page frame: the literal pieces every board page writes around
// its own content — the copyright opening, the head block (title and style
// sheet), the body tag, the footer with the copyright row and the ending
// lines. Each page picks its variants; nothing here depends on the request
// or the table.
#pragma once

#include "html/html.h"

namespace tavrix::frame {

enum class Title { Plain, WithMaker };                      // T1, T2
enum class Style { Compact, WithInput, WithSmallAndInput, Expanded };  // S1..S4
enum class Body { Board, FocusPassword, FocusTitle, FrontBox };        // B1..B4
enum class Footer { FullWidth, Narrow };                    // F1, F2 (430 pixels)
enum class Ending { CenterParaBody, Body, BodyUpper };      // E1, E2, E3

// The copyright comment and an empty line.
void opening(Html& page);
// "<HEAD>", the title, the charset declaration, the style block, "</HEAD>".
void head(Html& page, Title title, Style style);
void body(Html& page, Body body);
void footer(Html& page, Footer footer);
void ending(Html& page, Ending ending);

}  // namespace tavrix::frame
