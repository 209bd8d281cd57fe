// The error report: a failed request answers with a fixed 26-line report of
// the error object, each line ending in a single LF, written straight to the
// output with no response header and no page object. The caller ends the
// request afterwards; a page not yet finished is never sent.
#pragma once

#include "core/error.h"
#include "html/output.h"

namespace tavrix {

void htmlError(Output& out, const Error& error);

}  // namespace tavrix
