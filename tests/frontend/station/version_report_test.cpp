#include "frontend/station/version_report.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "frontend/station/paths.h"
#include "program_runner.h"

namespace sensor::frontend {
namespace {

// A shared library built with the version record of 300.2.3.4.
const std::string kFixture = VERSION_FIXTURE_PATH;

std::string Patched(const sensor::test::TempFolder& folder, std::string bytes) {
  const std::string path = folder.File("libPatched.so");
  sensor::test::WriteFile(path, bytes);
  return path;
}

TEST(VersionReport, ReadsTheProductVersionFromTheLibrarysRecord) {
  const std::optional<VersionParts> parts = ReadProductVersion(kFixture);
  ASSERT_TRUE(parts);
  EXPECT_EQ(*parts, (VersionParts{300, 2, 3, 4}));
}

TEST(VersionReport, PrintsThePathAndTheFourPartsMostSignificantFirst) {
  EXPECT_EQ(FormatVersionLine("/opt/libWaferon.so", {1, 0, 0, 0}, false),
            "/opt/libWaferon.so: 1.0.0.0\n");
  ::testing::internal::CaptureStdout();
  PrintLibraryVersion(kFixture);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), kFixture + ": 300.2.3.4\n");
}

TEST(VersionReport, UnderEmulationEachPartKeepsItsLow8Bits) {
  EXPECT_EQ(FormatVersionLine("lib.so", {300, 2, 3, 4}, true), "lib.so: 44.2.3.4\n");
  EXPECT_FALSE(IsWow64());  // a 64-bit build never runs under emulation
}

TEST(VersionReport, PrintsNothingForAFileWithoutARecord) {
  ::testing::internal::CaptureStdout();
  PrintLibraryVersion("/proc/self/exe");  // an ELF file without the section
  PrintLibraryVersion("/nonexistent/libWaferon.so");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  sensor::test::TempFolder folder;
  EXPECT_FALSE(ReadProductVersion(Patched(folder, "not an ELF file at all, just text")));
  EXPECT_FALSE(ReadProductVersion(folder.Path()));
}

TEST(VersionReport, RefusesARecordWithAWrongSignature) {
  std::string bytes = sensor::test::ReadFile(kFixture);
  const char signature[] = {'\xBD', '\x04', '\xEF', '\xFE'};
  const std::size_t at = bytes.find(std::string(signature, 4));
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 0;
  sensor::test::TempFolder folder;
  EXPECT_FALSE(ReadProductVersion(Patched(folder, bytes)));
}

TEST(VersionReport, RefusesTruncatedAndCraftedFilesWithoutReadingOutsideThem) {
  const std::string bytes = sensor::test::ReadFile(kFixture);
  sensor::test::TempFolder folder;
  for (const std::size_t length :
       {std::size_t{4}, std::size_t{63}, bytes.size() / 2, bytes.size() - 1}) {
    EXPECT_FALSE(ReadProductVersion(Patched(folder, bytes.substr(0, length)))) << length;
  }

  Elf64_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof header);
  for (const std::uint64_t offset :
       {~std::uint64_t{0} - 10, std::uint64_t{1} << 62, std::uint64_t(bytes.size())}) {
    std::string crafted = bytes;
    Elf64_Ehdr changed = header;
    changed.e_shoff = offset;
    std::memcpy(crafted.data(), &changed, sizeof changed);
    EXPECT_FALSE(ReadProductVersion(Patched(folder, crafted))) << offset;
  }

  std::string badNames = bytes;
  Elf64_Ehdr changed = header;
  changed.e_shstrndx = static_cast<Elf64_Half>(header.e_shnum + 5);
  std::memcpy(badNames.data(), &changed, sizeof changed);
  EXPECT_FALSE(ReadProductVersion(Patched(folder, badNames)));
}

}  // namespace
}  // namespace sensor::frontend

namespace sensor::frontend {
namespace {

// A library not beside the program is the copy the process loaded, under its
// versioned name; a name that is only the start of a loaded file's name, or of
// nothing loaded, stays the path beside the program.
TEST(VersionReport, FindsTheLoadedLibraryWhenNoneIsBesideTheProgram) {
  const std::string beside = RefreshModulePaths().Directory;
  ASSERT_FALSE(beside.empty());
  struct Case {
    const char* name;
    const char* expectedFile;  // the file part of the answer
    bool loaded;               // found among the loaded objects, not beside
  };
  for (const Case& c : {Case{"libc.so", "libc.so.6", true}, Case{"libc.so.6", "libc.so.6", true},
                        Case{"libc.s", "libc.s", false},
                        Case{"libNotLoadedAnywhere.so", "libNotLoadedAnywhere.so", false}}) {
    const std::optional<std::string> file = LibraryFile(c.name);
    ASSERT_TRUE(file) << c.name;
    const std::size_t slash = file->rfind('/');
    ASSERT_NE(slash, std::string::npos) << *file;
    EXPECT_EQ(file->substr(slash + 1), c.expectedFile) << c.name;
    EXPECT_EQ(file->substr(0, slash + 1) == beside, !c.loaded) << *file;
    EXPECT_EQ(access(file->c_str(), F_OK) == 0, c.loaded) << *file;
  }
  EXPECT_FALSE(LibraryFile("no-extension"));
}

}  // namespace
}  // namespace sensor::frontend
