#include "frontend/sensorbatch/earlier_summary.h"

#include <map>
#include <nlohmann/json.hpp>
#include <tuple>

namespace sensor::batch {

std::vector<std::optional<EarlierLine>> ReadEarlierSummary(std::istream& summary,
                                                           const std::vector<JobKey>& jobs) {
  using Key = std::tuple<int, std::string, std::string>;
  std::map<Key, std::size_t> index;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    index.emplace(Key{jobs[i].Line, jobs[i].Program, jobs[i].Picture}, i);
  }
  std::vector<std::optional<EarlierLine>> found(jobs.size());
  std::string text;
  while (std::getline(summary, text)) {
    const nlohmann::json line = nlohmann::json::parse(text, nullptr, false);
    if (!line.is_object()) continue;
    const auto number = line.find("line");
    const auto program = line.find("program");
    const auto picture = line.find("picture");
    const auto exit = line.find("exit");
    if (number == line.end() || !number->is_number_integer() || program == line.end() ||
        !program->is_string() || picture == line.end() ||
        !(picture->is_string() || picture->is_null()) || exit == line.end() ||
        !exit->is_number_integer()) {
      continue;
    }
    const auto exitCode = exit->get<std::int64_t>();
    const auto lineNumber = number->get<std::int64_t>();
    if ((exitCode != 0 && exitCode != 1) || lineNumber < 1 || lineNumber > INT32_MAX) continue;
    const auto job = index.find(Key{static_cast<int>(lineNumber), program->get<std::string>(),
                                    picture->is_null() ? std::string() : picture->get<std::string>()});
    if (job == index.end()) continue;
    found[job->second] = EarlierLine{text, static_cast<int>(exitCode)};
  }
  return found;
}

}  // namespace sensor::batch
