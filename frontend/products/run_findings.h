// What one run of a test program found, gathered once for every output that
// hands it on (the JSON report, the review picture, the defect lists): the
// run's facts, which the run sequence fills, and the library's findings, which
// the program's driver reads through the library's get_Findings.
//
// Positions count columns from the left and rows from the top of the picture,
// as the libraries' tables and dump files do.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontend/common/diagnostics.h"
#include "frontend/pictures/picture.h"
#include "frontend/products/product_paths.h"

namespace sensor::review {
struct ReviewBackdrop;
}

namespace sensor::frontend {

// Columns Left to Right and rows Top to Bottom, both ends included; empty when
// Right < Left or Bottom < Top.
struct FindingBox {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;

  bool Empty() const { return Right < Left || Bottom < Top; }
};

// The names of the areas a library works in, as the outputs show them.
inline constexpr const char* kScanArea = "scan area";  // the picture less the outlier margins
inline constexpr const char* kRegionOfInterest = "region of interest";
inline constexpr const char* kCentreZone = "centre zone";

struct NamedArea {
  std::string Name;
  FindingBox Box;
};

// A pixel of Waferon's candidate list or worst-pixel table. Colour: 0 R, 1 G,
// 2 B, 3 G1, 4 G2 (the colour index of the dump files).
struct PixelFinding {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  double Score = 0.0;
  std::int32_t Colour = 0;
  // Candidates: whether the pixel lies above its reference (hot) or below it
  // (dark); unknown for table entries and cluster peaks.
  std::optional<bool> Hot;
};

// A counted Waferon cluster: its peak and the number of its members.
struct CountedCluster {
  PixelFinding Peak;
  std::int32_t Members = 0;
};

// Waferon: defective pixels and clusters.
struct PixelDefectFindings {
  // The search stopped on the candidate limit: nothing was counted.
  bool Stopped = false;
  std::vector<PixelFinding> Candidates;   // every candidate, in list order
  std::vector<PixelFinding> WorstPixels;  // the worst-pixel table in its order
  std::vector<CountedCluster> Clusters;   // every counted cluster, in the order counted
  std::int32_t CenterClusters = 0;
  std::int32_t SideClusters = 0;
  std::int32_t CenterPixels = 0;
  std::int32_t SidePixels = 0;
};

// A counted Glazet blemish: a region of the defect map.
struct CountedBlemish {
  FindingBox Bounds;
  std::int64_t Pixels = 0;
  double CentroidX = 0.0;
  double CentroidY = 0.0;
};

// Glazet: package blemishes.
struct BlemishFindings {
  std::int64_t Candidates = 0;  // marked pixels of the defect map
  // Counted: Blemishes holds every counted cluster (as many as the library's
  // count). TooMany: more candidates than the limit, none counted.
  bool Counted = false;
  bool TooMany = false;
  std::vector<CountedBlemish> Blemishes;
};

// The five level statistics R, G, B, G1, G2 of the scan area.
using LevelFindings = std::array<double, 5>;

// Ostrel: the dimensions of the bound picture as the library reports them.
struct SensorDimensions {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// A setting as the library received it, after the command line and the
// settings file: its settings-file key without '=' and its values (a switch
// is one value, 0 or 1).
struct SettingFact {
  std::string Name;
  std::vector<double> Values;
  bool Switch = false;
};

inline SettingFact SwitchFact(std::string name, bool on) { return {std::move(name), {on ? 1.0 : 0.0}, true}; }
inline SettingFact NumberFact(std::string name, std::vector<double> values) {
  return {std::move(name), std::move(values), false};
}

// The facts of a library's parameter record in its order: the mode and the two
// depths, then `afterDepths`, the outlier margins that every record holds
// alike, then `rest`.
template <class Params>
std::vector<SettingFact> ParameterFacts(const Params& p, std::vector<SettingFact> afterDepths,
                                        std::vector<SettingFact> rest) {
  std::vector<SettingFact> facts{SwitchFact("BayerMode", p.BayerMode != 0),
                                 NumberFact("SensorBpp", {double(p.SensorBpp)}),
                                 NumberFact("TestBpp", {double(p.TestBpp)})};
  for (SettingFact& fact : afterDepths) facts.push_back(std::move(fact));
  facts.push_back(NumberFact("Outliers", {double(p.OutlierLeft), double(p.OutlierTop), double(p.OutlierRight),
                                          double(p.OutlierBottom)}));
  for (SettingFact& fact : rest) facts.push_back(std::move(fact));
  return facts;
}

// The paths of the run as given (nothing: not given or refused).
struct RunPaths {
  std::optional<std::string> StatusFile;
  std::optional<std::string> SettingsFile;
  std::optional<std::string> LimitsFile;
  std::optional<std::string> LogFile;
  std::optional<std::string> Picture;
  std::optional<std::string> OutputFolder;  // -OutputFolder as given
  std::optional<std::string> RawLayout;
  ProductPaths Products;
};

// A judged value of the run, in judging order: its label and unit from the
// limits file, its limits, the measured value and whether it lies outside them.
struct JudgedValue {
  std::string Label;
  std::string Unit;
  std::int32_t Low = 0;
  std::int32_t High = 0;
  bool Count = false;  // a count (held exactly in Value) rather than a level
  double Value = 0.0;
  bool Fails = false;
};

// What one station run reports: the run's facts and what its library found.
struct StationFindings {
  // The run's facts, filled by the run sequence.
  std::string Program;          // the program's base name, e.g. "Waferonrun"
  std::string LibraryFile;      // the library's path beside the program
  std::string LibraryVersion;   // "a.b.c.d"; empty when the file has no version record
  RunPaths Paths;               // the paths as given
  std::string OutputFolder;     // the run's folder, ending in '/'; empty: the working directory
  std::vector<SettingFact> Settings;
  PictureRequest Mode;          // what the picture was analysed as
  // The loaded picture; null when it was not loaded. Valid while the run's
  // outputs are written. Glazet paints it: its pixels are then the defect map.
  const frontend::Picture* Picture = nullptr;
  // The picture placed and shrunk for the review image when it was loaded,
  // before any painting; only with -ReviewImage (review_product.h).
  std::shared_ptr<const review::ReviewBackdrop> ReviewBackdrop;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BitCount = 0;
  // How the picture's pixel buffer holds its rows, as the libraries bind it:
  // bytes from one stored row to the next, and whether the top row is stored
  // first (else last, bottom-up). Stride 0: the buffer is not a picture.
  std::uint64_t Stride = 0;
  bool TopRowFirst = false;
  std::int32_t Code = 0;        // the run's result code
  std::string CodeText;         // its text as the status file shows it
  int Status = 0;               // the status file's status: 0 passed, 1 failed
  std::string Message;          // the status message without " ERROR"
  // Whether a limits file judged the values; without one nothing is judged.
  bool Judged = false;
  std::vector<JudgedValue> Values;  // in judging order
  RunClass Class = RunClass::Error;  // PASS, FAIL or ERROR (diagnostics.h)
  std::string Reason;           // an ERROR's diagnostic, a FAIL's failing values

  // What the library found, filled by the program's driver (only what that
  // library reports; absent when the library ended before it).
  std::vector<NamedArea> Areas;
  std::optional<PixelDefectFindings> PixelDefects;  // Waferon
  std::optional<BlemishFindings> Blemishes;         // Glazet
  std::optional<LevelFindings> Levels;              // all three, when their results were read
  std::optional<SensorDimensions> Dimensions;       // Ostrel
};

// The area of the given name, or null.
inline const NamedArea* FindArea(const StationFindings& findings, const std::string& name) {
  for (const NamedArea& area : findings.Areas) {
    if (area.Name == name) return &area;
  }
  return nullptr;
}

}  // namespace sensor::frontend
