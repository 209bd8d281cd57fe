#include "frontend/decode.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/error.h"

namespace tavrix {

namespace {

constexpr const char* kEnvNames[26] = {
    "HTTP_HOST",         "SERVER_SOFTWARE",  "SERVER_NAME",  "SERVER_PORT",
    "SERVER_PORT_SECURE", "SERVER_PROTOCOL", "GATEWAY_INTERFACE", "REMOTE_HOST",
    "REMOTE_ADDR",       "REMOTE_USER",      "HTTP_ACCEPT",  "HTTP_USER_AGENT",
    "HTTP_REFERER",      "UNMAPPED_REMOTE_USER", "PATH_INFO", "PATH_TRANSLATED",
    "SCRIPT_NAME",       "REQUEST_METHOD",   "QUERY_STRING", "CONTENT_TYPE",
    "CONTENT_LENGTH",    "AUTH_TYPE",        "AUTH_PASSWORD", "AUTH_USER",
    "ALL_HTTP",          "URL"};

// How long an unannounced body may go quiet before it is taken as ended.
constexpr int kQuietMillis = 20;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

std::string lookup(const NameValueList& list, std::string_view name) {
  for (const auto& [n, v] : list) {
    if (equalsIgnoringCase(n, name)) return v;
  }
  return {};
}

[[noreturn]] void bodyTooLarge(long long length) {
  Error e = makeError("CGI", GenCode::Limit, "reading the request body",
                      "request body of " + std::to_string(length) +
                          " bytes exceeds the limit of " + std::to_string(kMaxBodyBytes));
  e.maxSize = static_cast<std::uint32_t>(kMaxBodyBytes);
  throw e;
}

}  // namespace

const char* Environment::get(std::string_view name) const {
  if (!envp_) return nullptr;
  for (char** p = envp_; *p; ++p) {
    const char* entry = *p;
    if (std::strncmp(entry, name.data(), name.size()) == 0 && entry[name.size()] == '=') {
      return entry + name.size() + 1;
    }
  }
  return nullptr;
}

std::size_t FdInput::read(char* buffer, std::size_t n) {
  for (;;) {
    ssize_t got = ::read(fd_, buffer, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

std::size_t FdInput::readIfReady(char* buffer, std::size_t n) {
  pollfd p{fd_, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&p, 1, kQuietMillis);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return 0;
  return read(buffer, n);
}

EnvList fillEnv(const Environment& env) {
  EnvList list;
  list.reserve(26);
  for (const char* name : kEnvNames) {
    const char* value = env.get(name);
    list.emplace_back(name, value ? value : "");
  }
  return list;
}

std::string rawRequestText(const EnvList& envList, Input& in) {
  if (getEnv(envList, "REQUEST_METHOD") == "GET") return getEnv(envList, "QUERY_STRING");

  const long long length = leadingNumber(getEnv(envList, "CONTENT_LENGTH"));
  std::string body;
  if (length > kMaxBodyBytes) bodyTooLarge(length);
  if (length > 0) {
    body.resize(static_cast<std::size_t>(length));
    std::size_t have = 0;
    while (have < body.size()) {
      std::size_t got = in.read(body.data() + have, body.size() - have);
      if (got == 0) break;
      have += got;
    }
    body.resize(have);
    return body;
  }
  char chunk[8192];
  while (std::size_t got = in.readIfReady(chunk, sizeof chunk)) {
    body.append(chunk, got);
    if (static_cast<long long>(body.size()) > kMaxBodyBytes) {
      bodyTooLarge(static_cast<long long>(body.size()));
    }
  }
  return body;
}

ParamList splitParams(std::string_view raw) {
  ParamList params;
  std::size_t start = 0;
  while (start <= raw.size()) {
    std::size_t amp = raw.find('&', start);
    if (amp == std::string_view::npos) amp = raw.size();
    std::string_view piece = raw.substr(start, amp - start);
    if (!piece.empty()) {
      std::size_t eq = piece.find('=');
      if (eq == std::string_view::npos) {
        params.emplace_back(unescape(piece), std::string());
      } else {
        params.emplace_back(unescape(piece.substr(0, eq)), unescape(piece.substr(eq + 1)));
      }
    }
    start = amp + 1;
  }
  return params;
}

void fillParam(const Environment& env, Input& in, EnvList& envList, ParamList& params) {
  envList = fillEnv(env);
  params = splitParams(rawRequestText(envList, in));
}

std::string getParam(const ParamList& params, std::string_view name) { return lookup(params, name); }

std::string getEnv(const EnvList& envList, std::string_view name) { return lookup(envList, name); }

int toDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

std::string unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '%' && text.size() - i >= 3) {
      out.push_back(static_cast<char>(16 * toDigit(text[i + 1]) + toDigit(text[i + 2])));
      i += 3;
    } else {
      out.push_back(c == '+' ? ' ' : c);
      ++i;
    }
  }
  const std::size_t nul = out.find('\0');
  if (nul != std::string::npos) out.resize(nul);
  return out;
}

Array& myADel(Array& array, std::size_t position) {
  if (position < 1 || position > array.size()) {
    Error e = makeError("ARRAY", GenCode::Bound, "deleting an array element",
                        "position " + std::to_string(position) + " outside 1.." +
                            std::to_string(array.size()));
    e.argNum = 2;
    throw e;
  }
  array.erase(array.begin() + static_cast<std::ptrdiff_t>(position - 1));
  return array;
}

}  // namespace tavrix
