// The programs' -ReviewImage on pictures written by sensorsim: a mark at every
// planted defect and none far from any, on a picture shrunk to fit and on one
// shown as it is; and a review image that cannot be made or written.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "frontend/products/review/review_image.h"
#include "png_pixels.h"
#include "program_runner.h"

namespace sensor::test {
namespace {

using review::FindingClass;

struct Planted {
  std::string Kind;  // hot, dark, cluster, blemish
  Rect Area;         // the pixels it covers (a blemish: its radius around the centre)
};

// sensorsim's truth: kind,x,y,size,value per line; a cluster fills a square of
// every second pixel from its corner.
std::vector<Planted> ReadTruth(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  std::vector<Planted> planted;
  while (std::getline(in, line)) {
    char kind[16] = {};
    int x = 0, y = 0, size = 0;
    if (std::sscanf(line.c_str(), "%15[a-z],%d,%d,%d", kind, &x, &y, &size) != 4) continue;
    Rect area{x, y, x, y};
    if (std::string(kind) == "cluster") {
      int side = 1;
      while (side * side < size) ++side;
      area.Right = x + 2 * (side - 1);
      area.Bottom = y + 2 * ((size - 1) / side);
    } else if (std::string(kind) == "blemish") {
      area = Rect{x - size, y - size, x + size, y + size};
    }
    planted.push_back({kind, area});
  }
  return planted;
}

bool Is(const std::uint8_t* p, review::Rgb colour) {
  return p[0] == colour.R && p[1] == colour.G && p[2] == colour.B;
}

constexpr int kReach = 16;  // the farthest a mark's pixel lies from its finding, on the image

// Every planted defect of `kinds` has a mark of `colour` near it on the
// review image, and every pixel of that colour outside the legend lies near
// one of them.
void ExpectMarks(const PngPixels& png, const review::ReviewLayout& layout, const std::vector<Planted>& planted,
                 const std::vector<std::string>& kinds, review::Rgb colour) {
  std::vector<Rect> near;
  for (const Planted& p : planted) {
    if (std::find(kinds.begin(), kinds.end(), p.Kind) == kinds.end()) continue;
    const Rect r = layout.ToCanvas(p.Area);
    near.push_back(Rect{r.Left - kReach, r.Top - kReach, r.Right + kReach, r.Bottom + kReach});
  }
  ASSERT_FALSE(near.empty());
  std::vector<bool> marked(near.size(), false);
  for (std::int32_t y = 0; y < layout.LegendTop; ++y) {
    for (std::int32_t x = 0; x < png.Width; ++x) {
      if (!Is(png.At(x, y), colour)) continue;
      bool found = false;
      for (std::size_t i = 0; i < near.size(); ++i) {
        if (near[i].Contains(x, y)) found = marked[i] = true;
      }
      ASSERT_TRUE(found) << "a mark far from every planted defect at " << x << "," << y;
    }
  }
  for (std::size_t i = 0; i < near.size(); ++i) {
    EXPECT_TRUE(marked[i]) << "no mark near the planted defect at image " << near[i].Left + kReach << ","
                           << near[i].Top + kReach;
  }
}

class ReviewRuns : public ::testing::Test {
 protected:
  static std::string Built(const std::string& name) { return std::string(SENSOR_BIN_DIR) + "/" + name; }

  ProgramOutput Run(const std::string& program, std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), Built(program));
    ProgramOutput out = RunProgram(Built(program), arguments, folder.Path());
    EXPECT_FALSE(out.TimedOut);
    return out;
  }

  // A Bayer picture of a 10-bit sensor with the defects sensorsim plants.
  void Simulate(const std::string& name, const std::string& size, std::vector<std::string> defects) const {
    std::vector<std::string> arguments = {"-Out", folder.File(name + ".bmp"), "-Truth", folder.File(name + ".csv"),
                                          "-BayerMode", "-BitCount", "32", "-Size", size, "-Seed", "11"};
    arguments.insert(arguments.end(), defects.begin(), defects.end());
    ASSERT_EQ(Run("sensorsim", arguments).ExitCode, 0);
  }

  // Runs the program on the picture with the example settings and gives its
  // review image.
  PngPixels Review(const std::string& program, const std::string& settings, const std::string& name) const {
    const ProgramOutput out = Run(program, {"-BMPFileIn", folder.File(name + ".bmp"), "-TestSettings",
                                            std::string(SENSOR_EXAMPLES_DIR) + "/" + settings, "-OutputFolder",
                                            folder.File("out"), "-ReviewImage", folder.File(name + ".png"), "-slave"});
    EXPECT_EQ(out.ExitCode, 0) << out.Console;
    const std::optional<PngPixels> png = ReadPngPixels(folder.File(name + ".png"));
    EXPECT_TRUE(png) << out.Console;
    return png ? *png : PngPixels{};
  }

  TempFolder folder;
};

TEST_F(ReviewRuns, EveryPlantedDefectIsMarkedAndNothingElse) {
  // 3000 x 2000 shrinks by about 1.5: every defective pixel keeps its ring.
  Simulate("chip", "3000,2000", {"-HotPixels", "12", "-DarkPixels", "4", "-Clusters", "3,4"});
  const PngPixels chip = Review("Waferonrun", "waferonrun/settings.ini", "chip");
  const review::ReviewLayout chipLayout = review::PlaceReview(3000, 2000);
  ASSERT_EQ(chip.Width, chipLayout.CanvasWidth);
  ASSERT_EQ(chip.Height, chipLayout.CanvasHeight);
  EXPECT_LE(std::max(chip.Width, chip.Height), review::kMaxReviewSide);
  const std::vector<Planted> chipTruth = ReadTruth(folder.File("chip.csv"));
  ExpectMarks(chip, chipLayout, chipTruth, {"hot", "dark", "cluster"}, review::ClassColour(FindingClass::Pixel));
  ExpectMarks(chip, chipLayout, chipTruth, {"cluster"}, review::ClassColour(FindingClass::Cluster));

  // Glazet paints the picture it analyses: its review still shows the picture.
  Simulate("package", "640,480", {"-Blemishes", "2,12,20", "-HotPixels", "5"});
  const PngPixels package = Review("Glazetrun", "glazetrun/settings.ini", "package");
  const review::ReviewLayout packageLayout = review::PlaceReview(640, 480);
  ASSERT_EQ(package.Width, packageLayout.CanvasWidth);
  ExpectMarks(package, packageLayout, ReadTruth(folder.File("package.csv")), {"blemish"},
              review::ClassColour(FindingClass::Blemish));
  const Rect corner = packageLayout.ToCanvas(Rect{0, 0, 0, 0});
  const std::uint8_t* shown = package.At(corner.Left + 4, corner.Top + 4);
  EXPECT_TRUE(shown[0] > 40 && shown[0] < 215) << "the painted defect map instead of the picture";
}

TEST_F(ReviewRuns, AReviewImageThatCannotBeMadeOrWrittenSaysWhy) {
  // No picture: the station's files as without the option, no file left.
  const std::vector<std::string> station = {"-BMPFileIn", folder.File("none.bmp"), "-OutputFile",
                                            folder.File("status.txt"), "-OutputFolder", folder.File("out"), "-slave"};
  const ProgramOutput plain = Run("Ostrelrun", station);
  const std::string status = ReadFile(folder.File("status.txt"));
  std::vector<std::string> arguments = station;
  arguments.insert(arguments.end(), {"-ReviewImage", folder.File("r.png")});
  const ProgramOutput out = Run("Ostrelrun", arguments);
  EXPECT_EQ(out.ExitCode, 1);
  EXPECT_EQ(out.Console, plain.Console + "\nReviewImage file \"" + folder.File("r.png") +
                             "\" was not written: no picture to show was loaded.\n");
  EXPECT_EQ(ReadFile(folder.File("status.txt")), status);
  EXPECT_FALSE(FileExists(folder.File("r.png")));
  EXPECT_FALSE(FileExists(folder.File("r.png.partial")));

  // A folder that is not there: start-up fails before any analysis.
  arguments.back() = folder.File("missing/r.png");
  const ProgramOutput refused = Run("Ostrelrun", arguments);
  EXPECT_NE(refused.Console.find("ReviewImage file \"" + folder.File("missing/r.png") +
                                 "\" cannot be written: its folder does not exist."),
            std::string::npos);
  EXPECT_EQ(refused.Console.find("Direct Code Path"), std::string::npos);
}

}  // namespace
}  // namespace sensor::test
