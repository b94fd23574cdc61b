// A JSON document with every floating number written as the shortest decimal
// that reads back as the same double (shortest_decimal.h).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace sensor::frontend {

// The document as nlohmann's dump(indent) writes it, byte for byte (texts
// that are not UTF-8 written with U+FFFD), except that every finite floating
// number is its ShortestDecimal (a whole number without ".0", but -0.0 as
// such, as a JSON reader takes "-0" for the integer 0); one that is not
// finite is null, as there.
std::string ShortestJson(const nlohmann::ordered_json& document, int indent = -1);

}  // namespace sensor::frontend
