#include "charset.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace gongdb {

namespace {

// Converts `in`; on a byte sequence it cannot convert, throws an error
// naming `what`, or with `lenient` writes '?' and goes on after that byte.
std::string convert(std::string_view in, const char* from, const char* to, std::string_view what,
                    bool lenient = false) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("cannot convert ") + from + " to " + to + ": iconv lacks the encoding");
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
    const int err = errno;
    if (err == E2BIG || (lenient && out.size() - done < 4)) {
      out.resize(out.size() * 2);
      continue;
    }
    if (lenient) {
      out[done++] = '?';
      ++src;
      --srcLeft;
      continue;
    }
    iconv_close(cd);
    const std::size_t at = in.size() - srcLeft;
    throw std::runtime_error(std::string(what) + ": " +
                             (err == EILSEQ ? "not valid " + std::string(from) + ", or a character " + to + " lacks,"
                                            : "an incomplete " + std::string(from) + " character") +
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
  return convert(eucKr, "CP949", "UTF-8", what);
}

std::string eucKrToUtf8ForDisplay(std::string_view eucKr) {
  return convert(eucKr, "CP949", "UTF-8", "display", true);
}

}  // namespace gongdb
