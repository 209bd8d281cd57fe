// Plain C++ that compiles under clang (the fuzz targets) and g++ (the replay
// test). No non-ASCII literals: g++ turns narrow literals into EUC-KR and
// clang cannot, so raw bytes are written as escapes.
#include "entry_points.h"

#include <sys/mman.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "core/error.h"
#include "core/value.h"
#include "frontend/decode.h"
#include "store/db_server.h"
#include "store/gong_table.h"
#include "store/memo_file.h"
#include "store/table_check.h"

namespace tavrix::fuzz {

namespace {

const char* const kFiles[] = {"Gong.dbf", "Gong.dbt", "Gong1.ndx", "Gong2.ndx", "Gong3.ndx"};

[[noreturn]] void broken(const std::string& what) { throw PropertyBroken(what); }

void expect(bool ok, const std::string& what) {
  if (!ok) broken(what);
}

std::string readWhole(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot read " + path);
  std::string out;
  char buf[8192];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
  std::fclose(f);
  return out;
}

void writeWhole(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    std::fclose(f);
    throw std::runtime_error("cannot write " + path);
  }
  std::fclose(f);
}

// Runs `f`; false when it refused with the runtime error.
bool attempt(const std::function<void()>& f) {
  try {
    f();
    return true;
  } catch (const Error& e) {
    if (std::getenv("TAVRIX_FUZZ_VERBOSE")) std::fprintf(stderr, "refused: %s: %s\n", e.fileName.c_str(), e.description.c_str());
    return false;
  }
}

// ---- request decoding ----

// Serves the body from memory in pieces of at most `piece` bytes, never
// waiting.
class MemoryInput : public Input {
 public:
  MemoryInput(std::string_view bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}
  std::size_t read(char* buffer, std::size_t n) override {
    const std::size_t k = std::min({n, piece_, bytes_.size() - at_});
    std::memcpy(buffer, bytes_.data() + at_, k);
    at_ += k;
    return k;
  }
  std::size_t readIfReady(char* buffer, std::size_t n) override { return read(buffer, n); }

 private:
  std::string_view bytes_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

// Standard input for one request: the body in pieces from memory, or, for
// one mode in eight, read through FdInput from a file descriptor (a memory
// file holding the body), as the program reads it.
class Body {
 public:
  Body(std::string_view bytes, unsigned char mode) {
    const std::size_t piece = (mode >> 1) ? (mode >> 1) : bytes.size() + 1;
    if ((mode >> 1) % 8 != 7) {
      input_ = std::make_unique<MemoryInput>(bytes, piece);
      return;
    }
    fd_ = ::memfd_create("body", MFD_CLOEXEC);
    if (fd_ < 0 || ::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::lseek(fd_, 0, SEEK_SET) != 0)
      throw std::runtime_error("cannot make a memory file for the body");
    input_ = std::make_unique<FdInput>(fd_);
  }
  ~Body() {
    if (fd_ >= 0) ::close(fd_);
  }
  Body(const Body&) = delete;
  Body& operator=(const Body&) = delete;
  Input& input() { return *input_; }

 private:
  int fd_ = -1;
  std::unique_ptr<Input> input_;
};

const char* const kBoardParams[] = {"action", "page", "PAGE", "nyno", "job", "password", "pwd", "title", "bigo"};

std::string percentEncoded(std::string_view text) {
  static const char hex[] = "0123456789aBcDeF";
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out += '%';
    out += hex[u >> 4];
    out += hex[u & 15];
  }
  return out;
}

void checkParams(std::string_view raw, const ParamList& params) {
  expect(params.size() <= static_cast<std::size_t>(std::count(raw.begin(), raw.end(), '&')) + 1,
         "more parameters than pieces");
  for (const auto& [name, value] : params) {
    for (const std::string* s : {&name, &value}) {
      expect(s->find('\0') == std::string::npos, "a decoded text holds a NUL byte");
      expect(s->size() <= raw.size(), "a decoded text longer than the request");
      expect(unescape(percentEncoded(*s)) == *s, "unescape does not invert percent-encoding");
    }
  }
  for (const char* name : kBoardParams) {
    const std::string v = getParam(params, name);
    const bool present = std::any_of(params.begin(), params.end(), [&](const auto& p) { return p.second == v; });
    expect(v.empty() || present, "getParam returned a value no parameter has");
  }
}

// The value of the first "NAME=" line, as a C program's environment has it.
std::string environmentValue(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    const char* s = line.c_str();
    if (std::strncmp(s, name.c_str(), name.size()) == 0 && s[name.size()] == '=') return s + name.size() + 1;
  }
  return {};
}

void decodeRequest(unsigned char mode, std::string_view rest) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < rest.size()) {
    std::size_t nl = rest.find('\n', at);
    if (nl == std::string_view::npos) nl = rest.size();
    const std::string_view line = rest.substr(at, nl - at);
    at = std::min(rest.size(), nl + 1);
    if (line.empty()) break;
    lines.emplace_back(line);
  }
  const std::string_view body = rest.substr(at);
  std::vector<char*> envp;
  for (std::string& l : lines) envp.push_back(l.data());
  envp.push_back(nullptr);
  const Environment env(envp.data());

  const EnvList envList = fillEnv(env);
  expect(envList.size() == 26, "fillEnv did not capture 26 variables");
  for (const auto& [name, value] : envList)
    expect(value == environmentValue(lines, name), "variable " + name + " captured wrongly");

  const std::string method = environmentValue(lines, "REQUEST_METHOD");
  const long long length = leadingNumber(environmentValue(lines, "CONTENT_LENGTH"));
  Body in(body, mode);
  std::string raw;
  try {
    raw = rawRequestText(envList, in.input());
  } catch (const Error&) {
    expect(method != "GET" && length > kMaxBodyBytes, "body refused although within the limit");
    return;
  }
  if (method == "GET") {
    expect(raw == environmentValue(lines, "QUERY_STRING"), "GET did not take the query string");
  } else {
    expect(length <= kMaxBodyBytes, "body over the limit taken");
    const std::string_view want = length > 0 ? body.substr(0, static_cast<std::size_t>(length)) : body;
    expect(raw == want, "body not read exactly as announced");
  }
  const ParamList params = splitParams(raw);
  checkParams(raw, params);

  EnvList envList2;
  ParamList params2;
  Body again(body, mode);
  fillParam(env, again.input(), envList2, params2);
  expect(envList2 == envList && params2 == params, "fillParam differs from its parts");
}

// ---- the record server ----

std::string gong(const Workspace& ws) { return gongPath(ws.dir(), "Gong"); }

std::vector<std::string> indexNames(const Workspace& ws) {
  std::vector<std::string> out;
  for (const auto& i : kGongIndexes) out.push_back(gongPath(ws.dir(), i.file));
  return out;
}

void readCurrent(DbServer& db) {
  for (int i = 1; i <= db.fieldCount(); ++i) db.fieldGet(i);
  db.deleted();
  db.recNo();
}

// Moves through one order every way the pages do.
void walkOrder(const Workspace& ws, int order, std::string_view input) {
  DbServer db = gongDbOpen(ws.dir());
  db.setOrder(order);
  // Walks to either end, as the list pages do, reading every field; they
  // must end within the number of entries the index file can hold (a
  // damaged index may hold an entry twice), or the number of records.
  long bound = db.recordCount() + 2;
  if (order > 0) {
    struct stat st;
    const std::string ndx = gongPath(ws.dir(), kGongIndexes[order - 1].file) + std::string(".ndx");
    const long perBlock = (512 - 8) / 12;  // entries of the smallest size
    if (::stat(ndx.c_str(), &st) == 0) bound += static_cast<long>(st.st_size / 512) * perBlock;
  }
  long steps = 0;
  for (db.goTop(); !db.eof(); db.skip(1)) {
    expect(++steps <= bound, "a forward walk in order " + std::to_string(order) + " does not end");
    readCurrent(db);
  }
  steps = 0;
  for (db.goBottom(); !db.bof(); db.skip(-1)) {
    expect(++steps <= bound, "a backward walk in order " + std::to_string(order) + " does not end");
    readCurrent(db);
  }
  db.goTop();
  for (long n : {3L, -2L, 0L, 100000L, -1L, -100000L, 2L}) {
    db.skip(n);
    readCurrent(db);
  }
  if (order > 0) {
    std::vector<Value> keys;
    if (order == 1) {
      double d = 0;
      std::memcpy(&d, input.data(), std::min<std::size_t>(8, input.size()));
      keys = {Value(1), Value(20), Value(40), Value(0), Value(-1), Value(1e12), Value(d)};
    } else {
      keys = {Value(""), Value("2001"), Value("2001-05-17"), Value("notice 2"), Value("\xB0\xF8"),
              Value(std::string(input.substr(0, 12)))};
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
      db.seek(keys[i], i % 2 == 1);
      readCurrent(db);
      db.skip(1);
      readCurrent(db);
    }
  }
  db.close();
}

void walkAll(const Workspace& ws, std::string_view input) {
  for (int order = 0; order <= 3; ++order) attempt([&] { walkOrder(ws, order, input); });
}

std::vector<std::string> verify(const Workspace& ws) {
  std::vector<std::string> problems;
  attempt([&] { problems = verifyTable(gong(ws), indexNames(ws)); });
  return problems;
}

// What the board does when it saves and deletes a notice.
void addAndDelete(const Workspace& ws, std::string_view memoText) {
  attempt([&] {
    DbServer db = gongDbOpen(ws.dir());
    {
      TableLock lock = db.lock();
      db.goBottom();
      const double next = db.eof() ? 1 : db.fieldGet("NYNO").number() + 1;
      db.append();
      db.fieldPut("NYNO", Value(next < 1e9 && next > 0 ? next : 1.0));
      db.fieldPut("NYDATE", Value("2026-12-11"));
      db.fieldPut("TITLE", Value("fuzz"));
      db.fieldPut("BIGO", Value(std::string(memoText)));
      db.fieldPut("QTY", Value(0));
      lock.release();
    }
    db.commit();
    const long added = db.recNo();
    std::string back = db.fieldGet("BIGO").text();
    std::string want(memoText);
    want.erase(std::remove(want.begin(), want.end(), '\x1A'), want.end());
    expect(back == want, "a memo just written reads back differently");
    db.seek(Value(1));
    db.skip(1);
    db.deleteRecord();
    db.commit();
    db.setOrder(0);
    db.goTop();
    db.skip(static_cast<long>(added));
    db.close();
  });
}

// The field each Gong order is keyed on, and whether the table gives it the
// type the board expects (a damaged header may make NYDATE a number): only
// then are keys compared here, as numbers (order 1) or bytes.
const char* const kKeyField[] = {"", "NYNO", "NYDATE", "TITLE"};

bool keyTypeAsDesigned(const DbServer& db, int order) {
  for (int i = 1; i <= db.fieldCount(); ++i) {
    const FieldInfo f = db.dataField(i);
    if (strcasecmp(f.name.c_str(), kKeyField[order]) == 0)
      return order == 1 ? (f.type == 'N' || f.type == 'F') : f.type == 'C';
  }
  return false;
}

// After a rebuild that succeeded, the indexes are sound: the verifier finds
// nothing wrong with them, and each order shows every visible record once,
// in key order.
void checkRebuilt(const Workspace& ws) {
  for (const std::string& p : verify(ws))
    for (const std::string& index : indexNames(ws))
      expect(p.rfind(index + ".ndx: ", 0) != 0, "index problem after a rebuild: " + p);
  std::set<long> visible;
  bool readable = attempt([&] {
    DbServer db = gongDbOpen(ws.dir());
    db.setOrder(0);
    const long count = db.recordCount();
    for (db.goTop(); !db.eof(); db.skip(1)) {
      expect(static_cast<long>(visible.size()) < count, "record order walks past the table");
      visible.insert(db.recNo());
    }
    db.close();
  });
  if (!readable) return;  // a table the walk refuses; its indexes were checked above
  for (int order = 1; order <= 3; ++order) {
    std::set<long> seen;
    std::string lastText;
    double lastNumber = 0;
    const bool walked = attempt([&] {
      DbServer db = gongDbOpen(ws.dir());
      db.setOrder(order);
      const bool compare = keyTypeAsDesigned(db, order);
      for (db.goTop(); !db.eof(); db.skip(1)) {
        expect(seen.insert(db.recNo()).second, "order " + std::to_string(order) + " shows a record twice");
        if (!compare) continue;
        if (order == 1) {
          const double n = db.fieldGet(kKeyField[1]).number();
          expect(seen.size() == 1 || !(n < lastNumber), "order 1 out of key order");
          lastNumber = n;
        } else {
          const std::string k = db.fieldGet(kKeyField[order]).text().substr(0, 100);
          expect(seen.size() == 1 || !(k < lastText), "order " + std::to_string(order) + " out of key order");
          lastText = k;
        }
      }
      db.close();
    });
    expect(walked, "order " + std::to_string(order) + " refused after a rebuild");
    expect(seen == visible, "order " + std::to_string(order) + " does not show the visible records");
  }
}

void storeInput(const Workspace& ws, const std::map<std::string, std::string_view>& files, std::string_view input,
                bool rebuildMustWork) {
  ws.write(files);
  // Deleted records hidden, as the board runs, or shown (a process-wide
  // switch), chosen by the input's last byte.
  setHideDeleted(input.empty() || static_cast<unsigned char>(input.back()) % 4 != 0);
  walkAll(ws, input);
  verify(ws);
  addAndDelete(ws, input.substr(0, 700));
  const bool rebuilt = attempt([&] { reindexGongTable(ws.dir()); });
  expect(rebuilt || !rebuildMustWork, "the indexes of a sound table could not be rebuilt");
  if (rebuilt) checkRebuilt(ws);
  setHideDeleted(true);
}

}  // namespace

Workspace::Workspace(const std::string& baselineDir, const std::string& scratchDir) : scratch_(scratchDir) {
  for (const char* f : kFiles) files_[f] = readWhole(baselineDir + "/" + f);
}

const std::string& Workspace::baseline(const std::string& file) const { return files_.at(file); }

void Workspace::write(const std::map<std::string, std::string_view>& replaced) const {
  for (const auto& [name, bytes] : files_) {
    auto it = replaced.find(name);
    writeWhole(scratch_ + "/" + name, it != replaced.end() ? it->second : std::string_view(bytes));
  }
}

void decodeInput(std::string_view input) {
  if (input.empty()) return;
  const auto mode = static_cast<unsigned char>(input[0]);
  const std::string_view rest = input.substr(1);
  if (mode % 2 == 0) {
    const ParamList params = splitParams(rest);
    checkParams(rest, params);
    return;
  }
  decodeRequest(mode, rest);
}

void tableInput(std::string_view input, const Workspace& ws) {
  std::map<std::string, std::string_view> files;
  const std::size_t sep = input.find(kNextFile);
  files["Gong.dbf"] = input.substr(0, sep);
  if (sep != std::string_view::npos) files["Gong.dbt"] = input.substr(sep + kNextFile.size());
  storeInput(ws, files, input, false);
}

void memoInput(std::string_view input, const Workspace& ws) {
  // A memo file too damaged to open keeps the table from opening at all,
  // for a rebuild too; the rebuild is not required to work here.
  storeInput(ws, {{"Gong.dbt", input}}, input, false);
  // The memo reader on its own, at blocks a damaged table could name.
  attempt([&] {
    store::MemoFile memo(gongPath(ws.dir(), "Gong.dbt"));
    const std::uint32_t next = memo.nextFree();
    for (std::uint32_t block : {1u, 2u, next - 1, next, next + 1, 0xFFFFFFFFu, 0x800000u})
      attempt([&] { memo.read(block); });
  });
}

void indexInput(std::string_view input, const Workspace& ws) {
  if (input.empty()) return;
  const std::string file = "Gong" + std::to_string(static_cast<unsigned char>(input[0]) % 3 + 1) + ".ndx";
  storeInput(ws, {{file, input.substr(1)}}, input.substr(1), true);
}

void runInput(const std::string& target, std::string_view input, const Workspace& ws) {
  if (target == "decode") decodeInput(input);
  else if (target == "table") tableInput(input, ws);
  else if (target == "memo") memoInput(input, ws);
  else if (target == "index") indexInput(input, ws);
  else throw std::invalid_argument("no fuzz target named " + target);
}

}  // namespace tavrix::fuzz
