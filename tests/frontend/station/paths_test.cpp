#include "frontend/station/paths.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <filesystem>

#include "program_runner.h"

namespace sensor::frontend {
namespace {

TEST(SplitPath, SplitsAtTheLastSlashAndTheLastDotOfTheFileName) {
  const PathParts parts = SplitPath("/data/v1.2/img.final.bmp");
  EXPECT_EQ(parts.Directory, "/data/v1.2/");
  EXPECT_EQ(parts.Name, "img.final");
  EXPECT_EQ(parts.Extension, ".bmp");

  const PathParts noExtension = SplitPath("v1.2/img");
  EXPECT_EQ(noExtension.Name, "img");
  EXPECT_EQ(noExtension.Extension, "");
}

TEST(ResolvePath, ABareFileNameGoesBesideTheProgram) {
  EXPECT_EQ(ResolvePathFrom("limits.txt", "/opt/station/", "/home/op"),
            std::optional<std::string>("/opt/station/limits.txt"));
}

TEST(ResolvePath, APathWithADirectoryBecomesAbsoluteAgainstTheWorkingDirectory) {
  EXPECT_EQ(ResolvePathFrom("./limits.txt", "/opt/station/", "/home/op"),
            std::optional<std::string>("/home/op/limits.txt"));
  EXPECT_EQ(ResolvePathFrom("sub/limits.txt", "/opt/station/", "/home/op"),
            std::optional<std::string>("/home/op/sub/limits.txt"));
  EXPECT_EQ(ResolvePathFrom("../data//./x/../img.bmp", "/opt/station/", "/home/op"),
            std::optional<std::string>("/home/data/img.bmp"));
  EXPECT_EQ(ResolvePathFrom("../../../../img.bmp", "/opt/", "/home/op"),
            std::optional<std::string>("/img.bmp"));
}

TEST(ResolvePath, AnAbsolutePathIsKeptApartFromLexicalNormalisation) {
  EXPECT_EQ(ResolvePathFrom("/data/img.bmp", "/opt/", "/home"),
            std::optional<std::string>("/data/img.bmp"));
  EXPECT_EQ(ResolvePathFrom("//data/./old/../img.bmp", "/opt/", "/home"),
            std::optional<std::string>("/data/img.bmp"));
}

TEST(ResolvePath, APathWithoutFileNameOrExtensionIsRefused) {
  EXPECT_FALSE(ResolvePathFrom("/data/img", "/opt/", "/home"));
  EXPECT_FALSE(ResolvePathFrom("img", "/opt/", "/home"));
  EXPECT_FALSE(ResolvePathFrom("/data/", "/opt/", "/home"));
  EXPECT_FALSE(ResolvePathFrom(".txt", "/opt/", "/home"));
  EXPECT_FALSE(ResolvePathFrom("", "/opt/", "/home"));
}

TEST(ResolvePath, APathBeyondThePlatformLimitIsRefused) {
  const std::string longName(PATH_MAX, 'a');
  EXPECT_FALSE(ResolvePathFrom("sub/" + longName + ".txt", "/opt/", "/home"));
  EXPECT_FALSE(ResolvePathFrom(longName + ".txt", "/opt/", "/home"));
}

TEST(ModulePaths, AreTheDirectoryAndBaseNameOfTheRunningProgram) {
  const ModulePaths module = RefreshModulePaths();
  const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(module.Directory, self.parent_path().string() + "/");
  EXPECT_EQ(module.BaseName, self.stem().string());
}

TEST(ResolvePath, FromAnotherWorkingDirectoryOnlyPathsWithADirectoryFollowIt) {
  sensor::test::TempFolder folder;
  const std::filesystem::path before = std::filesystem::current_path();
  ASSERT_EQ(chdir(folder.Path().c_str()), 0);
  const std::string working = std::filesystem::current_path().string();
  const ResolvedPath bare = ResolvePath("limits.txt");
  const ResolvedPath relative = ResolvePath("sub/limits.txt");
  std::filesystem::current_path(before);

  EXPECT_EQ(bare, RefreshModulePaths().Directory + "limits.txt");
  EXPECT_EQ(relative, working + "/sub/limits.txt");
}

TEST(ResolvePath, AnAbsentPathIsShownAsNull) {
  EXPECT_STREQ(Shown(std::nullopt), "(null)");
  EXPECT_STREQ(Shown(std::string("/a.txt")), "/a.txt");
}

}  // namespace
}  // namespace sensor::frontend
