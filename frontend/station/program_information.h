// "--help" and "--version": the two arguments a user tries first. They are
// matched as these exact words before any option, so that no argument a test
// station gives changes meaning (the programs' options begin with one dash and
// none is named "-help" or "-version"). Both print on standard output and
// exit 0 without reading, writing or waiting for anything.
#pragma once

#include <optional>
#include <string>

#include "frontend/station/program.h"

namespace sensor::frontend {

enum class InformationRequest { Help, Version };

// The first argument from index 1 on that is exactly "--help" or "--version".
std::optional<InformationRequest> FindInformationRequest(int argc, char** argv);

// "NAME VERSION\n": the program's own version line.
std::string ProgramVersionLine(const std::string& name);

// A number as the help shows start values: the shortest text that reads back
// as the same double.
std::string ShortestNumber(double value);

// The help of a test program: every option of its table, every settings-file
// key, the start values of the settings as its library would receive them, and
// where the manual page is. Made from the program's tables.
std::string FormatProgramHelp(const ProgramDescription& program, const std::string& name);

// The version of a test program and of its library (the library's version
// line, or a line saying it has none or cannot be read).
std::string FormatProgramVersion(const ProgramDescription& program, const std::string& name);

}  // namespace sensor::frontend
