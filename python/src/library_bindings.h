// The parts of the module: one submodule per library, the verdicts shared by
// the three, and the picture reader.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "python/src/binding_support.h"

namespace sensor::python {

namespace py = pybind11;

inline constexpr const char* kAnalyseDoc =
    R"(Analyses one frame and returns a Result.

frame: a 2-D uint16 or uint8 numpy array of Bayer samples (at most
  2**sensor_bpp - 1), an (H, W, 3) or (H, W, 4) uint8 colour array, or a
  picture of sensordefect.read_picture. Contiguous arrays are not copied.
params: the run's Params (default: Params()).
threads: threads this call may use; None or 0 is the process default
  (SENSOR_THREADS, else every processor the process may use).
channel_order: "rgb" (numpy imaging libraries) or "bgr" (OpenCV, the
  station's bitmaps) for colour arrays.

The interpreter lock is released while the analysis runs. Raises TypeError
for an array of another type, ValueError for another shape or what the library
refuses (depth, CFA phase, parameters), with the library's message.)";

inline constexpr const char* kJudgeDoc =
    R"(Judges a result against a limits file as the program does.

Gives Verdicts: the entries in judging order with the labels, units and limits
of the file and the values of the result, and the status, code and message
that the program's status file would hold. Raises OSError when the limits
file cannot be read whole (the program refuses to run then).)";

inline constexpr const char* kAnalyserDoc =
    R"(An analyser that keeps its working memory for repeated calls.

One call at a time per analyser: give each thread an analyser of its own.
analyse(frame, params=Params(), threads=None, channel_order="rgb") as the
module's analyse function.)";

template <class Handle, class Params>
void BindAnalyser(py::module_& m, const char* library) {
  using namespace pybind11::literals;
  py::class_<Handle>(m, "Analyser", kAnalyserDoc)
      .def(py::init<>())
      .def("analyse", &Handle::Analyse, "frame"_a, py::arg_v("params", Params{}, "Params()"), "threads"_a = py::none(),
           "channel_order"_a = "rgb", kAnalyseDoc)
      .def("__repr__", [library](const Handle&) { return std::string(library) + " analyser"; });
}

void BindWaferon(py::module_& m);
void BindGlazet(py::module_& m);
void BindOstrel(py::module_& m);
void BindPictures(py::module_& m);

}  // namespace sensor::python
