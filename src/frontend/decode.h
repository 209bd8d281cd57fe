// Request decoding: the server variables and the URL-encoded parameters of one
// request, captured once before dispatch and read only through getParam and
// getEnv. Decoding works on bytes and never looks at the character set, so
// EUC-KR text passes through once its escapes are decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/value.h"

namespace tavrix {

// Ordered (name, value) pairs; a name may occur more than once and either half
// may be empty. Lookups ignore ASCII letter case and the first match wins.
using NameValueList = std::vector<std::pair<std::string, std::string>>;
using ParamList = NameValueList;
using EnvList = NameValueList;

// Where server variables come from: the process environment of a CGI program,
// or the parameter block of one request in a persistent server.
class Environment {
 public:
  explicit Environment(char** envp) : envp_(envp) {}
  // The variable's value; nullptr when it is not set.
  const char* get(std::string_view name) const;

 private:
  char** envp_;
};

// Where a request body comes from.
class Input {
 public:
  virtual ~Input() = default;
  // Up to n bytes, waiting for them; 0 at end of input.
  virtual std::size_t read(char* buffer, std::size_t n) = 0;
  // Up to n bytes, waiting only briefly; 0 at end of input or when nothing
  // arrives. Used when no length was announced, so an empty standard input
  // that is never closed cannot hold the request up.
  virtual std::size_t readIfReady(char* buffer, std::size_t n) = 0;
};

class FdInput : public Input {
 public:
  explicit FdInput(int fd) : fd_(fd) {}
  std::size_t read(char* buffer, std::size_t n) override;
  std::size_t readIfReady(char* buffer, std::size_t n) override;

 private:
  int fd_;
};

// The largest request body taken; a longer one is refused with the error
// report before anything is processed.
inline constexpr long long kMaxBodyBytes = 8LL * 1024 * 1024;

// The 26 captured server variables, in order, each with its value or the
// empty text.
EnvList fillEnv(const Environment& env);

// The raw request text: the query string of a GET (the method exactly "GET"),
// the body for any other method. Exactly CONTENT_LENGTH bytes are read,
// continuing over short reads; bytes that never arrive are absent. A missing,
// zero, negative or unreadable length reads what arrives until the input ends
// or goes quiet. A body over kMaxBodyBytes throws the runtime error.
std::string rawRequestText(const EnvList& envList, Input& in);

// Splits raw request text at "&" and each piece at its first "=", decoding
// both halves. Empty pieces (from "&&" or an empty text) yield nothing.
ParamList splitParams(std::string_view raw);

// fillEnv, rawRequestText and splitParams in one: the request's variables
// and parameters.
void fillParam(const Environment& env, Input& in, EnvList& envList, ParamList& params);

// The value of the first entry whose name matches ignoring ASCII case; the
// empty text when none does.
std::string getParam(const ParamList& params, std::string_view name);
std::string getEnv(const EnvList& envList, std::string_view name);

// URL-decodes one name or value: "+" is a blank, "%hh" one byte (a digit that
// is not hexadecimal counts as 0), a "%" with fewer than two bytes after it is
// kept as it is, and the result ends before its first NUL byte.
std::string unescape(std::string_view text);

// The value of one hexadecimal digit; 0 for any other byte.
int toDigit(char c);

// Removes the element at a 1-based position, moving later ones down.
Array& myADel(Array& array, std::size_t position);

}  // namespace tavrix
