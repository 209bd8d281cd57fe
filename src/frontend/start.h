// Process entry. serveRequest runs one whole request — decode, dispatch, at
// most one page — and turns any failure into the error report; start is the
// program's entry: one CGI request from the process environment, standard
// input and standard output, or a FastCGI server's requests one after another.
#pragma once

#include "frontend/decode.h"
#include "html/output.h"

namespace tavrix {

// Returns 0 when the request ran to its end, 1 when it ended in the error
// report.
int serveRequest(const Environment& env, Input& in, Output& out);

// The settings every request relies on: tables opened shared, records marked
// deleted hidden. Once per process. (The posting-date format is read from
// the locale when the first date is formatted.)
void startProcess();

int start();

}  // namespace tavrix
