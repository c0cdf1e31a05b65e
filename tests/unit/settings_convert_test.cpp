// Numeric conversions of stored texts: the forms read and the boundaries.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "settings/convert.h"

namespace tavo {
namespace {

using namespace std::string_literals;

// The error number a conversion raises, 0 when it succeeds.
int errorOf(const std::function<void()>& convert) {
  try { convert(); } catch (const Error& e) { return e.number; }
  return 0;
}

TEST(ToNumber, AcceptedForms) {
  const std::pair<std::u16string, double> cases[] = {
      {u"0", 0}, {u"+5", 5}, {u"-5", -5}, {u"1.", 1}, {u".5", 0.5}, {u"-.5", -0.5}, {u"1e3", 1000}, {u"1E+3", 1000},
      {u"1e-3", 0.001}, {u"1d2", 100}, {u"1D-1", 0.1}, {u"1.e2", 100}, {u".5e1", 5}, {u"007", 7}, {u"  12  ", 12},
      {u" \t 1.5 \t ", 1.5}, {u"1e-400", 0}, {u"0e999999999999", 0}, {u"&H10", 16}, {u"&hff", 255}, {u"&HFFFF", -1},
      {u"1.7976931348623157e308", 1.7976931348623157e308}, {u"&H8000", -32768}, {u"&H7FFF", 32767},
      {u"&H10000", 65536}, {u"&HFFFFFFFF", -1}, {u"&H80000000", -2147483648.0}, {u"&H0000FFFF", -1},
      {u"&H000000000010", 16}, {u" &H10 ", 16}, {u"&o17", 15}, {u"&O177777", -1}, {u"&O200000", 65536},
      {u"&O37777777777", -1},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(toNumber(text), value) << utf8(text);
    EXPECT_TRUE(isNumeric(text)) << utf8(text);
  }
  EXPECT_FALSE(std::signbit(toNumber(u"-0")));
}

TEST(ToNumber, RejectedFormsAreTypeMismatchAndOutOfRangeOverflows) {
  const auto expectRejected = [](const std::u16string& text, int number) {
    EXPECT_EQ(errorOf([&] { toNumber(text); }), number) << utf8(text);
    EXPECT_FALSE(isNumeric(text)) << utf8(text);
  };
  for (const auto& text : {u""s, u" "s, u"-"s, u"."s, u"-."s, u"e5"s, u"1e"s, u"1e+"s, u"1.2.3"s, u"12abc"s, u"1 2"s,
                           u"- 5"s, u"5-"s, u"++5"s, u"(5)"s, u"1,000"s, u"$5"s, u"0x10"s, u"1f"s, u"1e5.5"s, u"&"s,
                           u"&H"s, u"&O"s, u"&H1G"s, u"&O8"s, u"&X10"s, u"-&H10"s, u"& H10"s, u"&H 10"s, u"1e400x"s,
                           u"&HFFFFFFFFFZ"s,  // a stray character wins over the size
                           // Neither blanks nor digits:
                           u"１２"s, u"12\u3000"s, u"1\r\n"s, u"1\0"s, u"\0"s, u"\xD800"s, u"1\xDC00"s,
                           u"\xD83D\xDE00"s, u"\uFEFF1"s})
    expectRejected(text, err::kTypeMismatch);
  for (const auto* text : {u"1e400", u"-1e400", u"1.7976931348623159e308", u"1e999999999999999999999",
                           u"0.000000001e318", u"&H100000000", u"&O40000000000"})
    expectRejected(text, err::kOverflow);
}

constexpr long long kOver = std::numeric_limits<long long>::min();

TEST(ToWhole, RoundsHalfToEvenThenChecksTheRange) {
  const struct {
    std::u16string text;
    long long expected[3];  // Byte, Integer, Long; kOver marks an overflow
  } cases[] = {
      {u"2.5", {2, 2, 2}}, {u"3.5", {4, 4, 4}}, {u"2.5000001", {3, 3, 3}}, {u"-0.5", {0, 0, 0}},
      {u"-0.6", {kOver, -1, -1}}, {u"-2.5", {kOver, -2, -2}}, {u"255.4", {255, 255, 255}}, {u"&HFFFF", {kOver, -1, -1}},
      {u"255.5", {kOver, 256, 256}}, {u"32767.5", {kOver, kOver, 32768}}, {u"-32768.5", {kOver, -32768, -32768}},
      {u"-32768.6", {kOver, kOver, -32769}}, {u"2147483647.5", {kOver, kOver, kOver}},
      {u"-2147483648.5", {kOver, kOver, -2147483648LL}}, {u"-2147483649", {kOver, kOver, kOver}},
  };
  for (const auto& c : cases)
    for (int k = 0; k < 3; ++k) {
      long long got = kOver;
      const int error = errorOf([&] { got = k == 0 ? toByte(c.text) : k == 1 ? toInteger(c.text) : toLong(c.text); });
      EXPECT_EQ(error, c.expected[k] == kOver ? err::kOverflow : 0) << utf8(c.text) << " class " << k;
      EXPECT_EQ(got, c.expected[k]) << utf8(c.text) << " class " << k;
    }
}

}  // namespace
}  // namespace tavo
