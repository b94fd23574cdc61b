// The exported class of the chip library: lifecycle, binding, table size,
// the getters and Execute. The one place that reaches the module state: it
// hands the working state to the analysis, copies the outcome into the object
// and leaves the console line and the dump files. Every member answers with a
// result code; no exception leaves the library.
#include "sensordefect/Waferon.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/output_folder.h"
#include "common/guarded.h"
#include "common/image_binding.h"
#include "common/levels.h"
#include "waferon/station/dump_files.h"
#include "waferon/station/module_state.h"
#include "waferon/core/pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::Guarded;
using sensor::waferon::ModuleState;
using sensor::waferon::ResultTable;
using sensor::waferon::RunOutcome;
using sensor::waferon::State;

namespace {

_PARAMS_Waferon DefaultParams() {
  _PARAMS_Waferon p;
  std::memset(&p, 0, sizeof p);
  p.BayerMode = 1;
  p.CenterRight = 1.0;
  p.CenterBottom = 1.0;
  p.CountPixels = 1;
  p.FindClusters = 1;
  p.ClusterSize = 2;
  p.HammerSize = 11;
  return p;
}

// Reads one entry of a table: E_INVALIDARG without the table or outside it.
std::int32_t ReadEntry(const ResultTable* table, std::int32_t tableSize, short index,
                       std::int32_t* x, std::int32_t* y, double* score, std::int32_t* reserved) {
  if (table == nullptr || index < 0 || index >= tableSize || index >= table->Size()) {
    return E_INVALIDARG;
  }
  const DefectRecord& e = (*table)[static_cast<std::size_t>(index)];
  if (x != nullptr) *x = e.X;
  if (y != nullptr) *y = e.Y;
  if (score != nullptr) *score = e.Score;
  if (reserved != nullptr) *reserved = e.Reserved;
  return S_OK;
}

// The candidate list, when there is one, and the two sorted tables, when there
// are tables, beside the running program.
void WriteDumps(const RunOutcome& outcome) {
  using namespace sensor::waferon;
  const bool bayer = outcome.BayerMode;
  if (!outcome.Candidates.empty()) {
    WriteCandidateDump(sensor::InOutputFolder("DefectsDump.csv"), outcome.Candidates, bayer);
  }
  if (!outcome.WorstPixels.empty()) {
    const auto size = static_cast<std::int32_t>(outcome.WorstPixels.size());
    WriteTableDump(sensor::InOutputFolder(WorstPixelsFileName(size).c_str()), outcome.WorstPixels, bayer);
  }
  if (!outcome.Clusters.empty()) {
    WriteTableDump(sensor::InOutputFolder("AllClusters.csv"), outcome.Clusters, bayer);
  }
}

// What a run leaves for get_Findings besides the lists of the working state.
sensor::waferon::RunFindings FindingsOf(const RunOutcome& outcome, const sensor::ImageBinding& image) {
  sensor::waferon::RunFindings findings;
  findings.Ran = true;
  findings.Finished = outcome.Finished;
  findings.Stopped = outcome.Stopped;
  findings.Width = image.Width;
  findings.Height = image.Height;
  findings.Regions = outcome.Regions;
  findings.Counts = outcome.Counts;
  findings.Clusters.reserve(outcome.ClusterPeaks.size());
  for (const DefectRecord& peak : outcome.ClusterPeaks) {
    findings.Clusters.push_back(ClusterFinding{peak.X, peak.Y, peak.Score, peak.Colour, peak.Reserved});
  }
  return findings;
}

// Keeps what get_Findings hands out; without the memory for them the run keeps
// none (Ran stays 0), and its result is unchanged.
void KeepFindings(const RunOutcome& outcome, ModuleState& state) noexcept {
  try {
    state.Findings = FindingsOf(outcome, state.Binding);
  } catch (...) {
    state.Findings = {};
  }
}

FindingArea AreaOf(const sensor::Rect& rect) {
  return FindingArea{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

// Leaves what a run came to, as far as it came: the active bit depths, the
// console line of a completed search, the counts, the dump files and the
// result record.
void TakeOutcome(const RunOutcome& outcome, Waferon& object, _RESULT_Waferon& result) {
  if (outcome.DepthsTaken) {
    object.ActiveSensorBpp = outcome.SensorBpp;
    object.ActiveTestBpp = outcome.TestBpp;
  }
  if (outcome.SearchCompleted) {
    std::printf("\nsensor defects : possible %ld\n", static_cast<long>(outcome.CandidateCount));
  }
  _RESULT_Waferon& counts = object.Results;
  if (outcome.ClustersCounted) {
    counts.CenterClusters = outcome.Counts.CenterClusters;
    counts.SideClusters = outcome.Counts.SideClusters;
  }
  if (outcome.ClustersCounted || outcome.PixelsCounted) {
    counts.CenterPixels = outcome.Counts.CenterPixels;
    counts.SidePixels = outcome.Counts.SidePixels;
  }
  if (!outcome.Finished) return;
  WriteDumps(outcome);
  result = object.Results;
}

}  // namespace

std::int32_t Waferon::Open(int /*flag*/) {
  ModuleState& state = State();
  ActiveSensorBpp = 0;
  ActiveTestBpp = 0;
  std::memset(&Results, 0, sizeof Results);
  Params = DefaultParams();
  state.ReleaseTables();
  state.TableSize = sensor::waferon::kDefaultTableSize;
  state.CandidateLimit = sensor::waferon::kDefaultCandidateLimit;
  state.Findings = {};
  state.Open = true;
  return S_OK;
}

std::int32_t Waferon::Close() {
  State().Open = false;
  return Clean();
}

std::int32_t Waferon::Clean() {
  ModuleState& state = State();
  state.ReleaseTables();
  state.Candidates.Release();
  state.Visited.Release();
  state.Grid = {};
  state.Scratch = {};
  state.Open = false;
  return S_OK;
}

std::int32_t Waferon::get_ParameterSet(_PARAMS_Waferon& params) {
  if (!State().Open) return E_ABORT;
  params = Params;
  return S_OK;
}

std::int32_t Waferon::set_TableSize(std::int32_t size) {
  return Guarded([&]() -> std::int32_t {
    ModuleState& state = State();
    if (!state.Open) return E_ABORT;
    state.TableSize = size;
    // Tables of an earlier size are released whatever the new size is.
    state.ReleaseTables();
    if (size <= 0) return S_OK;
    try {
      state.WorstPixels = std::make_unique<ResultTable>(size);
      state.Clusters = std::make_unique<ResultTable>(size);
    } catch (const std::bad_alloc&) {
      state.ReleaseTables();  // neither table exists after a failure
      throw;
    }
    return S_OK;
  });
}

std::int32_t Waferon::get_SingleDefect(short index, std::int32_t* x, std::int32_t* y,
                                       double* score) {
  const ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  return ReadEntry(state.WorstPixels.get(), state.TableSize, index, x, y, score, nullptr);
}

std::int32_t Waferon::get_Cluster(short index, std::int32_t* x, std::int32_t* y, double* score,
                                  std::int32_t* reserved) {
  const ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  return ReadEntry(state.Clusters.get(), state.TableSize, index, x, y, score, reserved);
}

std::int32_t Waferon::get_Ostrel(double* r, double* g, double* b, double* g1, double* g2) {
  const ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  sensor::HandOutLevels(state.Levels, r, g, b, g1, g2);
  return S_OK;
}

std::int32_t Waferon::BindImage(unsigned char* header, unsigned char* pixels) {
  ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  return sensor::BindBitmap(header, pixels, state.Binding);
}

std::int32_t Waferon::Execute(_RESULT_Waferon& result, _PARAMS_Waferon params, int enableR,
                              int enableG, int enableB, int enableG1, int enableG2) {
  return Guarded([&]() -> std::int32_t {
    ModuleState& state = State();
    if (!state.Open) return E_ABORT;
    Params = params;
    const std::array<bool, 5> enabled{enableR != 0, enableG != 0, enableB != 0, enableG1 != 0,
                                      enableG2 != 0};
    state.Findings = {};
    const RunOutcome outcome = sensor::waferon::Analyse(state, Params, enabled);
    TakeOutcome(outcome, *this, result);
    KeepFindings(outcome, state);
    return outcome.Code;
  });
}

std::int32_t Waferon::set_OutputFolder(const char* folder) {
  return sensor::SetOutputFolder(folder);
}

std::int32_t Waferon::get_Findings(WaferonFindings& findings) {
  const ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  findings = WaferonFindings{};
  const sensor::waferon::RunFindings& last = state.Findings;
  if (!last.Ran) return S_OK;
  findings.Ran = 1;
  findings.Finished = last.Finished ? 1 : 0;
  findings.Stopped = last.Stopped ? 1 : 0;
  findings.Width = last.Width;
  findings.Height = last.Height;
  findings.SearchRegion = AreaOf(last.Regions.SearchRegion);
  findings.CenterZone = AreaOf(last.Regions.CenterZone);
  findings.Counts = last.Counts;
  if (!last.Finished) return S_OK;
  const auto& candidates = state.Candidates.Records();
  findings.Candidates = candidates.data();
  findings.CandidateCount = static_cast<std::int32_t>(candidates.size());
  if (state.WorstPixels != nullptr) {
    const auto& entries = state.WorstPixels->Entries();
    findings.WorstPixels = entries.data();
    // Empty entries only ever sit at the end of the table.
    while (findings.WorstPixelCount < state.WorstPixels->Size() &&
           !ResultTable::IsEmpty(entries[static_cast<std::size_t>(findings.WorstPixelCount)])) {
      ++findings.WorstPixelCount;
    }
  }
  findings.Clusters = last.Clusters.data();
  findings.ClusterCount = static_cast<std::int32_t>(last.Clusters.size());
  return S_OK;
}

std::int32_t Waferon::get_CandidateSides(const std::int8_t** hot, std::int32_t* count) {
  const ModuleState& state = State();
  if (!state.Open) return E_ABORT;
  const bool listed = state.Findings.Ran && state.Findings.Finished;
  const auto& sides = state.Candidates.Sides();
  if (hot != nullptr) *hot = listed && !sides.empty() ? sides.data() : nullptr;
  if (count != nullptr) *count = listed ? static_cast<std::int32_t>(sides.size()) : 0;
  return S_OK;
}

}  // namespace SensorDefectDetectionClass
