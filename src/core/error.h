// Error: the runtime error object. Whatever fails after start-up (a table that
// cannot be opened, a corrupt file, a request too large, memory exhausted)
// throws one of these; it unwinds to the request's entry point, where the
// error report is written and the request ends. The 27 fields keep the order
// and meaning the error report relies on.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/value.h"

namespace tavrix {

// Generic error codes (GENCODE); errString gives each its description.
enum class GenCode : std::uint32_t {
  None = 0,
  Argument = 1,     // an argument of the wrong kind or value
  Bound = 2,        // an index or position out of range
  Memory = 3,       // memory exhausted
  Create = 4,       // a file could not be created
  Open = 5,         // a file could not be opened
  Close = 6,        // a file could not be closed
  Read = 7,         // a read failed or came up short
  Write = 8,        // a write failed
  Corruption = 9,   // a file's contents are damaged
  Lock = 10,        // a lock could not be taken
  Limit = 11,       // a size limit was exceeded
  DataWidth = 12,   // a value does not fit its field
  NoField = 13,     // no field of that name
  NoOrder = 14,     // no index order of that number
  Internal = 15,    // an unexpected failure inside the program
};

class Error : public std::exception {
 public:
  std::string subSystem;
  std::uint32_t subCode = 0;
  std::uint32_t genCode = 0;
  std::uint32_t osCode = 0;
  std::uint32_t severity = 2;  // 2: the operation failed and cannot go on
  bool canDefault = false;
  bool canRetry = false;
  bool canSubstitute = false;
  std::string operation;
  std::string description;
  std::string fileName;
  Array args;
  std::uint32_t tries = 0;
  Symbol funcSym;
  std::uint32_t fileHandle = 0;
  std::uint32_t argNum = 0;
  Pointer funcPtr;
  std::string subCodeText;
  std::string arg;
  std::uint32_t argType = 0;
  std::uint32_t argTypeReq = 0;
  std::uint32_t maxSize = 0;
  std::uint32_t substituteType = 0;
  std::uint32_t choice = 0;
  Symbol callFuncSym;
  Value cargo;
  Value methodSelf;

  const char* what() const noexcept override { return description.c_str(); }

  // Hands the error to the request's one error handler: it unwinds to the
  // request's entry point, which writes the error report and ends the
  // request. Never returns.
  [[noreturn]] void throwError() const { throw *this; }
};

// The usual shape of a failure: which component, which generic kind, what was
// being done and what went wrong; the optional file and operating-system code
// say where and why.
Error makeError(std::string subSystem, GenCode gen, std::string operation,
                std::string description, std::string fileName = {},
                std::uint32_t osCode = 0);

// The description of a generic error code; "Unknown error" for an unknown one.
std::string errString(std::uint32_t genCode);

}  // namespace tavrix
