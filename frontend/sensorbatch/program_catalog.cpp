#include "frontend/sensorbatch/program_catalog.h"

#include "frontend/glazetrun/glazet_driver.h"
#include "frontend/glazetrun/glazet_program.h"
#include "frontend/ostrelrun/ostrel_driver.h"
#include "frontend/ostrelrun/ostrel_program.h"
#include "frontend/station/paths.h"
#include "frontend/station/version_report.h"
#include "frontend/waferonrun/waferon_driver.h"
#include "frontend/waferonrun/waferon_program.h"

namespace sensor::batch {

const std::vector<frontend::ProgramEntry>& Programs() {
  static const std::vector<frontend::ProgramEntry> programs = {
      frontend::MakeProgramEntry("Waferonrun", waferonrun::DescribeWaferonrun,
                                 waferonrun::RunLibrary),
      frontend::MakeProgramEntry("Glazetrun", glazetrun::DescribeGlazetrun, glazetrun::RunLibrary),
      frontend::MakeProgramEntry("Ostrelrun", ostrelrun::DescribeOstrelrun, ostrelrun::RunLibrary),
  };
  return programs;
}

const frontend::ProgramEntry* FindProgram(const std::string& name) {
  for (const frontend::ProgramEntry& entry : Programs()) {
    if (entry.Name == name) return &entry;
  }
  return nullptr;
}

std::vector<std::string> ProgramNames() {
  std::vector<std::string> names;
  for (const frontend::ProgramEntry& entry : Programs()) names.push_back(entry.Name);
  return names;
}

std::string FormatLibraryVersions() {
  std::string text;
  const std::string folder = frontend::RefreshModulePaths().Directory;
  for (const frontend::ProgramEntry& program : Programs()) {
    const std::string library = folder + program.LibraryFileName;
    const auto version = frontend::ReadProductVersion(library);
    text += version ? frontend::FormatVersionLine(library, *version, frontend::IsWow64())
                    : library + ": no version record can be read\n";
  }
  return text;
}

}  // namespace sensor::batch
