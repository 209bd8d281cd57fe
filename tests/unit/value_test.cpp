// Conversions of dynamic values to text and of request text to numbers.
#include <gtest/gtest.h>

#include "core/error.h"
#include "core/value.h"

namespace tavrix {
namespace {

TEST(AsString, ConvertsEveryKind) {
  setDateFormat({DateOrder::YearMonthDay, '-'});
  const std::pair<Value, std::string> cases[] = {
      {Value(), "NIL"},
      {Value(true), "TRUE"},
      {Value(false), "FALSE"},
      {Value(42), "42"},
      {Value(-7), "-7"},
      {Value(65536.0), "65536"},
      {Value(2.5), "2.5"},
      {Value(Date{2001, 5, 17}), "2001-05-17"},
      {Value("as is "), "as is "},
      {Value(Array{Value(1), Value("a")}), "{1, a}"},
      {Value(Symbol{"GONGLIST2"}), "GONGLIST2"},
      {Value(Pointer{0xABC}), "0x0000000000000ABC"},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(asString(v), text);
  setDateFormat({});
}

TEST(TypeString, NamesEveryTypeCode) {
  EXPECT_EQ(typeString(static_cast<std::uint32_t>(Type::Text)), "String");
  EXPECT_EQ(typeString(static_cast<std::uint32_t>(Type::Number)), "Number");
  EXPECT_EQ(typeString(999), "Unknown");
}

TEST(ErrString, DescribesKnownAndUnknownCodes) {
  EXPECT_EQ(errString(static_cast<std::uint32_t>(GenCode::Open)), "Open error");
  EXPECT_EQ(errString(12345), "Unknown error");
}

TEST(LeadingNumber, ReadsLeadingDigitsOnly) {
  const std::pair<const char*, long long> cases[] = {
      {"12", 12}, {"12ab", 12}, {"ab", 0}, {"", 0}, {"   7", 7}, {"-3", -3},
      {"+4", 4},  {"1.9", 1},   {"99999999999999999999999", 9223372036854775807LL}};
  for (auto [text, n] : cases) EXPECT_EQ(leadingNumber(text), n) << text;
}

TEST(Value, AWrongTypeAccessIsARuntimeError) {
  try {
    (void)Value("x").number();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.argType, static_cast<std::uint32_t>(Type::Text));
    EXPECT_EQ(e.argTypeReq, static_cast<std::uint32_t>(Type::Number));
  }
}

}  // namespace
}  // namespace tavrix
