// Paths that name no regular file: a directory, a device, a named pipe, or a
// file behind a path that cannot exist. The bitmap's load fails with E_FAIL
// ("NI calls fail."); a limits file that cannot be read fails start-up with
// E_INVALIDARG; a settings file that cannot be read is skipped; an output that
// cannot be written is simply missing while the exit code still tells the
// outcome. No run may hang on such a path or read without end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "program_folder.h"

namespace sensor::test {
namespace {

namespace fs = std::filesystem;

Bytes PlainPicture() {
  BitmapLayout layout;
  layout.Width = kPictureWidth;
  layout.Height = kPictureHeight;
  layout.Pixels = TestPicturePixels(24, false);
  return FileBytes(layout);
}

class UnusualPath : public ::testing::TestWithParam<ProgramSpec> {
 protected:
  UnusualPath() : folder(GetParam()) {}

  ProgramOutput RunOn(const std::string& bitmapPath, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = GetParam().RunOptions;
    arguments.insert(arguments.end(), {"-BMPFileIn", bitmapPath, "-OutputFile", "status.txt"});
    arguments.insert(arguments.end(), more.begin(), more.end());
    return folder.Run(arguments);
  }

  void ExpectOutcome(const ProgramOutput& out, long long code, const std::string& message) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, code == 0 ? 0 : 1) << out.Console;
    const std::optional<StatusHead> status = folder.Status();
    ASSERT_TRUE(status) << out.Console;
    EXPECT_EQ(status->ReturnCode, code);
    EXPECT_EQ(status->Message, message);
  }

  void MakeFifo(const std::string& name) { ASSERT_EQ(mkfifo(folder.File(name).c_str(), 0600), 0); }
  void Link(const std::string& name, const std::string& target) {
    fs::create_symlink(target, folder.File(name));
  }

  ProgramFolder folder;
};

TEST_P(UnusualPath, ADirectoryNamedLikeABitmapIsNotLoaded) {
  fs::create_directory(folder.File("pictures.bmp"));
  ExpectOutcome(RunOn("pictures.bmp"), kFailCode, "NI calls fail. ERROR");
}

TEST_P(UnusualPath, DevicePathsWithoutAnExtensionCountAsNoBitmap) {
  for (const char* device : {"/dev/null", "/dev/zero"}) {
    ExpectOutcome(RunOn(device), kFailCode, "NI calls fail. ERROR");
    EXPECT_NE(folder.Read("status.txt").find("BMPFileIn=(null)\n"), std::string::npos) << device;
  }
}

TEST_P(UnusualPath, DevicesBehindABitmapNameAreNotLoaded) {
  Link("empty.bmp", "/dev/null");
  ExpectOutcome(RunOn("empty.bmp"), kFailCode, "NI calls fail. ERROR");
  Link("endless.bmp", "/dev/zero");
  ExpectOutcome(RunOn("endless.bmp"), kFailCode, "NI calls fail. ERROR");
}

TEST_P(UnusualPath, ANamedPipeIsNotLoadedAndDoesNotWaitForAWriter) {
  MakeFifo("pipe.bmp");
  ExpectOutcome(RunOn("pipe.bmp"), kFailCode, "NI calls fail. ERROR");
}

TEST_P(UnusualPath, AMissingBitmapIsNotLoaded) {
  ExpectOutcome(RunOn("missing.bmp"), kFailCode, "NI calls fail. ERROR");
  ExpectOutcome(RunOn("nowhere/missing.bmp"), kFailCode, "NI calls fail. ERROR");
}

TEST_P(UnusualPath, AStatusFileThatCannotBeWrittenIsMissingAndTheExitCodeStillTells) {
  folder.Write("img.bmp", PlainPicture());
  folder.Write("somefile.txt", std::string("a regular file\n"));
  std::vector<std::string> arguments = GetParam().RunOptions;
  arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "somefile.txt/status.txt"});
  ProgramOutput out = folder.Run(arguments);
  ASSERT_FALSE(out.TimedOut);
  // The run passed, but its status file is not written: that is no success.
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  EXPECT_NE(out.Errors.find("somefile.txt/status.txt: the status file cannot be written"), std::string::npos)
      << out.Errors;
  EXPECT_EQ(folder.Read("somefile.txt"), "a regular file\n");

  arguments = GetParam().RunOptions;
  arguments.insert(arguments.end(),
                   {"-BMPFileIn", "missing.bmp", "-OutputFile", "no/such/folder/status.txt"});
  out = folder.Run(arguments);
  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  EXPECT_FALSE(fs::exists(folder.File("no")));
}

TEST_P(UnusualPath, ADataLogThatCannotBeWrittenLeavesTheRunAsItIs) {
  folder.Write("img.bmp", PlainPicture());
  folder.Write("somefile.txt", std::string("x"));
  ProgramOutput out = RunOn("img.bmp", {"-LogFile", "somefile.txt/run.csv"});
  ExpectOutcome(out, 0, "Operation successful.");
  EXPECT_TRUE(folder.Exists(folder.DefaultLogName()));  // no limits file: the default log
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, UnusualPath, ::testing::ValuesIn(AllPrograms()),
                         [](const auto& test) { return test.param.Name; });

// Settings and limits files are read by one mechanism in all three programs;
// Waferonrun stands for them.
class UnusualTextPath : public ::testing::Test {
 protected:
  UnusualTextPath() : folder(AllPrograms()[0]) { folder.Write("img.bmp", PlainPicture()); }

  ProgramOutput RunWith(const std::string& option, const std::string& path) {
    std::vector<std::string> arguments = folder.Program().RunOptions;
    arguments.insert(arguments.end(),
                     {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt", option, path});
    return folder.Run(arguments);
  }

  void ExpectPass(const ProgramOutput& out) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, 0) << out.Console;
    ASSERT_TRUE(folder.Status());
    EXPECT_EQ(folder.Status()->ReturnCode, 0);
  }
  void ExpectStartUpFailure(const ProgramOutput& out) {
    ASSERT_FALSE(out.TimedOut);
    EXPECT_EQ(out.ExitCode, 1) << out.Console;
    ASSERT_TRUE(folder.Status());
    EXPECT_EQ(folder.Status()->ReturnCode, kInvalidArgCode);
    EXPECT_EQ(folder.Status()->Message, "missing or invalid argument. ERROR");
    EXPECT_FALSE(folder.Exists(folder.DefaultLogName()));
  }

  ProgramFolder folder;
};

TEST_F(UnusualTextPath, SettingsThatAreNoRegularFileAreSkipped) {
  fs::create_directory(folder.File("folder.ini"));
  ExpectPass(RunWith("-TestSettings", "folder.ini"));
  ASSERT_EQ(mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
  ExpectPass(RunWith("-TestSettings", "pipe.ini"));
  fs::create_symlink("/dev/zero", folder.File("endless.ini"));
  ExpectPass(RunWith("-TestSettings", "endless.ini"));
  ExpectPass(RunWith("-TestSettings", "missing.ini"));
}

TEST_F(UnusualTextPath, LimitsThatAreNoRegularFileFailStartUp) {
  fs::create_directory(folder.File("folder.txt"));
  ExpectStartUpFailure(RunWith("-TestLimits", "folder.txt"));
  ASSERT_EQ(mkfifo(folder.File("pipe.txt").c_str(), 0600), 0);
  ExpectStartUpFailure(RunWith("-TestLimits", "pipe.txt"));
  fs::create_symlink("/dev/zero", folder.File("endless.txt"));
  ExpectStartUpFailure(RunWith("-TestLimits", "endless.txt"));
  fs::create_symlink("/dev/null", folder.File("empty.txt"));
  ExpectStartUpFailure(RunWith("-TestLimits", "empty.txt"));
}

TEST_F(UnusualTextPath, ALimitsFileBehindASymbolicLinkIsRead) {
  folder.Write("real.txt", kWaferonLimits);
  fs::create_symlink(folder.File("real.txt"), folder.File("linked.txt"));
  ExpectPass(RunWith("-TestLimits", "linked.txt"));
}

}  // namespace
}  // namespace sensor::test
