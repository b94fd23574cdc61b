// The exported class of the package library: lifecycle, binding, Execute and
// the getters. The one place that reaches the module state: it hands the
// working state to the analysis, copies the outcome into the object, prints
// the console lines, paints the bound picture and writes the defect map, and
// waits for a key after a stop in debug mode. Every member returns a result
// code; nothing is thrown out.
#include "sensordefect/Glazet.h"

#include <cstdio>
#include <string>
#include <utility>

#include "common/console.h"
#include "common/output_folder.h"
#include "common/guarded.h"
#include "common/levels.h"
#include "glazet/core/clusters.h"
#include "glazet/station/defect_map_bitmap.h"
#include "glazet/station/module_state.h"
#include "glazet/core/pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::Guarded;
using sensor::glazet::ModuleState;
using sensor::glazet::RunOutcome;
using sensor::glazet::State;

namespace {

constexpr std::int32_t kCandidateLimit = 65535;
constexpr const char* kCaption = "Sensor Package Defect Test";
constexpr const char* kTooManyNotice = "\nAbort: Sensor has too many defect candidates!!!";

// The search as the time line names it.
const char* SearchName(const RunOutcome& outcome) {
  if (outcome.BayerMode) {
    return outcome.LocalSearch ? "ScorePkgDfectsL_Bayer" : "ScorePkgDfectsG_Bayer";
  }
  return outcome.LocalSearch ? "ScorePkgDfectsL_Color" : "ScorePkgDfectsG_Color";
}

void ShowTooManyNotice(bool debug) {
  if (debug) {
    // Stands in for a modal notice: the run waits until the operator answers.
    std::printf("\n%s%s", kCaption, kTooManyNotice);
    sensor::WaitForKey();
  } else {
    std::printf("%s", kTooManyNotice);
  }
}

// Leaves what a run came to, as far as it came: the record's colour offset and
// the active bit depths, the search's lines, the painted picture and its
// file, the stop notice, the cluster count and the result record.
void TakeOutcome(const RunOutcome& outcome, const ModuleState& state, Glazet& object,
                 _RESULT_Glazet& result) {
  if (outcome.PlaneTaken) object.m_params.ColorPlane = outcome.ColorPlane;
  if (outcome.DepthsTaken) {
    object.ActiveSensorBpp = outcome.SensorBpp;
    object.ActiveTestBpp = outcome.TestBpp;
  }
  if (!outcome.Searched) return;
  std::printf("\nSensor Package defects : %ld", static_cast<long>(outcome.Candidates));
  std::printf("\n%s...%ld ticks", SearchName(outcome), static_cast<long>(outcome.Ticks));
  // The picture of the candidates is left for every search, also after a stop.
  const std::string mapFile = sensor::InOutputFolder(sensor::glazet::kDefectMapFileName);
  if (state.KeepPicture) {
    sensor::glazet::WriteDefectMapKeepingPicture(state.Binding, outcome.Map, mapFile);
  } else {
    sensor::glazet::PaintAndWriteDefectMap(state.Binding, outcome.Map, mapFile);
  }
  if (!outcome.Counted) return;
  if (outcome.TooMany) ShowTooManyNotice(state.Debug);
  object.m_result.numpackagefects = outcome.Clusters;
  if (outcome.TooMany) {
    std::printf("\nm_result.numpackagefects= %ld", static_cast<long>(object.m_result.numpackagefects));
  }
  result.numpackagefects = object.m_result.numpackagefects;
  std::printf("\nreturn result= %ld", static_cast<long>(result.numpackagefects));
}

// Keeps what get_Findings hands out; the blemishes are described when asked.
void KeepFindings(RunOutcome& outcome, ModuleState& state) noexcept {
  sensor::glazet::RunFindings& findings = state.Findings;
  findings.Ran = true;
  findings.Searched = outcome.Searched;
  findings.Counted = outcome.Counted;
  findings.TooMany = outcome.TooMany;
  findings.Width = state.Binding.Width;
  findings.Height = state.Binding.Height;
  findings.ScanArea = outcome.ScanArea;
  findings.RegionOfInterest = outcome.RegionOfInterest;
  findings.Candidates = outcome.Searched ? outcome.Candidates : 0;
  findings.Step = outcome.Step;
  findings.SizeLimit = outcome.SizeLimit;
}

FindingArea AreaOf(const sensor::Rect& rect) {
  return FindingArea{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

}  // namespace

std::int32_t Glazet::Open(int debug) {
  auto& state = State();
  m_params = _PARAMS_Glazet{};
  m_result = _RESULT_Glazet{};
  state.Debug = debug != 0;
  state.KeepPicture = false;
  state.CandidateLimit = kCandidateLimit;
  state.Findings = {};
  state.Open = true;
  return S_OK;
}

std::int32_t Glazet::Close() {
  auto& state = State();
  state.Open = false;
  state.Debug = false;
  state.Map.Release();
  return S_OK;
}

std::int32_t Glazet::Clean() { return Close(); }

std::int32_t Glazet::BindImage(unsigned char* header, unsigned char* pixels) {
  auto& state = State();
  if (!state.Open) return E_ABORT;
  return sensor::BindBitmap(header, pixels, state.Binding);
}

std::int32_t Glazet::Execute(_RESULT_Glazet& result, _PARAMS_Glazet params) {
  return Guarded([&]() -> std::int32_t {
    auto& state = State();
    if (!state.Open) return E_ABORT;
    m_params = params;
    state.Findings = {};
    RunOutcome outcome = sensor::glazet::Analyse(state, params);
    TakeOutcome(outcome, state, *this, result);
    KeepFindings(outcome, state);
    return outcome.Code;
  });
}

std::int32_t Glazet::get_ParameterSet(_PARAMS_Glazet& params) {
  if (!State().Open) return E_ABORT;
  params = m_params;
  return S_OK;
}

std::int32_t Glazet::get_Cluster(short /*index*/, std::int32_t* /*x*/, std::int32_t* /*y*/,
                                 std::int32_t* /*size*/) {
  // The library keeps no cluster table: nothing is written.
  return State().Open ? S_OK : E_ABORT;
}

std::int32_t Glazet::get_Ostrel(double* r, double* g, double* b, double* g1, double* g2) {
  const auto& state = State();
  if (!state.Open) return E_ABORT;
  sensor::HandOutLevels(state.Levels, r, g, b, g1, g2);
  return S_OK;
}

std::int32_t Glazet::set_OutputFolder(const char* folder) {
  return sensor::SetOutputFolder(folder);
}

std::int32_t Glazet::set_KeepPicture(int keep) {
  auto& state = State();
  if (!state.Open) return E_ABORT;
  state.KeepPicture = keep != 0;
  return S_OK;
}

std::int32_t Glazet::get_Findings(GlazetFindings& findings) {
  auto& state = State();
  if (!state.Open) return E_ABORT;
  findings = GlazetFindings{};
  sensor::glazet::RunFindings& last = state.Findings;
  if (!last.Ran) return S_OK;
  if (last.Counted && !last.TooMany && !last.Described) {
    const std::int32_t code = Guarded([&]() -> std::int32_t {
      sensor::glazet::DescribeCountedClusters(state.Map.Data(), last.Width, last.Height, last.Step,
                                              last.SizeLimit, last.Blemishes);
      return S_OK;
    });
    if (code != S_OK) {
      last.Blemishes.clear();
      return code;
    }
    last.Described = true;
  }
  findings.Ran = 1;
  findings.Searched = last.Searched ? 1 : 0;
  findings.Counted = last.Counted ? 1 : 0;
  findings.TooMany = last.TooMany ? 1 : 0;
  findings.Width = last.Width;
  findings.Height = last.Height;
  findings.ScanArea = AreaOf(last.ScanArea);
  findings.RegionOfInterest = AreaOf(last.RegionOfInterest);
  findings.Candidates = last.Candidates;
  findings.Blemishes = last.Blemishes.data();
  findings.BlemishCount = static_cast<std::int32_t>(last.Blemishes.size());
  return S_OK;
}

}  // namespace SensorDefectDetectionClass
