// What one analysis of the package library works on: the bound picture, the
// defect map and the level statistics. The station keeps one per process
// (station/module_state.h); each in-memory analyser owns one. A run leaves
// the defect map and the level statistics for the getters and the next run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/image_binding.h"
#include "common/levels.h"
#include "common/rect.h"
#include "glazet/core/band_scratch.h"

namespace sensor::glazet {

// One byte per pixel of the bound picture, row by row from the top row, column
// 0 first: 0 for no candidate; 1 for a candidate, 2 once the cluster count has
// taken it into a region.
class DefectMap {
 public:
  // Makes a map of width x height zeroed bytes: a new one in the place of the
  // old, or the old one itself when it has that size already. False (and no
  // map) when the memory cannot be had. A large new map comes zeroed from the
  // kernel (common/large_pages.h); a reused one is zeroed here.
  bool Allocate(std::int32_t width, std::int32_t height);
  void Release();

  std::uint8_t* Data() { return bytes_.get(); }

 private:
  void Zero(std::int32_t width, std::int32_t height);

  struct Free {
    std::size_t Bytes;  // what was allocated
    bool Mapped;        // straight from the kernel (MapZeroedBlock)
    void operator()(std::uint8_t* bytes) const;
  };
  std::unique_ptr<std::uint8_t[], Free> bytes_;
  std::size_t size_ = 0;
};

// What the analysis works on and leaves for the getters and the next run.
struct WorkingState {
  ImageBinding Binding;        // kept until the next successful BindImage, across Close
  std::int32_t CandidateLimit = 0;  // 65535 from Open on
  DefectMap Map;
  LevelSet Levels{};           // statistics of the last run that computed them
  // The searches' column sums, kept for the next run when KeepScratch is set
  // (the in-memory analysers); otherwise each search makes its own.
  bool KeepScratch = false;
  BandScratch Scratch;
};

}  // namespace sensor::glazet
