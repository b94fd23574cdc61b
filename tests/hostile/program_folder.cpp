#include "program_folder.h"

#include <fstream>
#include <random>
#include <regex>

#include "test_image.h"

namespace sensor::test {
namespace {

// A run that hangs is a fault; a normal run takes a fraction of a second,
// the settings file of twenty million lines 1.5 s in a Release build and
// many times that under the sanitizers on a busy machine.
constexpr int kTimeoutSeconds = 90;

}  // namespace

const std::vector<ProgramSpec>& AllPrograms() {
  static const std::vector<ProgramSpec> programs = {
      {"Waferonrun",
       "libWaferon.so",
       {"-CenterROI(%)", "0.25,0.25,0.75,0.75", "-ClusterThreshold(-)",
        "40,40,40,40,40,40,40,40,40,40", "-PixelThreshold(-)", "40,40,40,40,40,40,40,40,40,40"}},
      {"Glazetrun",
       "libGlazet.so",
       {"-Color", "R", "-HammerSize", "1,7", "-DefectThreshold(%)", "15", "-ROI(%)", "0,0,1,1"}},
      {"Ostrelrun", "libOstrel.so", {"-SensorROI(%)", "0,0,1,1"}},
  };
  return programs;
}

ProgramFolder::ProgramFolder(const ProgramSpec& program)
    : ProgramCopy(program.Name, program.Library), program_(program) {}

ProgramOutput ProgramFolder::Run(std::vector<std::string> arguments) const {
  arguments.push_back("-slave");
  return ProgramCopy::Run(Dir(), std::move(arguments), kTimeoutSeconds);
}

ProgramOutput ProgramFolder::RunWithVector(const std::vector<std::string>& argv) const {
  return ProgramCopy::RunWithVector(Dir(), argv, kTimeoutSeconds);
}

void ProgramFolder::Write(const std::string& name, const Bytes& bytes) const {
  std::ofstream(File(name), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<StatusHead> ProgramFolder::Status() const {
  if (!Exists("status.txt")) return std::nullopt;
  static const std::regex head("\\[Outputs\\]\nStatus=(-?[0-9]+)\nReturnCode=(-?[0-9]+)\n"
                               "Message=\"([^\n]*)\"\n[^]*");
  std::smatch match;
  const std::string text = Read("status.txt");
  if (!std::regex_match(text, match, head)) return std::nullopt;
  return StatusHead{std::stoi(match[1]), std::stoll(match[2]), match[3]};
}

std::string ProgramFolder::StatusWithoutTimeAndBitmap() const {
  const std::string text = Read("status.txt");
  std::string kept;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    if (line.rfind("calc time=", 0) != 0 && line.rfind("BMPFileIn=", 0) != 0) kept += line;
    start = end;
  }
  return kept;
}

Bytes TestPicturePixels(int bitCount, bool topDown) {
  TestImage image(kPictureWidth, kPictureHeight, static_cast<std::uint16_t>(bitCount), topDown);
  // Drawn in picture order, so that every storage holds the same picture.
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> level(90, 110);
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const auto b = static_cast<std::uint8_t>(level(random));
      const auto g = static_cast<std::uint8_t>(level(random));
      const auto r = static_cast<std::uint8_t>(level(random));
      image.SetBgr(x, y, b, g, r);
      if (bitCount == 32) image.At(x, y)[3] = static_cast<std::uint8_t>(x * 13 + y);
    }
  }
  image.SetBgr(3, 3, 230, 230, 230);
  image.SetBgr(4, 3, 230, 230, 230);
  image.SetBgr(3, 4, 230, 230, 230);
  image.SetBgr(10, 7, 5, 5, 5);
  image.SetBgr(15, 11, 30, 30, 250);
  image.SetBgr(16, 11, 30, 30, 250);
  return image.PixelBuffer();
}

}  // namespace sensor::test
