#include "frontend/error_page.h"

#include <string>

namespace tavrix {

namespace {

void line(Output& out, const char* label, const std::string& value) {
  stdOut(out, std::string(label) + value + "</p>");
}

std::string text(std::uint32_t n) { return asString(Value(n)); }
std::string text(bool b) { return asString(Value(b)); }
std::string text(const Symbol& s) { return asString(Value(s)); }
std::string text(Pointer p) { return asString(Value(p)); }

}  // namespace

void htmlError(Output& out, const Error& e) {
  stdOut(out, "<p>An Error occured!</p>");
  stdOut(out, "<p>--------------------</p>");
  line(out, "<p>SubSystem       :", e.subSystem);
  line(out, "<p>SubCode         :", text(e.subCode));
  line(out, "<p>GenCode         :", errString(e.genCode));
  line(out, "<p>OsCode          :", text(e.osCode));
  line(out, "<p>Severity        :", text(e.severity));
  line(out, "<p>CanDefault      :", text(e.canDefault));
  line(out, "<p>CanRetry        :", text(e.canRetry));
  line(out, "<p>CanSubstitute   :", text(e.canSubstitute));
  line(out, "<p>Operation       :", e.operation);
  line(out, "<p>Description     :", e.description);
  line(out, "<p>FileName        :", e.fileName);
  line(out, "<p>Tries           :", text(e.tries));
  line(out, "<p>FuncSym         :", text(e.funcSym));
  line(out, "<p>FileHandle      :", text(e.fileHandle));
  line(out, "<p>ArgNum          :", text(e.argNum));
  line(out, "<p>FuncPtr         :", text(e.funcPtr));
  line(out, "<p>SubCodeText     :", e.subCodeText);
  line(out, "<p>Arg             :", e.arg);
  line(out, "<p>ArgType         :", typeString(e.argType));
  line(out, "<p>ArgTypeReq      :", typeString(e.argTypeReq));
  line(out, "<p>MaxSize         :", text(e.maxSize));
  line(out, "<p>SubstituteType  :", typeString(e.substituteType));
  line(out, "<p>CallFuncSym     :", text(e.callFuncSym));
  stdOut(out, "<p>--------------------</p>");
}

}  // namespace tavrix
