// The package library's row kernels: the division-free marks of the band
// scans' centred runs and the painting of the defect map. One table per
// vector set (common/kernels/vector_set.h); callers go through
// ActiveGlazetKernels().
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/kernels/common_kernels.h"
#include "common/kernels/kernel_tables.h"
#include "glazet/core/band_screens.h"

namespace sensor::glazet {

// A centred run of one row: the window sum of lattice index i is
// prefix[i + half + 1] - prefix[i - half], for i = index .. index + n - 1;
// the run's marks go to map[0], map[step], ... map[(n - 1) x step].
template <class Sum>
struct CentredRun {
  const Sum* Prefix;
  std::int64_t Index;
  std::int64_t Half;
};

template <class Sum>
using GlobalRunMarks = std::int64_t (*)(const CentredRun<Sum>& run, std::int64_t n, SumThresholds limits,
                                        std::uint8_t* __restrict map, std::int64_t step);

// The local screen's real type: float for 32-bit sums, double otherwise.
template <class Sum>
using ScreenReal = std::conditional_t<sizeof(Sum) == 4, float, double>;

template <class Sum>
using LocalRunMarks = std::int64_t (*)(const CentredRun<Sum>& inner, const CentredRun<Sum>& outer, std::int64_t n,
                                       RelativeScreen<ScreenReal<Sum>> screen, std::uint8_t* __restrict map,
                                       std::int64_t step, bool& unsure);

// One band's part of a local scan's row (MarkLocalRow32): the rows that enter
// and leave its column sums (either may be null), its column and prefix sums
// (window_band.h, prefix step 1), the lattice half width of its windows and
// the row that enters it next (null when there is none in the picture).
struct BandRowMove {
  const std::uint8_t* Enter;
  const std::uint8_t* Leave;
  std::uint32_t* Columns;
  std::uint32_t* Prefix;
  std::int64_t Half;
  const std::uint8_t* Next;
};

struct GlazetKernels {
  // Marks the run's windows whose sum lies outside the limits; returns the
  // candidates.
  ByLaneWidth<GlobalRunMarks> MarkGlobalRun;
  // Marks the pixels whose inner against outer window sums the screen finds
  // certainly outside; returns the candidates and sets `unsure` when the
  // screen was unsure of some pixel (left unmarked for the plain rule).
  ByLaneWidth<LocalRunMarks> MarkLocalRun;
  // A whole row of a local scan with 32-bit sums over `columns` lattice
  // columns: moves both bands (each of `values` of its rows), rebuilds their
  // prefix sums and marks the centred run of n pixels from lattice index
  // `index` as MarkLocalRun does.
  std::int64_t (*MarkLocalRow32)(const ColumnValues& values, std::int64_t columns, const BandRowMove& inner,
                                 const BandRowMove& outer, std::int64_t index, std::int64_t n,
                                 RelativeScreen<float> screen, std::uint8_t* __restrict map, std::int64_t step,
                                 bool& unsure);
  // Paints `width` pixels black where their mark is set, white elsewhere; a
  // 32-bit pixel keeps its fourth byte.
  void (*PaintRow)(std::uint8_t* __restrict pixels, const std::uint8_t* __restrict marks, std::size_t width,
                   int bytesPerPixel);
};

SENSOR_DECLARE_KERNEL_TABLES(GlazetKernels, kGlazetKernels)

// The table of the active vector set.
const GlazetKernels& ActiveGlazetKernels();

}  // namespace sensor::glazet
