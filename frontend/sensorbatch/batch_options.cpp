#include "frontend/sensorbatch/batch_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string_view>

#include "frontend/station/command_line.h"

namespace sensor::batch {
namespace {

std::optional<long> WholeNumber(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

}  // namespace

const char* const kBatchUsage =
    "Usage: sensorbatch -Jobs FILE [-Workers N] [-Shard I/N] [-Summary FILE.jsonl]"
    " [-JobTimeout SEC] [-ReportPage FILE.html] [-Resume]\n";

BatchOptions ParseBatchOptions(int argc, char** argv) {
  BatchOptions options;
  const std::vector<std::pair<std::string, void (*)(BatchOptions&, const char*)>> table = {
      {"Jobs", [](BatchOptions& o, const char* v) { o.Jobs = v; }},
      {"Workers",
       [](BatchOptions& o, const char* v) {
         const auto n = WholeNumber(v);
         if (n && *n >= 1 && *n <= 4096) {
           o.Workers = static_cast<int>(*n);
         } else {
           o.Problems.push_back("-Workers wants a whole number from 1 to 4096, not \"" +
                                std::string(v) + "\"");
         }
       }},
      {"Shard",
       [](BatchOptions& o, const char* v) {
         int index = 0, count = 0, used = 0;
         if (std::sscanf(v, "%d/%d%n", &index, &count, &used) == 2 && v[used] == '\0' &&
             count >= 1 && index >= 1 && index <= count) {
           o.ShardIndex = index;
           o.ShardCount = count;
         } else {
           o.Problems.push_back("-Shard wants I/N with 1 <= I <= N, not \"" + std::string(v) +
                                "\"");
         }
       }},
      {"Summary", [](BatchOptions& o, const char* v) { o.Summary = v; }},
      {"JobTimeout",
       [](BatchOptions& o, const char* v) {
         char* end = nullptr;
         const double seconds = std::strtod(v, &end);
         if (end != v && *end == '\0' && std::isfinite(seconds) && seconds > 0) {
           o.JobTimeoutSeconds = seconds;
         } else {
           o.Problems.push_back("-JobTimeout wants a number of seconds above 0, not \"" +
                                std::string(v) + "\"");
         }
       }},
      {"ReportPage", [](BatchOptions& o, const char* v) { o.ReportPage = v; }},
      {"Resume", [](BatchOptions& o, const char*) { o.Resume = true; }},
  };
  frontend::OptionTable names;
  for (const auto& entry : table) {
    names.push_back(frontend::OptionSpec{entry.first, entry.first != "Resume", nullptr});
  }
  for (const auto& entry : table) options.Names.push_back(entry.first);
  options.Information = frontend::FindInformationRequest(argc, argv);
  if (options.Information) return options;

  for (int i = 1; i < argc; ++i) {
    const int match = frontend::MatchOption(argv[i], names);
    if (match < 0) {
      std::string problem = "unknown argument \"" + std::string(argv[i]) + "\"";
      std::string_view word(argv[i]);
      word.remove_prefix(std::min(word.find_first_not_of('-'), word.size()));
      if (const auto nearest = frontend::NearestName(word, options.Names)) {
        problem.append("; did you mean -").append(*nearest).append("?");
      }
      options.Problems.push_back(problem);
      continue;
    }
    const auto& [name, apply] = table[static_cast<std::size_t>(match)];
    if (!names[static_cast<std::size_t>(match)].TakesValue) {
      apply(options, nullptr);
      continue;
    }
    // A value does not begin with '-', but "-" alone is one: standard input.
    if (i + 1 >= argc || (argv[i + 1][0] == '-' && argv[i + 1][1] != '\0')) {
      options.Problems.push_back("-" + name + " wants a value");
      continue;
    }
    apply(options, argv[++i]);
  }
  if (!options.Jobs) options.Problems.push_back("no job file (-Jobs FILE, or -Jobs - for standard input)");
  if (options.Resume && !options.Summary) {
    options.Problems.push_back("-Resume continues the run of a summary: give it with -Summary FILE.jsonl");
  }
  return options;
}

std::string FormatBatchHelp(const BatchOptions& parsed) {
  const BatchOptions start;
  const auto startValue = [&start](const std::string& name) -> std::string {
    if (name == "Workers") return start.Workers ? std::to_string(*start.Workers) : "as the usable processors allow";
    if (name == "Shard") return std::to_string(start.ShardIndex) + "/" + std::to_string(start.ShardCount);
    if (name == "JobTimeout") return frontend::ShortestNumber(start.JobTimeoutSeconds) + " (no limit)";
    if (name == "Resume") return "off";
    return "none";
  };
  std::string text = kBatchUsage;
  text += "\nOptions (an argument selects the first option, in this order, whose name it begins with; case does "
          "not matter; each but -Resume, a switch, takes the value behind it), with their start values:\n";
  for (const std::string& name : parsed.Names) {
    text += "  -" + name + (name == "Resume" ? "" : " VALUE") + "   (start: " + startValue(name) + ")\n";
  }
  text += "\nThe manual page tells the rest: man sensorbatch (doc/man/sensorbatch.1 in the sources); each job's "
          "options are its program's (Waferonrun --help and so on).\n";
  return text;
}

}  // namespace sensor::batch
