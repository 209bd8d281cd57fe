// Tavrix.exe: the notice board's CGI program. The web server starts it once
// per request; it answers that request and exits.
#include "frontend/start.h"

int main() { return tavrix::start(); }
