#include "core/value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/error.h"

namespace tavrix {

namespace {

[[noreturn]] void wrongType(Type want, Type have) {
  Error e = makeError("VALUE", GenCode::Argument, "value access",
                      "value is " + typeString(static_cast<std::uint32_t>(have)) +
                          ", " + typeString(static_cast<std::uint32_t>(want)) +
                          " expected");
  e.argType = static_cast<std::uint32_t>(have);
  e.argTypeReq = static_cast<std::uint32_t>(want);
  throw e;
}

std::string numberText(double n) {
  char buf[64];
  if (std::isfinite(n) && n == std::trunc(n) && std::fabs(n) < 1e18) {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n));
  } else {
    std::snprintf(buf, sizeof buf, "%.15g", n);
  }
  return buf;
}

}  // namespace

bool Value::logical() const {
  if (auto p = std::get_if<bool>(&v_)) return *p;
  wrongType(Type::Logical, type());
}

double Value::number() const {
  if (auto p = std::get_if<double>(&v_)) return *p;
  wrongType(Type::Number, type());
}

const Date& Value::date() const {
  if (auto p = std::get_if<Date>(&v_)) return *p;
  wrongType(Type::Date, type());
}

const std::string& Value::text() const {
  if (auto p = std::get_if<std::string>(&v_)) return *p;
  wrongType(Type::Text, type());
}

Array& Value::array() const {
  if (auto p = std::get_if<std::shared_ptr<Array>>(&v_)) return **p;
  wrongType(Type::Array, type());
}

const Symbol& Value::symbol() const {
  if (auto p = std::get_if<Symbol>(&v_)) return *p;
  wrongType(Type::Symbol, type());
}

Pointer Value::pointer() const {
  if (auto p = std::get_if<Pointer>(&v_)) return *p;
  wrongType(Type::Pointer, type());
}

std::string asString(const Value& v) {
  switch (v.type()) {
    case Type::Nil: return "NIL";
    case Type::Logical: return v.logical() ? "TRUE" : "FALSE";
    case Type::Number: return numberText(v.number());
    case Type::Date: return formatDate(v.date());
    case Type::Text: return v.text();
    case Type::Array: {
      std::string s = "{";
      bool first = true;
      for (const Value& e : v.array()) {
        if (!first) s += ", ";
        s += asString(e);
        first = false;
      }
      return s + "}";
    }
    case Type::Symbol: return v.symbol().name;
    case Type::Pointer: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "0x%016llX",
                    static_cast<unsigned long long>(v.pointer().address));
      return buf;
    }
  }
  return "";
}

std::string typeString(std::uint32_t typeCode) {
  switch (static_cast<Type>(typeCode)) {
    case Type::Nil: return "Nil";
    case Type::Logical: return "Logical";
    case Type::Number: return "Number";
    case Type::Date: return "Date";
    case Type::Text: return "String";
    case Type::Array: return "Array";
    case Type::Symbol: return "Symbol";
    case Type::Pointer: return "Pointer";
  }
  return "Unknown";
}

long long leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr long long limit = std::numeric_limits<long long>::max();
  long long n = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const int d = text[i] - '0';
    if (n > (limit - d) / 10) {
      n = limit;
      continue;
    }
    n = n * 10 + d;
  }
  return negative ? -n : n;
}

}  // namespace tavrix
