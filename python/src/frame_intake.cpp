#include "python/src/frame_intake.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace sensor::python {
namespace {

using sensordefect::PixelLayout;

constexpr const char* kFrameKinds =
    "a frame is a 2-D uint16 or uint8 array of Bayer samples, or an (H, W, 3) or (H, W, 4) uint8 colour array";

std::string ShapeText(const py::array& a) {
  std::string text = "(";
  for (py::ssize_t i = 0; i < a.ndim(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(a.shape(i));
  }
  return text + (a.ndim() == 1 ? ",)" : ")");
}

// Whether the view may point into the array as it is: each pixel's bytes (and
// each row's pixels) side by side, aligned, in host byte order, and rows that
// do not overlap.
std::string DtypeText(const py::dtype& dtype) {
  return py::str(py::handle(dtype)).cast<std::string>();
}

bool ViewableInPlace(const py::array& a, std::int64_t pixelBytes, std::int64_t width) {
  const auto flags = py::detail::array_proxy(a.ptr())->flags;
  if ((flags & py::detail::npy_api::NPY_ARRAY_ALIGNED_) == 0) return false;
  if (!a.dtype().attr("isnative").cast<bool>()) return false;
  const py::ssize_t height = a.shape(0);
  if (a.ndim() == 3 && a.strides(2) != 1) return false;
  if (width > 1 && a.strides(1) != pixelBytes) return false;
  if (height > 1) {
    const std::int64_t rowBytes = pixelBytes * width;
    const std::int64_t stride = a.strides(0);
    if (std::llabs(stride) < rowBytes) return false;
  }
  return true;
}

}  // namespace

bool IsBgrOrder(const std::string& channelOrder) {
  std::string lower;
  for (const char c : channelOrder) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "rgb") return false;
  if (lower == "bgr") return true;
  throw py::value_error("channel_order \"" + channelOrder + "\" is not known: give \"rgb\" or \"bgr\"");
}

Frame FrameOf(const py::handle& object, const std::string& channelOrder) {
  if (!py::isinstance<py::array>(object)) {
    throw py::type_error(std::string("the frame is a ") + Py_TYPE(object.ptr())->tp_name +
                         ", not a numpy array: " + kFrameKinds);
  }
  py::array a = py::reinterpret_borrow<py::array>(object);
  const py::dtype dtype = a.dtype();
  const char kind = dtype.kind();
  const py::ssize_t size = dtype.itemsize();
  const bool u8 = kind == 'u' && size == 1;
  const bool u16 = kind == 'u' && size == 2;
  if (!u8 && !u16) {
    throw py::type_error("the frame's dtype is " + DtypeText(dtype) + ": " + kFrameKinds);
  }

  PixelLayout layout;
  std::int64_t pixelBytes;
  if (a.ndim() == 2) {
    layout = u16 ? PixelLayout::Bayer16 : PixelLayout::Bayer8;
    pixelBytes = u16 ? 2 : 1;
  } else if (a.ndim() == 3 && (a.shape(2) == 3 || a.shape(2) == 4)) {
    if (!u8) {
      throw py::type_error("a colour frame " + ShapeText(a) + " must be uint8, not " +
                           DtypeText(dtype) + ": " + kFrameKinds);
    }
    const bool bgr = IsBgrOrder(channelOrder);
    pixelBytes = a.shape(2);
    layout = pixelBytes == 3 ? (bgr ? PixelLayout::Bgr24 : PixelLayout::Rgb24)
                             : (bgr ? PixelLayout::Bgra32 : PixelLayout::Rgba32);
  } else {
    throw py::value_error("the frame's shape is " + ShapeText(a) + ": " + kFrameKinds);
  }
  constexpr py::ssize_t kMaxSide = std::numeric_limits<std::int32_t>::max();
  if (a.shape(0) > kMaxSide || a.shape(1) > kMaxSide) {
    throw py::value_error("the frame " + ShapeText(a) + " has a side longer than 2^31 - 1 pixels");
  }
  const auto width = static_cast<std::int64_t>(a.shape(1));

  Frame frame;
  if (!ViewableInPlace(a, pixelBytes, width)) {
    // One copy, C-contiguous and in host byte order.
    const py::dtype native = u16 ? py::dtype::of<std::uint16_t>() : py::dtype::of<std::uint8_t>();
    a = py::module_::import("numpy").attr("ascontiguousarray")(a, native).cast<py::array>();
  }
  frame.View.Pixels = a.data();
  frame.View.Width = static_cast<std::int32_t>(width);
  frame.View.Height = static_cast<std::int32_t>(a.shape(0));
  frame.View.RowStride = a.shape(0) > 1 ? static_cast<std::int64_t>(a.strides(0)) : pixelBytes * width;
  frame.View.Layout = layout;
  frame.Keep = std::move(a);
  return frame;
}

}  // namespace sensor::python
