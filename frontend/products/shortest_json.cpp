#include "frontend/products/shortest_json.h"

#include <cmath>

#include "frontend/common/shortest_decimal.h"

namespace sensor::frontend {
namespace {

using Json = nlohmann::ordered_json;

std::string Text(const Json& scalar) { return scalar.dump(-1, ' ', false, Json::error_handler_t::replace); }

void Append(const Json& value, int indent, int depth, std::string& out) {
  const bool pretty = indent >= 0;
  const auto open = [&](char bracket) {
    out += bracket;
    if (pretty) out += '\n';
  };
  const auto item = [&](bool first, int level) {
    if (!first) out += pretty ? ",\n" : ",";
    if (pretty) out.append(static_cast<std::size_t>(indent) * static_cast<std::size_t>(level), ' ');
  };
  const auto close = [&](char bracket) {
    if (pretty) {
      out += '\n';
      out.append(static_cast<std::size_t>(indent) * static_cast<std::size_t>(depth), ' ');
    }
    out += bracket;
  };
  switch (value.type()) {
    case Json::value_t::object: {
      if (value.empty()) {
        out += "{}";
        return;
      }
      open('{');
      bool first = true;
      for (const auto& [key, member] : value.items()) {
        item(first, depth + 1);
        first = false;
        out += Text(Json(key));
        out += pretty ? ": " : ":";
        Append(member, indent, depth + 1, out);
      }
      close('}');
      return;
    }
    case Json::value_t::array: {
      if (value.empty()) {
        out += "[]";
        return;
      }
      open('[');
      bool first = true;
      for (const Json& element : value) {
        item(first, depth + 1);
        first = false;
        Append(element, indent, depth + 1, out);
      }
      close(']');
      return;
    }
    case Json::value_t::number_float: {
      const double number = value.get<double>();
      // "-0" would read back as the integer 0, without its sign.
      if (number == 0 && std::signbit(number)) {
        out += "-0.0";
      } else {
        out += std::isfinite(number) ? ShortestDecimal(number) : std::string("null");
      }
      return;
    }
    default:
      out += Text(value);
  }
}

}  // namespace

std::string ShortestJson(const nlohmann::ordered_json& document, int indent) {
  std::string out;
  Append(document, indent, 0, out);
  return out;
}

}  // namespace sensor::frontend
