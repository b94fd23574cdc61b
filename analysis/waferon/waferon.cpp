// The exported class of the chip library: lifecycle, binding, table size,
// the getters and Execute. Every member answers with a result code; no
// exception leaves the library.
#include "sensordefect/Waferon.h"

#include <array>
#include <cstring>
#include <new>

#include "common/image_binding.h"
#include "common/output_folder.h"
#include "module_state.h"
#include "pipeline.h"

namespace SensorDefectDetectionClass {

using sensor::waferon::ModuleState;
using sensor::waferon::ResultTable;
using sensor::waferon::State;

namespace {

// Runs a member body, turning a failed allocation into E_OUTOFMEMORY and any
// other exception into E_FAIL.
template <class Body>
std::int32_t Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

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

}  // namespace

std::int32_t Waferon::Open(int flag) {
  ModuleState& state = State();
  ActiveSensorBpp = 0;
  ActiveTestBpp = 0;
  std::memset(&Results, 0, sizeof Results);
  Params = DefaultParams();
  state.ReleaseTables();
  state.TableSize = sensor::waferon::kDefaultTableSize;
  state.CandidateLimit = sensor::waferon::kDefaultCandidateLimit;
  state.DebugFlag = flag;
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
  double* outputs[5] = {r, g, b, g1, g2};
  for (std::size_t i = 0; i < 5; ++i) {
    if (outputs[i] != nullptr) *outputs[i] = state.Levels[i];
  }
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
    if (!State().Open) return E_ABORT;
    Params = params;
    const std::array<bool, 5> enabled{enableR != 0, enableG != 0, enableB != 0, enableG1 != 0,
                                      enableG2 != 0};
    return sensor::waferon::RunAnalysis(*this, result, enabled);
  });
}

std::int32_t Waferon::set_OutputFolder(const char* folder) {
  return sensor::SetOutputFolder(folder);
}

}  // namespace SensorDefectDetectionClass
