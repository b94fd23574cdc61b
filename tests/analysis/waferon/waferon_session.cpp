#include "waferon_session.h"

#include <fstream>
#include <sstream>

namespace sensor::waferon::test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace sensor::waferon::test
