#include "core/error.h"

namespace tavrix {

Error makeError(std::string subSystem, GenCode gen, std::string operation,
                std::string description, std::string fileName,
                std::uint32_t osCode) {
  Error e;
  e.subSystem = std::move(subSystem);
  e.genCode = static_cast<std::uint32_t>(gen);
  e.operation = std::move(operation);
  e.description = std::move(description);
  e.fileName = std::move(fileName);
  e.osCode = osCode;
  return e;
}

std::string errString(std::uint32_t genCode) {
  switch (static_cast<GenCode>(genCode)) {
    case GenCode::None: return "No error";
    case GenCode::Argument: return "Argument error";
    case GenCode::Bound: return "Bound error";
    case GenCode::Memory: return "Memory exhausted";
    case GenCode::Create: return "Create error";
    case GenCode::Open: return "Open error";
    case GenCode::Close: return "Close error";
    case GenCode::Read: return "Read error";
    case GenCode::Write: return "Write error";
    case GenCode::Corruption: return "Corruption detected";
    case GenCode::Lock: return "Lock error";
    case GenCode::Limit: return "Limit exceeded";
    case GenCode::DataWidth: return "Data width error";
    case GenCode::NoField: return "No such field";
    case GenCode::NoOrder: return "No such order";
    case GenCode::Internal: return "Internal error";
  }
  return "Unknown error";
}

}  // namespace tavrix
