#include "frontend/common/file_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "program_runner.h"

namespace sensor::frontend {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

struct WriteCase {
  const char* name;
  FileWrite how;
};

class WholeFile : public ::testing::TestWithParam<WriteCase> {};

// Both ways replace an earlier, longer file whole, keep every byte (a zero
// byte too), and leave no temporary beside it.
TEST_P(WholeFile, ReplacesAnEarlierFileWhole) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("log.csv");
  std::string problem;
  ASSERT_TRUE(WriteWholeFile(path, "first run, a longer line", GetParam().how, problem)) << problem;
  const std::string bytes("second\0\xff", 8);
  ASSERT_TRUE(WriteWholeFile(path, bytes, GetParam().how, problem)) << problem;
  EXPECT_EQ(sensor::test::ReadFile(path), bytes);
  EXPECT_FALSE(Exists(path + ".partial"));
}

// A file that cannot be made says why and leaves nothing behind.
TEST_P(WholeFile, RefusesWhatCannotBeWritten) {
  sensor::test::TempFolder folder;
  ASSERT_EQ(mkdir(folder.File("taken").c_str(), 0755), 0);
  for (const std::string& path : {folder.File("missing/log.csv"), folder.File("taken")}) {
    std::string problem;
    EXPECT_FALSE(WriteWholeFile(path, "x", GetParam().how, problem)) << path;
    EXPECT_FALSE(problem.empty()) << path;
    EXPECT_FALSE(Exists(path + ".partial")) << path;
  }
  EXPECT_FALSE(WriteWholeFile(folder.File("missing/log.csv"), "x"));
}

INSTANTIATE_TEST_SUITE_P(Ways, WholeFile,
                         ::testing::Values(WriteCase{"InPlace", FileWrite::InPlace},
                                           WriteCase{"ThroughTemporary", FileWrite::ThroughTemporary}),
                         [](const auto& test) { return std::string(test.param.name); });

// An earlier file stays as it was until the replacement is committed, and a
// replacement dropped unfinished leaves it and no temporary.
TEST(FileReplacement, AnEarlierFileStaysUntilTheNewOneIsWhole) {
  sensor::test::TempFolder folder;
  const std::string path = folder.File("summary.json");
  sensor::test::WriteFile(path, "earlier");
  std::string problem;
  {
    FileReplacement file;
    ASSERT_TRUE(file.Open(path, problem)) << problem;
    file.Write("new", true);
    EXPECT_EQ(sensor::test::ReadFile(path), "earlier");
    EXPECT_EQ(sensor::test::ReadFile(path + ".partial"), "new");
  }
  EXPECT_EQ(sensor::test::ReadFile(path), "earlier");
  EXPECT_FALSE(Exists(path + ".partial"));
  FileReplacement file;
  ASSERT_TRUE(file.Open(path, problem)) << problem;
  file.Write("new ");
  file.Write("whole");
  ASSERT_TRUE(file.Commit(problem)) << problem;
  EXPECT_EQ(sensor::test::ReadFile(path), "new whole");
  EXPECT_FALSE(Exists(path + ".partial"));
}

}  // namespace
}  // namespace sensor::frontend
