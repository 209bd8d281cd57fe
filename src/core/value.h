// Value: the dynamically typed value that request parameters, field values and
// method arguments travel in. A value is nothing, a logical, a number, a date,
// a text (bytes, EUC-KR on the board), an array (shared, so a routine that is
// handed an array changes the caller's), a symbol or a pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/date.h"

namespace tavrix {

// Type codes, as the error object carries them in ARGTYPE and its kin.
enum class Type : std::uint32_t {
  Nil = 0,
  Logical = 1,
  Number = 2,
  Date = 3,
  Text = 4,
  Array = 5,
  Symbol = 6,
  Pointer = 7,
};

class Value;
using Array = std::vector<Value>;

struct Symbol {
  std::string name;
};

struct Pointer {
  std::uintptr_t address = 0;
};

class Value {
 public:
  Value() = default;
  Value(bool b) : v_(b) {}
  Value(int n) : v_(static_cast<double>(n)) {}
  Value(unsigned n) : v_(static_cast<double>(n)) {}
  Value(long n) : v_(static_cast<double>(n)) {}
  Value(long long n) : v_(static_cast<double>(n)) {}
  Value(unsigned long n) : v_(static_cast<double>(n)) {}
  Value(double n) : v_(n) {}
  Value(Date d) : v_(d) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(Array a) : v_(std::make_shared<Array>(std::move(a))) {}
  Value(Symbol s) : v_(std::move(s)) {}
  Value(Pointer p) : v_(p) {}

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isNil() const { return type() == Type::Nil; }
  bool isText() const { return type() == Type::Text; }
  bool isNumber() const { return type() == Type::Number; }
  bool isArray() const { return type() == Type::Array; }

  // Accessors for a value known to be of that type; a wrong type is a program
  // error and throws the runtime error of the argument kind.
  bool logical() const;
  double number() const;
  const Date& date() const;
  const std::string& text() const;
  Array& array() const;
  const Symbol& symbol() const;
  Pointer pointer() const;

 private:
  std::variant<std::monostate, bool, double, Date, std::string,
               std::shared_ptr<Array>, Symbol, Pointer>
      v_;
};

// Any value as text: texts unchanged, whole numbers in decimal without a
// fraction, other numbers with up to 15 significant digits, logicals as
// "TRUE"/"FALSE", dates in the process date format, symbols by name, pointers
// in hexadecimal, nothing as "NIL", arrays as "{...}" of their elements.
std::string asString(const Value& v);

// The name of a type code ("Nil", "Logical", "Number", ...); "Unknown" for a
// code no value has.
std::string typeString(std::uint32_t typeCode);

// Leading decimal digits of a text, after leading blanks, with an optional
// sign: "12ab" gives 12, "ab" gives 0. Never fails; saturates at the limits.
long long leadingNumber(std::string_view text);

}  // namespace tavrix
