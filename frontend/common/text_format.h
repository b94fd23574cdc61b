// Small text helpers of the test programs: printf-style formatting into a
// string that is never cut, and ASCII case-insensitive comparisons.
#pragma once

#include <string>
#include <string_view>

namespace sensor::frontend {

// printf-style formatting; the result holds the whole formatted text.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

char LowerAscii(char c);
std::string LowerAscii(std::string_view text);

// Whether `text` begins with `prefix`, letters compared without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Whether `text` contains `part`, letters compared without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view part);

}  // namespace sensor::frontend
