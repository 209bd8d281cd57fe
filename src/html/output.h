// Output: where one request's response bytes go. In CGI mode that is the
// process's standard output; every writer of the program writes through the
// request's Output, never to a file descriptor of its own.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrix {

class Output {
 public:
  virtual ~Output() = default;
  // Writes all the bytes (one write call for the whole buffer; a short write
  // is continued). Returns the number of bytes written.
  virtual std::size_t write(std::string_view bytes) = 0;
  virtual void flush() = 0;
};

// An Output over a file descriptor (1 for a CGI program's standard output).
class FdOutput : public Output {
 public:
  explicit FdOutput(int fd) : fd_(fd) {}
  std::size_t write(std::string_view bytes) override;
  void flush() override;

 private:
  int fd_;
};

// The raw writers: the text followed by a single LF, or the text unchanged,
// straight to the output with no page object. They return the byte count.
std::size_t stdOut(Output& out, std::string_view text);
std::size_t stdOutNlf(Output& out, std::string_view text);

}  // namespace tavrix
