// Dispatch: the request's action picks exactly one page routine. An action
// that does not begin with "Gong" gets no answer at all; one that begins with
// "Gong" but names no page gets the small unknown-action page.
#pragma once

#include "frontend/request.h"

namespace tavrix {

void process(Request& req);

// The unknown-action page, echoing the action (escaped).
void startAction(Request& req);

}  // namespace tavrix
