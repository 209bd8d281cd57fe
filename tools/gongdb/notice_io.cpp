#include "notice_io.h"

#include <cctype>
#include <cstdint>
#include <stdexcept>

namespace gongdb {

namespace {

[[noreturn]] void fault(std::size_t line, const std::string& what) {
  throw std::runtime_error("line " + std::to_string(line) + ": " + what);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A whole number >= 0 written in decimal digits only.
std::optional<long long> wholeNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 15) return std::nullopt;
  long long v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string jsonString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          static const char hex[] = "0123456789abcdef";
          out += "\\u00";
          out += hex[u >> 4];
          out += hex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string csvText(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// One value of a JSON object: a string, a whole number or null.
struct JsonValue {
  enum Kind { Null, String, Number } kind = Null;
  std::string text;
};

class JsonLineParser {
 public:
  JsonLineParser(std::string_view s, std::size_t line) : s_(s), line_(line) {}

  std::vector<std::pair<std::string, JsonValue>> object() {
    std::vector<std::pair<std::string, JsonValue>> members;
    expect('{');
    space();
    if (peek() == '}') {
      ++at_;
    } else {
      for (;;) {
        space();
        std::string key = string();
        expect(':');
        members.emplace_back(std::move(key), value());
        space();
        if (peek() == ',') {
          ++at_;
          continue;
        }
        expect('}');
        break;
      }
    }
    space();
    if (at_ != s_.size()) fault(line_, "unexpected text after the object");
    return members;
  }

 private:
  char peek() const { return at_ < s_.size() ? s_[at_] : '\0'; }
  void space() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r')) ++at_;
  }
  void expect(char c) {
    space();
    if (peek() != c) fault(line_, std::string("expected '") + c + "'");
    ++at_;
  }

  JsonValue value() {
    space();
    JsonValue v;
    const char c = peek();
    if (c == '"') {
      v.kind = JsonValue::String;
      v.text = string();
    } else if (s_.substr(at_, 4) == "null") {
      at_ += 4;
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      v.kind = JsonValue::Number;
      while (at_ < s_.size() && std::string_view("+-.eE0123456789").find(s_[at_]) != std::string_view::npos)
        v.text += s_[at_++];
    } else {
      fault(line_, "expected a string, a number or null");
    }
    return v;
  }

  std::uint32_t hex4() {
    if (at_ + 4 > s_.size()) fault(line_, "short \\u escape");
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[at_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<std::uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<std::uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<std::uint32_t>(c - 'A' + 10);
      else fault(line_, "bad \\u escape");
    }
    return v;
  }

  std::string string() {
    space();
    if (peek() != '"') fault(line_, "expected a string");
    ++at_;
    std::string out;
    for (;;) {
      if (at_ >= s_.size()) fault(line_, "unterminated string");
      const char c = s_[at_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) fault(line_, "control character inside a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= s_.size()) fault(line_, "unterminated string");
      const char e = s_[at_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          std::uint32_t cp = hex4();
          if (cp >= 0xD800 && cp < 0xDC00) {
            if (s_.substr(at_, 2) != "\\u") fault(line_, "lone surrogate in \\u escape");
            at_ += 2;
            const std::uint32_t low = hex4();
            if (low < 0xDC00 || low >= 0xE000) fault(line_, "lone surrogate in \\u escape");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            fault(line_, "lone surrogate in \\u escape");
          }
          appendUtf8(out, cp);
          break;
        }
        default: fault(line_, std::string("unknown escape \\") + e);
      }
    }
  }

  std::string_view s_;
  std::size_t line_;
  std::size_t at_ = 0;
};

// Fills one field of `n` from its column or key name; an unknown name is an
// error, so that a misspelt column is not silently dropped.
void setField(NoticeRecord& n, const std::string& name, const std::optional<std::string>& value,
              bool isNumber, std::size_t line) {
  const std::string key = lower(name);
  auto number = [&](const char* what) -> std::optional<long long> {
    if (!value || value->empty()) return std::nullopt;
    if (auto v = wholeNumber(*value)) return v;
    fault(line, std::string(what) + " is not a whole number >= 0: " + *value);
  };
  auto text = [&](const char* what) -> std::string {
    if (isNumber) fault(line, std::string(what) + " must be a text");
    return value.value_or(std::string());
  };
  if (key == "nyno") {
    n.nyno = number("nyno");
  } else if (key == "qty") {
    n.qty = number("qty");
  } else if (key == "nydate") {
    const std::string d = text("nydate");
    if (!d.empty()) n.date = d;
  } else if (key == "title") {
    n.title = text("title");
  } else if (key == "bigo") {
    n.body = text("bigo");
  } else {
    fault(line, "unknown field \"" + name + "\" (known: nyno, nydate, title, bigo, qty)");
  }
}

}  // namespace

Format formatOfFile(std::string_view path) {
  return path.size() >= 4 && lower(path.substr(path.size() - 4)) == ".csv" ? Format::Csv : Format::JsonLines;
}

Format parseFormat(std::string_view name) {
  const std::string n = lower(name);
  if (n == "jsonl" || n == "json") return Format::JsonLines;
  if (n == "csv") return Format::Csv;
  throw std::runtime_error("unknown format \"" + std::string(name) + "\" (jsonl or csv)");
}

std::string toJsonLine(const NoticeRecord& n) {
  std::string out = "{";
  out += "\"nyno\":" + (n.nyno ? std::to_string(*n.nyno) : std::string("null"));
  out += ",\"nydate\":" + (n.date ? jsonString(*n.date) : std::string("null"));
  out += ",\"title\":" + jsonString(n.title);
  out += ",\"bigo\":" + jsonString(n.body);
  out += ",\"qty\":" + (n.qty ? std::to_string(*n.qty) : std::string("null"));
  return out + "}\n";
}

std::string csvHeader() { return "nyno,nydate,title,bigo,qty\n"; }

std::string toCsvRow(const NoticeRecord& n) {
  return (n.nyno ? std::to_string(*n.nyno) : std::string()) + "," + (n.date ? csvText(*n.date) : std::string()) +
         "," + csvText(n.title) + "," + csvText(n.body) + "," + (n.qty ? std::to_string(*n.qty) : std::string()) +
         "\n";
}

std::vector<NoticeRecord> readJsonLines(std::string_view text) {
  std::vector<NoticeRecord> out;
  std::size_t line = 0;
  std::size_t pos = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < text.size()) {
    ++line;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view l = text.substr(pos, end - pos);
    pos = end + 1;
    if (l.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    NoticeRecord n;
    bool hasTitle = false;
    for (const auto& [key, v] : JsonLineParser(l, line).object()) {
      std::optional<std::string> value;
      if (v.kind != JsonValue::Null) value = v.text;
      setField(n, key, value, v.kind == JsonValue::Number, line);
      hasTitle = hasTitle || lower(key) == "title";
    }
    if (!hasTitle) fault(line, "no \"title\"");
    out.push_back(std::move(n));
  }
  return out;
}

std::vector<NoticeRecord> readCsv(std::string_view text) {
  // Split into rows of fields first (quoted fields may hold line breaks).
  struct Row {
    std::vector<std::string> fields;
    std::size_t line = 0;
  };
  std::vector<Row> rows;
  std::size_t line = 1;
  std::size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (at < text.size()) {
    Row row;
    row.line = line;
    for (;;) {
      std::string field;
      if (at < text.size() && text[at] == '"') {
        ++at;
        for (;;) {
          if (at >= text.size()) fault(row.line, "unterminated quoted field");
          const char c = text[at++];
          if (c == '"') {
            if (at < text.size() && text[at] == '"') {
              field += '"';
              ++at;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        if (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r')
          fault(line, "text after a closing quote");
      } else {
        while (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r') {
          if (text[at] == '"') fault(line, "quote inside an unquoted field");
          field += text[at++];
        }
      }
      row.fields.push_back(std::move(field));
      if (at < text.size() && text[at] == ',') {
        ++at;
        continue;
      }
      if (at < text.size() && text[at] == '\r') ++at;
      if (at < text.size() && text[at] == '\n') ++at;
      ++line;
      break;
    }
    if (row.fields.size() == 1 && row.fields[0].empty()) continue;  // blank line
    rows.push_back(std::move(row));
  }
  std::vector<NoticeRecord> out;
  if (rows.empty()) return out;
  const std::vector<std::string>& header = rows[0].fields;
  bool hasTitle = false;
  for (const auto& h : header) hasTitle = hasTitle || lower(h) == "title";
  if (!hasTitle) fault(rows[0].line, "the header names no \"title\" column");
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
    if (row.fields.size() != header.size())
      fault(row.line, std::to_string(row.fields.size()) + " fields where the header names " +
                          std::to_string(header.size()));
    NoticeRecord n;
    for (std::size_t i = 0; i < header.size(); ++i) setField(n, header[i], row.fields[i], false, row.line);
    out.push_back(std::move(n));
  }
  return out;
}

}  // namespace gongdb
