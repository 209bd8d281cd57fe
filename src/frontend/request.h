// Request: everything one request owns — its decoded parameters, its captured
// server variables and the channel its response goes to. It lives for one
// request; nothing of it is kept in statics, so a persistent server can serve
// the next request from a clean one.
#pragma once

#include <string>
#include <string_view>

#include "frontend/decode.h"
#include "html/output.h"

namespace tavrix {

struct Request {
  explicit Request(Output& output) : out(output) {}

  Output& out;
  EnvList env;
  ParamList params;

  std::string param(std::string_view name) const { return getParam(params, name); }
};

}  // namespace tavrix
