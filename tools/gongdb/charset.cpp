#include "charset.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace gongdb {

namespace {

std::string convert(std::string_view in, const char* from, const char* to, std::string_view what) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("cannot convert ") + from + " to " + to + ": iconv is missing the encoding");
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::size_t done = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + done;
    std::size_t dstLeft = out.size() - done;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    done = out.size() - dstLeft;
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    const int err = errno;
    iconv_close(cd);
    const std::size_t at = in.size() - srcLeft;
    throw std::runtime_error(std::string(what) + ": " +
                             (err == EILSEQ ? "text is not valid " + std::string(from) +
                                                  " or has a character " + to + " cannot hold"
                                            : "incomplete " + std::string(from) + " character") +
                             " at byte " + std::to_string(at));
  }
  iconv_close(cd);
  out.resize(done);
  return out;
}

}  // namespace

std::string utf8ToEucKr(std::string_view utf8, std::string_view what) {
  return convert(utf8, "UTF-8", "EUC-KR", what);
}

std::string eucKrToUtf8(std::string_view eucKr, std::string_view what) {
  return convert(eucKr, "EUC-KR", "UTF-8", what);
}

}  // namespace gongdb
