// A numpy array seen as the analyses' image view: which arrays are frames,
// which layout each becomes, and when the pixels must be copied first.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

#include "sensordefect/ImageView.h"

namespace sensor::python {

namespace py = pybind11;

// The view of a frame and the array its pixels live in (the caller's array,
// or one copy of it), which must be kept while the view is used.
struct Frame {
  sensordefect::ImageView View;
  py::object Keep;
};

// The order of the three colour bytes of an (H, W, 3|4) frame: "rgb" or
// "bgr" (either case). Other texts raise ValueError.
bool IsBgrOrder(const std::string& channelOrder);

// 2-D uint8 / uint16 arrays become Bayer8 / Bayer16 views, (H, W, 3) and
// (H, W, 4) uint8 arrays colour views in the given channel order. The view
// points into the array when each row's pixels lie side by side in memory,
// aligned and in host byte order, and rows do not overlap; any other array of
// an accepted type and shape is copied once into a contiguous array. Raises
// TypeError for another type or dtype, ValueError for another shape.
Frame FrameOf(const py::handle& array, const std::string& channelOrder);

}  // namespace sensor::python
