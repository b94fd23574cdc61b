// sensorbatch -ReportPage in a real browser: headless Chromium loads the page,
// the rendered table (--dump-dom) holds every job with its verdict, sorts and
// filters as the page's address asks, links the review image a job wrote, and
// a screenshot of the page is not blank. Skipped, saying why, only when
// Chromium cannot run here at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "png_pixels.h"
#include "program_runner.h"

namespace sensor::test {
namespace {

namespace fs = std::filesystem;

std::string FindChromium() {
  std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
  std::string folder;
  while (std::getline(path, folder, ':')) {
    for (const char* name : {"chromium", "chromium-browser"}) {
      const fs::path candidate = fs::path(folder) / name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
  }
  return std::string();
}

struct Row {
  int Line;
  std::string Verdict;
  bool Hidden;
};

// The job rows of a dumped page, in the order shown.
std::vector<Row> Rows(const std::string& dom) {
  static const std::regex row(R"re(<tr data-line="(\d+)" data-verdict="(\w+)"( hidden="")?>)re");
  std::vector<Row> rows;
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), row); it != std::sregex_iterator(); ++it) {
    rows.push_back(Row{std::stoi((*it)[1]), (*it)[2], (*it)[3].matched});
  }
  return rows;
}

class ReportPage : public ::testing::Test {
 protected:
  ProgramOutput Browse(const std::vector<std::string>& what) const {
    std::vector<std::string> arguments = {chromium, "--headless", "--no-sandbox", "--disable-gpu", "--log-level=3",
                                          "--user-data-dir=" + folder.File("browser")};
    arguments.insert(arguments.end(), what.begin(), what.end());
    return RunProgram(chromium, arguments, folder.Path(), "/dev/null", 120);
  }

  TempFolder folder;
  std::string chromium = FindChromium();
};

TEST_F(ReportPage, TheBrowserShowsEveryJobSortsFiltersAndLinksTheReviewImage) {
  if (chromium.empty()) GTEST_SKIP() << "no chromium on PATH (scripts/install-deps.sh installs it)";
  const ProgramOutput probe = Browse({"--dump-dom", "data:text/html,<p>probe</p>"});
  if (probe.ExitCode != 0 || probe.Console.find("probe") == std::string::npos) {
    GTEST_SKIP() << chromium << " cannot run here: exit code " << probe.ExitCode;
  }

  const std::string examples = SENSOR_EXAMPLES_DIR;
  const std::string w = " -TestSettings " + examples + "/waferonrun/settings.ini -TestLimits " + examples +
                        "/waferonrun/limits.txt -OutputFolder out";
  WriteFile(folder.File("jobs.txt"),
            "Waferonrun -BMPFileIn " + examples + "/images/defective_bayer.bmp" + w +
                " -OutputFile out/d.txt -ReviewImage \"review dir/d w.png\"\n"
                "Ostrelrun -BMPFileIn " + examples + "/images/clean_bayer.bmp -OutputFolder out2\n"
                "# a picture that is not there\n"
                "Glazetrun -BMPFileIn ./missing.bmp -OutputFolder out3\n");
  fs::create_directory(folder.File("review dir"));
  const std::string sensorbatch = std::string(SENSOR_BIN_DIR) + "/sensorbatch";
  const ProgramOutput batch = RunProgram(
      sensorbatch, {sensorbatch, "-Jobs", "jobs.txt", "-ReportPage", "page.html"}, folder.Path());
  ASSERT_EQ(batch.ExitCode, 1);
  ASSERT_TRUE(FileExists(folder.File("review dir/d w.png")));

  const std::string page = "file://" + folder.File("page.html");
  const ProgramOutput shown = Browse({"--dump-dom", page});
  ASSERT_EQ(shown.ExitCode, 0);
  const std::vector<Row> all = Rows(shown.Console);
  ASSERT_EQ(all.size(), 3u) << shown.Console;
  EXPECT_EQ(all[0].Line, 1);
  EXPECT_EQ(all[0].Verdict, "FAIL");
  EXPECT_EQ(all[1].Verdict, "PASS");
  EXPECT_EQ(all[2].Line, 4);
  EXPECT_EQ(all[2].Verdict, "ERROR");
  EXPECT_NE(shown.Console.find("1 passed</span><span id=\"failed\">1 failed</span><span id=\"errored\">1 errored"),
            std::string::npos);
  EXPECT_NE(shown.Console.find("<a href=\"review%20dir/d%20w.png\"><img src=\"review%20dir/d%20w.png\""),
            std::string::npos);
  EXPECT_NE(shown.Console.find("pixel(side)="), std::string::npos);
  EXPECT_NE(shown.Console.find("missing.bmp: does not exist"), std::string::npos);

  const ProgramOutput sorted = Browse({"--dump-dom", page + "#sort=-line&verdict=error"});
  const std::vector<Row> rows = Rows(sorted.Console);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Line, 4);
  EXPECT_EQ(rows[2].Line, 1);
  for (const Row& row : rows) EXPECT_EQ(row.Hidden, row.Verdict != "ERROR") << row.Line;
  EXPECT_NE(sorted.Console.find("<span id=\"shown\">1</span>"), std::string::npos);

  const ProgramOutput shot = Browse({"--screenshot=" + folder.File("page.png"), "--window-size=1000,700", page});
  ASSERT_EQ(shot.ExitCode, 0);
  const std::optional<PngPixels> pixels = ReadPngPixels(folder.File("page.png"));
  ASSERT_TRUE(pixels);
  std::set<std::uint32_t> colours;
  std::size_t unlikeCorner = 0;
  for (std::int32_t y = 0; y < pixels->Height; ++y) {
    for (std::int32_t x = 0; x < pixels->Width; ++x) {
      const std::uint8_t* p = pixels->At(x, y);
      colours.insert(std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
      unlikeCorner += std::equal(p, p + 3, pixels->At(0, 0)) ? 0 : 1;
    }
  }
  EXPECT_GT(colours.size(), 8u);
  EXPECT_GT(unlikeCorner, static_cast<std::size_t>(pixels->Width) * pixels->Height / 100);
}

TEST_F(ReportPage, APageThatCannotBeWrittenRefusesTheBatchBeforeAnyJob) {
  WriteFile(folder.File("jobs.txt"), "Ostrelrun -BMPFileIn ./missing.bmp -OutputFile out/s.txt -OutputFolder out\n");
  const std::string sensorbatch = std::string(SENSOR_BIN_DIR) + "/sensorbatch";
  const ProgramOutput batch = RunProgram(
      sensorbatch, {sensorbatch, "-Jobs", "jobs.txt", "-ReportPage", "no/such/folder/page.html"}, folder.Path());
  EXPECT_EQ(batch.ExitCode, 2);
  EXPECT_FALSE(FileExists(folder.File("out/s.txt")));
}

}  // namespace
}  // namespace sensor::test
