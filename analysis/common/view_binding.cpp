#include "common/view_binding.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "common/guarded.h"
#include "common/parallel_rows.h"

namespace sensor {
namespace {

using sensordefect::ImageView;
using sensordefect::PixelLayout;
using sensordefect::RunStatus;
using namespace SensorDefectDetectionClass;

const char* LayoutName(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::Bgr24: return "Bgr24";
    case PixelLayout::Bgra32: return "Bgra32";
    case PixelLayout::Rgb24: return "Rgb24";
    case PixelLayout::Rgba32: return "Rgba32";
    case PixelLayout::Bayer8: return "Bayer8";
    case PixelLayout::Bayer16: return "Bayer16";
  }
  return "?";
}

bool IsBayerLayout(PixelLayout layout) {
  return layout == PixelLayout::Bayer8 || layout == PixelLayout::Bayer16;
}
bool IsRgbLayout(PixelLayout layout) {
  return layout == PixelLayout::Rgb24 || layout == PixelLayout::Rgba32;
}

// The view's shape; an empty message when it is sound.
std::string ShapeProblem(const ImageView& view) {
  const std::int32_t bytes = sensordefect::BytesPerPixel(view.Layout);
  if (bytes == 0) {
    return "the view's layout " + std::to_string(static_cast<std::int32_t>(view.Layout)) +
           " is not a PixelLayout: use Bgr24, Bgra32, Rgb24, Rgba32, Bayer8 or Bayer16";
  }
  if (view.Pixels == nullptr) return "the view has no pixels (Pixels is null): point it at the picture's top row";
  if (view.Width <= 0 || view.Height <= 0) {
    return "the view is " + std::to_string(view.Width) + " x " + std::to_string(view.Height) +
           " pixels: give a width and height of 1 or more";
  }
  const std::int64_t rowBytes = std::int64_t{view.Width} * bytes;
  const std::int64_t stride = view.RowStride;
  if (stride == std::numeric_limits<std::int64_t>::min() || (stride < 0 ? -stride : stride) < rowBytes) {
    return "the view's row stride " + std::to_string(stride) + " is shorter than a row of " +
           std::to_string(rowBytes) + " bytes: give the distance between rows in bytes (negative for bottom-up)";
  }
  if ((stride < 0 ? -stride : stride) > std::numeric_limits<std::int32_t>::max()) {
    return "the view's row stride " + std::to_string(stride) +
           " is beyond 2^31 - 1 bytes: give rows no further apart than that";
  }
  return {};
}

std::string ModeProblem(const ImageView& view, const ViewMode& mode) {
  if (mode.Bayer && IsRgbLayout(view.Layout)) {
    return std::string("a ") + LayoutName(view.Layout) +
           " view holds colour pixels, not Bayer samples: set BayerMode false, or give a Bayer8, Bayer16, "
           "Bgr24 or Bgra32 view";
  }
  if (!mode.Bayer && IsBayerLayout(view.Layout)) {
    return std::string("a ") + LayoutName(view.Layout) +
           " view holds Bayer samples, which colour mode cannot read: set BayerMode true";
  }
  return {};
}

// The sample of a single-sample view at (x, y).
std::uint32_t SampleAt(const ImageView& view, std::int32_t x, std::int32_t y) {
  const auto* row = static_cast<const std::uint8_t*>(view.Pixels) + y * view.RowStride;
  if (view.Layout == PixelLayout::Bayer8) return row[x];
  std::uint16_t v;
  std::memcpy(&v, row + 2 * std::int64_t{x}, sizeof v);
  return v;
}

// Converts rows first .. last - 1 of `view` into 32-bit station pixels;
// returns the first row holding a sample above `maxSample`, or -1.
std::int64_t ConvertRows(const ImageView& view, std::uint32_t shift, std::uint32_t maxSample,
                         std::uint32_t* out, std::int64_t first, std::int64_t last) {
  const std::size_t width = static_cast<std::size_t>(view.Width);
  const std::uint32_t low = (1u << shift) - 1;
  for (std::int64_t y = first; y < last; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(view.Pixels) + y * view.RowStride;
    std::uint32_t* to = out + static_cast<std::size_t>(y) * width;
    std::uint32_t any = 0;
    switch (view.Layout) {
      case PixelLayout::Rgb24:
        for (std::size_t x = 0; x < width; ++x) {
          const std::uint8_t* p = row + 3 * x;
          to[x] = std::uint32_t{p[2]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[0]} << 16;
        }
        break;
      case PixelLayout::Rgba32:
        for (std::size_t x = 0; x < width; ++x) {
          const std::uint8_t* p = row + 4 * x;
          to[x] = std::uint32_t{p[2]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[0]} << 16;
        }
        break;
      case PixelLayout::Bayer8:
        for (std::size_t x = 0; x < width; ++x) {
          const std::uint32_t v = row[x];
          any |= v;
          to[x] = (v >> shift) | (v & low) << 8;
        }
        break;
      default:  // Bayer16
        for (std::size_t x = 0; x < width; ++x) {
          std::uint16_t sample;
          std::memcpy(&sample, row + 2 * x, sizeof sample);
          const std::uint32_t v = sample;
          any |= v;
          to[x] = (v >> shift) | (v & low) << 8;
        }
        break;
    }
    // Any bit above the depth's top bit marks a sample above the largest.
    if ((any & ~maxSample) != 0) return y;
  }
  return -1;
}

RunStatus Convert(const ImageView& view, const ViewMode& mode, ConvertedPixels& memory, ImageBinding& binding) {
  const std::size_t width = static_cast<std::size_t>(view.Width);
  const std::size_t height = static_cast<std::size_t>(view.Height);
  std::size_t count = 0;
  if (__builtin_mul_overflow(width, height, &count) || count > memory.max_size()) {
    return RunStatus{E_OUTOFMEMORY, "the picture is too large to convert: give a Bgra32 or Bgr24 view"};
  }
  memory.resize(count);
  const bool bayer = IsBayerLayout(view.Layout);
  const std::uint32_t shift = bayer ? static_cast<std::uint32_t>(mode.SensorBpp - 8) : 0;
  const std::uint32_t maxSample =
      bayer ? (view.Layout == PixelLayout::Bayer8 ? std::min(255u, (1u << mode.SensorBpp) - 1)
                                                  : (1u << mode.SensorBpp) - 1)
            : ~0u;
  std::uint32_t* out = memory.data();
  const int parts = PartsFor(view.Height, view.Width);
  std::vector<std::int64_t> firstBad(static_cast<std::size_t>(parts), -1);
  RethrowFirst(RunParts(parts, [&](int part) {
    firstBad[static_cast<std::size_t>(part)] =
        ConvertRows(view, shift, maxSample, out, PartStart(0, view.Height, part, parts),
                    PartStart(0, view.Height, part + 1, parts));
  }));
  for (const std::int64_t y : firstBad) {
    if (y < 0) continue;
    std::int32_t x = 0;
    while (x < view.Width && SampleAt(view, x, static_cast<std::int32_t>(y)) <= maxSample) ++x;
    return Refused("the sample " + std::to_string(SampleAt(view, x, static_cast<std::int32_t>(y))) +
                   " at column " + std::to_string(x) + ", row " + std::to_string(y) + " is above " +
                   std::to_string(maxSample) + ", the largest sample at a sensor depth of " +
                   std::to_string(mode.SensorBpp) + " bits: give SensorBpp the depth of the frame's samples");
  }
  binding = ImageBinding{};
  binding.Width = view.Width;
  binding.Height = view.Height;
  binding.BitCount = 32;
  binding.BytesPerPixel = 4;
  binding.Pixels = reinterpret_cast<std::uint8_t*>(out);
  binding.Stride = static_cast<std::uint32_t>(width * 4);
  binding.RowStep = static_cast<std::int32_t>(width * 4);
  binding.Origin = binding.Pixels;
  return {};
}

}  // namespace

RunStatus Refused(std::string message) { return RunStatus{E_INVALIDARG, std::move(message)}; }

RunStatus CancelledStatus() { return RunStatus{E_ABORT, "cancelled"}; }

RunStatus StatusOfCode(ResultCode code) {
  switch (code) {
    case S_OK: return {};
    case E_OUTOFMEMORY:
      return RunStatus{code, "the analysis ran out of memory: free memory or give a smaller picture"};
    case E_POINTER:
      return RunStatus{code, "the defect map's memory could not be had: free memory or give a smaller picture"};
    case E_INVALIDARG: return RunStatus{code, "the parameters were refused: check them against their ranges"};
    default: return RunStatus{code, "the analysis failed unexpectedly: report the picture and parameters"};
  }
}

void SetFailure(RunStatus& status, ResultCode code) noexcept {
  try {
    status = StatusOfCode(code);
  } catch (...) {
    status.Code = code;
    status.Message.clear();
  }
}

RunStatus BindView(const ImageView& view, const ViewMode& mode, ConvertedPixels& memory,
                   ImageBinding& binding) noexcept {
  std::string problem = ShapeProblem(view);
  if (problem.empty()) problem = ModeProblem(view, mode);
  if (!problem.empty()) return Refused(std::move(problem));
  if (view.Layout == PixelLayout::Bgr24 || view.Layout == PixelLayout::Bgra32) {
    const std::int32_t bytes = sensordefect::BytesPerPixel(view.Layout);
    ImageBinding b;
    b.Width = view.Width;
    b.Height = view.Height;
    b.BitCount = static_cast<std::uint16_t>(8 * bytes);
    b.BytesPerPixel = bytes;
    // The analyses read the pixels only; the station's painting never reaches a view.
    b.Origin = const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(view.Pixels));
    b.RowStep = static_cast<std::int32_t>(view.RowStride);
    b.Stride = static_cast<std::uint32_t>(view.RowStride < 0 ? -view.RowStride : view.RowStride);
    b.Pixels = view.RowStride < 0 ? b.Origin + std::int64_t{view.Height - 1} * view.RowStride : b.Origin;
    binding = b;
    return {};
  }
  RunStatus status;
  const ResultCode code = Guarded([&] {
    status = Convert(view, mode, memory, binding);
    return S_OK;
  });
  return code == S_OK ? status : StatusOfCode(code);
}

}  // namespace sensor
