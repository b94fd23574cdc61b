// The files a run writes on request (-Report, -DefectList, -DefectMapPNG),
// from runs of the built programs on simulated pictures with planted defects:
// each agrees with the station files of the same run and with the ground
// truth, every report passes the schema in doc/, and a path that cannot take
// its file fails start-up without any analysis file written.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/common/text_format.h"
#include "frontend/glazetrun/glazet_program.h"
#include "frontend/ostrelrun/ostrel_program.h"
#include "frontend/waferonrun/waferon_program.h"
#include "program_run_test.h"
#include "sensor_image.h"

namespace sensor::test {
namespace {

using Json = nlohmann::json;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

// The value of a "Key=" line of a status file.
std::string StatusLine(const std::string& status, const std::string& key) {
  for (const std::string& line : Split(status, '\n')) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "(missing " + key + ")";
}

// The verdicts as the status file's Values line writes them.
std::string ValuesLine(const Json& report) {
  std::string line;
  for (const Json& v : report["verdicts"]) {
    if (!line.empty()) line += ",";
    line += v["unit"] == "LSB" ? frontend::Format("%.2f", v["value"].get<double>())
                               : std::to_string(v["value"].get<long>());
  }
  return line;
}

void ExpectValidReport(const std::string& path) {
  const std::string command = std::string("python3 ") + SENSOR_SOURCE_DIR + "/tests/support/validate_report.py " +
                              SENSOR_SOURCE_DIR + "/doc/report.schema.json '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << path << " does not pass the schema";
}

// The report agrees with the status file of the same run.
void ExpectReportAgreesWithStatus(const Json& report, const std::string& status) {
  EXPECT_EQ(std::to_string(report["result"]["code"].get<long>()), StatusLine(status, "ReturnCode"));
  EXPECT_EQ(std::to_string(report["status"]["status"].get<int>()), StatusLine(status, "Status"));
  EXPECT_EQ(ValuesLine(report), StatusLine(status, "Values"));
  std::string labels;
  for (const Json& v : report["verdicts"]) {
    if (!labels.empty()) labels += ',';
    labels += v["label"].get<std::string>();
  }
  // The key of the labels line is "Headers" or, for some programs, "Header".
  const std::string headers = StatusLine(status, "Headers");
  EXPECT_EQ(labels, headers.rfind("(missing", 0) == 0 ? StatusLine(status, "Header") : headers);
}

class ProductRunTest : public ProgramRunTest {
 protected:
  using ProgramRunTest::ProgramRunTest;

  sim::SimulatedImage Picture(const sim::SimulationSettings& settings, const std::string& name) const {
    sim::SimulatedImage image = sim::Simulate(settings);
    const std::vector<unsigned char> bytes = sim::BitmapFileBytes(image);
    Write(name, std::string(bytes.begin(), bytes.end()));
    return image;
  }
  std::vector<std::string> Examples(const std::string& program) const {
    const std::string folder = std::string(SENSOR_SOURCE_DIR) + "/examples/" + program;
    return {"-TestSettings", folder + "/settings.ini", "-TestLimits", folder + "/limits.txt",
            "-OutputFile", Beside("status.txt"), "-OutputFolder", Beside("files"), "-slave"};
  }
  Json ReadReport(const std::string& name) const {
    ExpectValidReport(Beside(name));
    return Json::parse(Read(name));
  }
};

class WaferonProducts : public ProductRunTest {
 protected:
  WaferonProducts() : ProductRunTest("Waferonrun", "libWaferon.so") {}
};

TEST_F(WaferonProducts, ReportAndDefectListsAgreeWithTheStationFilesAndThePlantedPixels) {
  sim::SimulationSettings s;
  s.Width = 200, s.Height = 150, s.BitCount = 32, s.BayerMode = true, s.Seed = 7;
  s.HotPixels = 6, s.DarkPixels = 4, s.Clusters = 3, s.ClusterPixels = 4;
  const sim::SimulatedImage image = Picture(s, "bayer.bmp");
  std::filesystem::create_directory(Beside("files"));
  std::vector<std::string> args = Examples("waferonrun");
  args.insert(args.end(), {"-BMPFileIn", Beside("bayer.bmp"), "-Report", Beside("run.json"), "-DefectList",
                           Beside("bad.txt")});
  ASSERT_EQ(Run(args).ExitCode, 1);  // the planted defects fail the limits
  const Json report = ReadReport("run.json");
  ExpectReportAgreesWithStatus(report, Read("status.txt"));
  // The values the report fails are those the status message names, in order.
  std::string failing;
  for (const Json& v : report["verdicts"]) {
    if (v["pass"] != false) continue;
    if (!failing.empty()) failing += ',';
    failing += v["label"].get<std::string>();
    failing += '=';
    failing += std::to_string(v["value"].get<long>());
  }
  EXPECT_FALSE(failing.empty());
  EXPECT_EQ(frontend::Format("\"%s ERROR\"", failing.c_str()), StatusLine(Read("status.txt"), "Message"));
  EXPECT_EQ(report["picture"]["width"], 200);
  EXPECT_EQ(report["picture"]["mode"], "bayer");
  EXPECT_EQ(report["settings"]["HammerSize"], 11);

  // The candidates are the dump's rows, the worst pixels the table's.
  const Json& defects = report["findings"]["pixelDefects"];
  auto rows = [](const Json& list) {
    static const char* kColours[5] = {"R", "G", "B", "G1", "G2"};
    std::string text;
    for (const Json& p : list) {
      text += frontend::Format("%s,%3d,%3d,%.2f\n", kColours[p["colour"].get<int>()], p["x"].get<int>(),
                               p["y"].get<int>(), p["score"].get<double>());
    }
    return text;
  };
  auto withoutPadding = [](std::string text) {
    std::string out;
    for (char c : text) if (c != ' ') out += c;
    return out;
  };
  EXPECT_EQ(withoutPadding("color,x,y,score\n" + rows(defects["candidates"])),
            withoutPadding(Read("files/DefectsDump.csv")));
  EXPECT_EQ(withoutPadding(rows(defects["worstPixels"])), withoutPadding(Read("files/Worst64Pixels.csv")));
  // Every counted cluster, as many as counted; the sorted table holds the highest of them.
  const Json& clusters = defects["clusters"];
  EXPECT_EQ(static_cast<long>(clusters.size()), defects["counts"]["totalClusters"].get<long>());
  std::set<std::pair<int, int>> peaks;
  for (const Json& c : clusters) peaks.insert({c["x"].get<int>(), c["y"].get<int>()});
  const std::vector<std::string> table = Split(Read("files/AllClusters.csv"), '\n');
  EXPECT_EQ(table.size(), clusters.size());
  for (const std::string& row : table) {
    const std::vector<std::string> f = Split(row, ',');
    EXPECT_EQ(peaks.count({std::stoi(f[1]), std::stoi(f[2])}), 1u) << row;
  }

  // Every planted pixel inside the search region is a candidate, and the
  // bad-pixel list names each candidate's position once.
  std::set<std::string> listed;
  for (const std::string& line : Split(Read("bad.txt"), '\n')) EXPECT_TRUE(listed.insert(line).second) << line;
  std::set<std::string> candidates;
  for (const Json& p : defects["candidates"]) {
    candidates.insert(std::to_string(p["x"].get<int>()) + " " + std::to_string(p["y"].get<int>()) + " 0");
  }
  EXPECT_EQ(listed, candidates);
  // Every planted single pixel inside the search region is listed, and its
  // candidate says whether it was planted hot or dark.
  std::map<std::pair<int, int>, std::string> kinds;
  for (const Json& p : defects["candidates"]) kinds[{p["x"].get<int>(), p["y"].get<int>()}] = p["kind"].get<std::string>();
  for (const sim::PlantedDefect& d : image.Truth) {
    const bool single = d.Kind == sim::DefectKind::HotPixel || d.Kind == sim::DefectKind::DarkPixel;
    if (!single || d.X < 2 || d.Y < 2 || d.X >= 198 || d.Y >= 148) continue;
    EXPECT_EQ(listed.count(std::to_string(d.X) + " " + std::to_string(d.Y) + " 0"), 1u) << d.X << "," << d.Y;
    EXPECT_EQ(kinds[std::make_pair(d.X, d.Y)], d.Kind == sim::DefectKind::HotPixel ? "hot" : "dark") << d.X << "," << d.Y;
  }

  // The CSV list: one row per candidate; the peak of a counted cluster has
  // neighbours of its colour, so it is never "single".
  args.back() = Beside("bad.csv");
  ASSERT_EQ(Run(args).ExitCode, 1);
  const std::vector<std::string> csv = Split(Read("bad.csv"), '\n');
  ASSERT_EQ(csv.size(), defects["candidates"].size() + 1);
  EXPECT_EQ(csv[0], "x,y,colour,score,class,kind");
  for (std::size_t i = 1; i < csv.size(); ++i) {
    const std::vector<std::string> f = Split(csv[i], ',');
    ASSERT_EQ(f.size(), 6u) << csv[i];
    EXPECT_EQ(f[5], defects["candidates"][i - 1]["kind"]) << csv[i];
    if (peaks.count({std::stoi(f[0]), std::stoi(f[1])}) != 0) {
      EXPECT_EQ(f[4], "cluster") << csv[i];
    }
  }
}

TEST_F(WaferonProducts, APathThatCannotTakeItsFileFailsStartUpAndNoAnalysisFileIsWritten) {
  Picture(sim::SimulationSettings{}, "colour.bmp");
  std::filesystem::create_directories(Beside("files"));
  std::filesystem::create_directories(Beside("folder.json"));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-Report", Beside("run.txt")}, "the file name must end in .json"},
      {{"-Report", Beside("missing/run.json")}, "its folder does not exist"},
      {{"-Report", Beside("folder.json")}, "it is a folder"},
      {{"-DefectList", Beside("bad.tsv")}, "the file name must end in .txt or .csv"},
      {{"-Report"}, "no file named"},
  };
  for (const auto& [extra, reason] : cases) {
    std::vector<std::string> args = {"-BMPFileIn", Beside("colour.bmp"), "-OutputFile", Beside("status.txt"),
                                     "-OutputFolder", Beside("files"), "-slave"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ProgramOutput out = Run(args);
    EXPECT_EQ(out.ExitCode, 1) << reason;
    EXPECT_TRUE(Contains(out.Console, "cannot be written: " + reason + ".\n")) << out.Console;
    EXPECT_EQ(StatusLine(Read("status.txt"), "ReturnCode"), kInvalidArgument) << reason;
    EXPECT_TRUE(std::filesystem::is_empty(Beside("files"))) << reason;
  }
}

class GlazetProducts : public ProductRunTest {
 protected:
  GlazetProducts() : ProductRunTest("Glazetrun", "libGlazet.so") {}
};

TEST_F(GlazetProducts, ThePngMapIsTheBitmapMapAndTheReportHasEachCountedBlemish) {
  sim::SimulationSettings s;
  s.Width = 203, s.Height = 157, s.Seed = 5, s.Blemishes = 3, s.BlemishRadius = 9, s.BlemishDepth = 15;
  const sim::SimulatedImage image = Picture(s, "colour.bmp");
  const std::vector<std::string> args = {"-BMPFileIn", Beside("colour.bmp"), "-HammerSize", "31,5",
                                         "-DefectThreshold(%)", "4", "-ClusterSize", "20", "-ROI(%)", "0,0,1,1",
                                         "-OutputFile", Beside("status.txt"), "-OutputFolder", Beside("."), "-slave",
                                         "-Report", Beside("run.json"), "-DefectMapPNG", Beside("map.png")};
  const ProgramOutput out = Run(args);
  ASSERT_EQ(out.ExitCode, 0);

  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  const std::string file = Read("map.png");
  ASSERT_NE(png_image_begin_read_from_memory(&png, file.data(), file.size()), 0) << png.message;
  png.format = PNG_FORMAT_GRAY;
  std::vector<unsigned char> grey(PNG_IMAGE_SIZE(png));
  ASSERT_NE(png_image_finish_read(&png, nullptr, grey.data(), 0, nullptr), 0) << png.message;
  ASSERT_EQ(png.width, 203u);
  ASSERT_EQ(png.height, 157u);
  const std::string bitmap = Read("pkgdfects.bmp");
  const std::size_t stride = (203 * 3 + 3) / 4 * 4;
  std::size_t black = 0;
  for (std::size_t y = 0; y < 157; ++y) {
    for (std::size_t x = 0; x < 203; ++x) {
      const auto painted = static_cast<unsigned char>(bitmap[54 + (156 - y) * stride + x * 3]);
      ASSERT_EQ(grey[y * 203 + x], painted) << x << "," << y;
      black += painted == 0;
    }
  }

  const Json report = ReadReport("run.json");
  const Json& found = report["findings"]["blemishes"];
  EXPECT_EQ(found["candidates"].get<std::size_t>(), black);
  // As many as the library counted, and each planted blemish inside one.
  EXPECT_TRUE(Contains(out.Console, "\nreturn result= " + std::to_string(found["clusters"].size())));
  ASSERT_EQ(found["clusters"].size(), image.Truth.size());  // three blemishes apart
  for (const sim::PlantedDefect& d : image.Truth) {
    bool inside = false;
    for (const Json& c : found["clusters"]) {
      const Json& b = c["bounds"];
      inside = inside || (d.X >= b["left"].get<int>() && d.X <= b["right"].get<int>() &&
                          d.Y >= b["top"].get<int>() && d.Y <= b["bottom"].get<int>());
    }
    EXPECT_TRUE(inside) << "no counted blemish holds the one planted at " << d.X << "," << d.Y << ": " << found;
  }
}

class OstrelProducts : public ProductRunTest {
 protected:
  OstrelProducts() : ProductRunTest("Ostrelrun", "libOstrel.so") {}
};

TEST_F(OstrelProducts, TheReportHasTheLevelsAndDimensionsOfTheStatusFile) {
  sim::SimulationSettings s;
  s.Width = 160, s.Height = 120, s.BitCount = 32, s.BayerMode = true;
  Picture(s, "bayer.bmp");
  std::vector<std::string> args = Examples("ostrelrun");
  args.insert(args.end(), {"-BMPFileIn", Beside("bayer.bmp"), "-Report", Beside("run.json")});
  ASSERT_EQ(Run(args).ExitCode, 0);
  const Json report = ReadReport("run.json");
  ExpectReportAgreesWithStatus(report, Read("status.txt"));
  EXPECT_EQ(report["findings"]["dimensions"], (Json{{"width", 160}, {"height", 120}}));
  EXPECT_EQ(report["status"]["passed"], true);
}

// Every program's option table: the new options (the products, then
// Glazetrun's -KeepDefectMap, then TopBits) come after all the others, and no
// option name is a prefix of a later one, so that no argument selects another
// option than it did before.
TEST(ProductOptions, EndEveryTableAndNoEarlierNameIsAPrefixOfALaterOne) {
  waferonrun::WaferonSettings waferon;
  glazetrun::GlazetSettings glazet;
  ostrelrun::OstrelSettings ostrel;
  const std::vector<std::pair<frontend::OptionTable, std::vector<std::string>>> tables = {
      {frontend::OptionsOf(waferonrun::DescribeWaferonrun(waferon, nullptr).Settings), {"Report", "ReviewImage", "DefectList", "TopBits"}},
      {frontend::OptionsOf(glazetrun::DescribeGlazetrun(glazet, nullptr).Settings), {"Report", "ReviewImage", "DefectMapPNG", "KeepDefectMap", "TopBits"}},
      {frontend::OptionsOf(ostrelrun::DescribeOstrelrun(ostrel, nullptr).Settings), {"Report", "ReviewImage", "TopBits"}},
  };
  for (const auto& [table, last] : tables) {
    ASSERT_GE(table.size(), last.size() + 2);
    const std::size_t first = table.size() - last.size();
    EXPECT_EQ(table[first - 1].Name, "RawLayout");
    for (std::size_t i = 0; i < last.size(); ++i) EXPECT_EQ(table[first + i].Name, last[i]);
    for (std::size_t i = 0; i < table.size(); ++i) {
      for (std::size_t j = i + 1; j < table.size(); ++j) {
        EXPECT_FALSE(frontend::StartsWithNoCase(table[j].Name, table[i].Name))
            << table[i].Name << " is a prefix of " << table[j].Name;
      }
    }
  }
}

}  // namespace
}  // namespace sensor::test
