#include "frontend/start.h"

#include <unistd.h>

#include <new>

#include "core/error.h"
#include "frontend/dispatch.h"
#include "frontend/error_page.h"
#include "frontend/fastcgi.h"
#include "frontend/request.h"
#include "store/db_server.h"

extern char** environ;

namespace tavrix {

int serveRequest(const Environment& env, Input& in, Output& out) {
  try {
    Request req(out);
    fillParam(env, in, req.env, req.params);
    process(req);
    out.flush();
    return 0;
  } catch (const Error& e) {
    htmlError(out, e);
  } catch (const std::bad_alloc&) {
    htmlError(out, makeError("RUNTIME", GenCode::Memory, "serving the request",
                             "memory exhausted"));
  } catch (const std::exception& e) {
    htmlError(out, makeError("RUNTIME", GenCode::Internal, "serving the request", e.what()));
  }
  return 1;
}

void startProcess() {
  setExclusiveOpening(false);
  setHideDeleted(true);
}

int start() {
  startProcess();
  if (startedByFastCgiServer()) return serveFastCgi();
  FdInput in(STDIN_FILENO);
  FdOutput out(STDOUT_FILENO);
  return serveRequest(Environment(environ), in, out);
}

}  // namespace tavrix
