#include "frontend/sensorbatch/job_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace sensor::batch {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += i + 1 == names.size() ? " or " : ", ";
    joined += names[i];
  }
  return joined;
}

}  // namespace

std::variant<std::vector<std::string>, std::string> SplitJobLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find('\0') != std::string_view::npos) return std::string("a NUL byte in the line");
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '#') return words;
  while (i < line.size()) {
    std::string word;
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      if (line[i] == '"') {
        quoted = !quoted;
      } else {
        word += line[i];
      }
    }
    if (quoted) return std::string("a double quote is not closed");
    words.push_back(std::move(word));
    while (i < line.size() && IsBlank(line[i])) ++i;
  }
  return words;
}

std::string JobFileName(const std::string& path) {
  return path == kStandardInput ? std::string("standard input") : path;
}

std::variant<std::vector<Job>, std::string> ReadJobStream(std::istream& in, const std::string& name,
                                                          const std::vector<std::string>& programs) {
  std::vector<Job> jobs;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string where = name + ":" + std::to_string(number) + ": ";
    auto split = SplitJobLine(line);
    if (const std::string* problem = std::get_if<std::string>(&split)) return where + *problem;
    std::vector<std::string>& words = std::get<std::vector<std::string>>(split);
    if (words.empty()) continue;
    if (std::find(programs.begin(), programs.end(), words.front()) == programs.end()) {
      return where + "\"" + words.front() + "\" is no program (" + JoinNames(programs) + ")";
    }
    Job job;
    job.Line = number;
    job.Program = std::move(words.front());
    job.Arguments.assign(std::make_move_iterator(words.begin() + 1),
                         std::make_move_iterator(words.end()));
    jobs.push_back(std::move(job));
  }
  if (in.bad()) return name + ": cannot be read";
  return jobs;
}

std::variant<std::vector<Job>, std::string> ReadJobFile(const std::string& path,
                                                        const std::vector<std::string>& programs) {
  if (path == kStandardInput) return ReadJobStream(std::cin, JobFileName(path), programs);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return path + ": " + (error ? error.message() : std::string("no regular file"));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return path + ": cannot be read (" + std::strerror(errno) + ")";
  return ReadJobStream(in, path, programs);
}

}  // namespace sensor::batch
