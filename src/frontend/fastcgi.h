// Persistent mode. When a FastCGI server starts the program, its standard
// input is a listening socket: the program then stays alive and serves one
// request after another through that socket, each exactly as a CGI process
// would (same decoding, same pages, same error report), each from a clean
// Request. Started any other way, it is a CGI program and serves one.
#pragma once

namespace tavrix {

// Whether standard input is the listening socket a FastCGI server hands over.
bool startedByFastCgiServer();

// Serves requests until the server closes the socket; returns the exit
// status.
int serveFastCgi();

}  // namespace tavrix
