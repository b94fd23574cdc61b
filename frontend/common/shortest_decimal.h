// Numbers for files that programs read back: the shortest decimal text that
// reads back as the same double.
#pragma once

#include <string>

namespace sensor::frontend {

// The shortest decimal that reads back (strtod, from_chars) as `value`
// itself; "nan", "inf" and "-inf" for values without one.
std::string ShortestDecimal(double value);

}  // namespace sensor::frontend
