// The job file of the batch program: one run a line, a program name followed by
// that program's arguments exactly as on its command line, separated by blanks
// (spaces or tabs). Double quotes group an argument that holds blanks (the
// quotes themselves are dropped; "" is an empty argument); there is no other
// escape. Blank lines and lines whose first non-blank character is '#' are
// skipped; CR LF line ends are fine.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sensor::batch {

struct Job {
  int Line = 0;  // 1-based line number in the job file
  std::string Program;
  std::vector<std::string> Arguments;  // without the program name
};

// The words of one line; a text saying what is wrong when a quote is left
// open or the line holds a NUL byte. An empty vector for a skipped line.
std::variant<std::vector<std::string>, std::string> SplitJobLine(std::string_view line);

// The job file's name for "-": standard input.
inline constexpr const char* kStandardInput = "-";

// The name messages give the job file: its path, or "standard input".
std::string JobFileName(const std::string& path);

// The jobs of the file, in file order, or the first problem as
// "FILE:LINE: what is wrong" ("FILE: ..." when it cannot be read). A program
// name must be one of `programs`. The path "-" reads standard input to its end.
std::variant<std::vector<Job>, std::string> ReadJobFile(const std::string& path,
                                                        const std::vector<std::string>& programs);

// The jobs of a stream, as ReadJobFile, `name` standing for FILE.
std::variant<std::vector<Job>, std::string> ReadJobStream(std::istream& in, const std::string& name,
                                                          const std::vector<std::string>& programs);

}  // namespace sensor::batch
