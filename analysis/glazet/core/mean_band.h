// The band a window mean must stay in, and the window mean itself.
//
// A pixel is a candidate when its window mean lies outside the band; a mean
// equal to a bound is inside. All arithmetic is plain double evaluation in the
// written order, so that results are the same on every build.
#pragma once

#include <cstdint>

namespace sensor::glazet {

// Mean of a window: the exact sum over the number of samples, 0 for no sample.
inline double WindowMean(std::uint64_t sum, std::int64_t count) {
  if (count == 0) return 0.0;
  return static_cast<double>(sum) / static_cast<double>(count);
}

// Band around a fixed reference (the global searches).
struct FixedBand {
  double Low = 0.0;
  double High = 0.0;

  static FixedBand Around(double reference, double percent) {
    return FixedBand{((100.0 - percent) / 100.0) * reference,
                     ((percent + 100.0) / 100.0) * reference};
  }
  bool Outside(double mean) const { return mean < Low || mean > High; }
};

// Band around the mean of a larger window (the local searches).
struct RelativeBand {
  double LowFactor = 0.0;
  double HighFactor = 0.0;

  static RelativeBand For(double percent) {
    return RelativeBand{(100.0 - percent) / 100.0, (percent + 100.0) / 100.0};
  }
  bool Outside(double inner, double outer) const {
    return inner < outer * LowFactor || inner > outer * HighFactor;
  }
};

}  // namespace sensor::glazet
