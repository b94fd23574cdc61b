// The reader of an earlier batch summary (-Resume) on any bytes: every line it
// takes is one of the input's lines, a JSON object naming its job (line,
// program, picture) with an exit of 0 or 1 that it reports; nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "frontend/sensorbatch/earlier_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sensor::batch;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<JobKey> jobs = {{1, "Waferonrun", ""},
                                    {2, "Glazetrun", "/pictures/a.bmp"},
                                    {3, "Ostrelrun", "/pictures/a.bmp"},
                                    {7, "Waferonrun", "b c.bmp"}};
  std::istringstream in(bytes);
  const auto found = ReadEarlierSummary(in, jobs);
  if (found.size() != jobs.size()) std::abort();
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (!found[i]) continue;
    if (found[i]->Text.find('\n') != std::string::npos ||
        ("\n" + bytes + "\n").find("\n" + found[i]->Text + "\n") == std::string::npos) {
      std::abort();
    }
    const nlohmann::json line = nlohmann::json::parse(found[i]->Text, nullptr, false);
    if (!line.is_object() || line.value("line", -1) != jobs[i].Line ||
        line.value("program", std::string()) != jobs[i].Program ||
        line.value("exit", -1) != found[i]->Exit || (found[i]->Exit != 0 && found[i]->Exit != 1)) {
      std::abort();
    }
    const auto picture = line.find("picture");
    if (picture == line.end() ||
        (jobs[i].Picture.empty() ? !picture->is_null() : *picture != jobs[i].Picture)) {
      std::abort();
    }
  }
  return 0;
}
