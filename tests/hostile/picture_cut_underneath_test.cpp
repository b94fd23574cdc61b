// A picture file cut short by another process while a program analyses it
// from a mapping of the file: the run must neither crash nor report what it
// measured on the lost bytes. The preloaded cut_after_mapping module cuts the
// file right after the program mapped it; the run ends with E_FAIL and says
// why. Glazetrun reads its picture into memory of its own (it paints it), so
// only the two programs that map it are run.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "program_folder.h"

namespace sensor::test {
namespace {

struct Cut {
  const char* Name;
  long long Size;  // what is left of the file
};

// A 32-bit picture of 200 x 40 pixels: eight small pages of pixel data.
Bytes SeveralPagesPicture() {
  BitmapLayout layout;
  layout.Width = 200;
  layout.Height = 40;
  layout.BitCount = 32;
  layout.Pixels.assign(std::size_t{200} * 40 * 4, 0x40);
  return FileBytes(layout);
}

class PictureCutUnderneath : public ::testing::TestWithParam<std::tuple<Cut, ProgramSpec>> {};

TEST_P(PictureCutUnderneath, FailsTheRunWithoutACrash) {
  const auto& [cut, program] = GetParam();
  ProgramFolder folder(program);
  folder.Write("img.bmp", SeveralPagesPicture());
  setenv("LD_PRELOAD", SENSOR_CUT_AFTER_MAPPING, 1);
  setenv("SENSOR_TEST_CUT_FILE", folder.File("img.bmp").c_str(), 1);
  setenv("SENSOR_TEST_CUT_SIZE", std::to_string(cut.Size).c_str(), 1);
  std::vector<std::string> arguments = program.RunOptions;
  arguments.insert(arguments.end(), {"-BMPFileIn", "img.bmp", "-OutputFile", "status.txt"});
  const ProgramOutput out = folder.Run(arguments);
  unsetenv("LD_PRELOAD");
  unsetenv("SENSOR_TEST_CUT_FILE");
  unsetenv("SENSOR_TEST_CUT_SIZE");

  ASSERT_FALSE(out.TimedOut);
  EXPECT_EQ(out.ExitCode, 1) << out.Console;
  EXPECT_NE(out.Console.find("The picture file changed while it was analysed."), std::string::npos) << out.Console;
  const std::optional<StatusHead> status = folder.Status();
  ASSERT_TRUE(status) << out.Console;
  EXPECT_EQ(status->ReturnCode, kFailCode);
  EXPECT_EQ(status->Message, "NI calls fail. ERROR");
  EXPECT_EQ(static_cast<long long>(folder.Read("img.bmp").size()), cut.Size);  // the cut did happen
}

const Cut kCuts[] = {{"ToNothing", 0}, {"AfterItsFirstPage", 4096}, {"InsideItsLastPage", 32000}};

std::vector<ProgramSpec> MappingPrograms() {
  std::vector<ProgramSpec> programs;
  for (const ProgramSpec& program : AllPrograms()) {
    if (program.Name != "Glazetrun") programs.push_back(program);
  }
  return programs;
}

INSTANTIATE_TEST_SUITE_P(
    MappingPrograms, PictureCutUnderneath,
    ::testing::Combine(::testing::ValuesIn(kCuts), ::testing::ValuesIn(MappingPrograms())),
    [](const auto& test) { return std::get<1>(test.param).Name + "_" + std::get<0>(test.param).Name; });

}  // namespace
}  // namespace sensor::test
