// Scores written for other programs (defect list, report, batch summary): the
// text reads back as the very same double and no shorter text would; a JSON
// document without floating numbers is written exactly as nlohmann writes it.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frontend/common/shortest_decimal.h"
#include "frontend/products/shortest_json.h"

namespace {

using sensor::frontend::ShortestDecimal;
using sensor::frontend::ShortestJson;
using Json = nlohmann::ordered_json;

std::uint64_t Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::vector<double> Values() {
  std::vector<double> values = {0.1,    1.0 / 3.0,  2.0 / 3.0, 5e-324, DBL_MIN,  DBL_MAX, -0.0,
                                0.0,    1e21,       1e-7,      123456789012345678.0, 9007199254740993.0,
                                12.345, 255.99999999999997, -87.5, 0.30000000000000004};
  std::mt19937_64 random(23);
  while (values.size() < 4000) {
    std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
    values.push_back(std::ldexp(static_cast<double>(random() % 100000), -static_cast<int>(random() % 20)));
  }
  return values;
}

// Whether some decimal of `digits` significant digits reads back as `value`.
bool FitsIn(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return Bits(std::strtod(text, nullptr)) == Bits(value);
}

int SignificantDigits(const std::string& text) {
  int digits = 0, trailingZeros = 0;
  bool leading = true;
  for (const char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
    trailingZeros = c == '0' ? trailingZeros + 1 : 0;
  }
  return std::max(1, digits - trailingZeros);
}

// The text is no longer than the scientific form of the fewest digits that
// read back; with a point or an exponent it has exactly those digits (a whole
// number may be written out when that is no longer).
TEST(ShortestDecimal, ReadsBackTheSameDoubleAndNoShorterTextWould) {
  for (const double value : Values()) {
    const std::string text = ShortestDecimal(value);
    ASSERT_EQ(Bits(std::strtod(text.c_str(), nullptr)), Bits(value)) << text;
    int fewest = 1;
    while (!FitsIn(value, fewest)) ++fewest;
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", fewest - 1, value);
    EXPECT_LE(text.size(), std::strlen(scientific)) << text << " against " << scientific;
    if (text.find_first_of(".e") != std::string::npos) {
      EXPECT_EQ(SignificantDigits(text), fewest) << text;
    }
  }
}

TEST(ShortestJson, FloatsReadBackAndEverythingElseIsNlohmannsText) {
  const Json plain = {{"text", "a\"b\\c\n\xff"}, {"n", -3}, {"u", 18446744073709551615ull},
                      {"on", true},             {"none", nullptr}, {"empty", Json::object()},
                      {"list", Json::array()},  {"nested", {{"x", {1, 2, {{"y", "z"}}}}}}};
  for (const int indent : {-1, 0, 2, 4}) {
    EXPECT_EQ(ShortestJson(plain, indent), plain.dump(indent, ' ', false, Json::error_handler_t::replace))
        << "indent " << indent;
  }
  Json numbers = Json::array();
  for (const double value : Values()) numbers.push_back(value);
  numbers.push_back(std::nan(""));
  const Json read = Json::parse(ShortestJson({{"scores", numbers}}, 2));
  ASSERT_EQ(read["scores"].size(), numbers.size());
  for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
    ASSERT_EQ(Bits(read["scores"][i].get<double>()), Bits(numbers[i].get<double>())) << i;
  }
  EXPECT_TRUE(read["scores"].back().is_null());
}

}  // namespace
