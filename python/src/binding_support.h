// What the three libraries' bindings share: parameter fields as attributes,
// result tables as numpy arrays that keep the result alive, the call with the
// interpreter lock released, and the verdicts of a limits file.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frontend/station/command_line.h"
#include "frontend/station/limits_file.h"
#include "frontend/products/run_findings.h"
#include "frontend/station/verdict_table.h"
#include "python/src/frame_intake.h"
#include "sensordefect/ImageView.h"

namespace sensor::python {

namespace py = pybind11;

// ---- Parameter records ------------------------------------------------------

// The attribute names of a bound parameter class, in declaration order, for
// its repr, equality, pickling and keyword constructor.
template <class P>
std::vector<std::string>& FieldNames() {
  static std::vector<std::string> names;
  return names;
}

template <class P, class T>
void Field(py::class_<P>& cls, const char* name, T P::*member, const char* doc) {
  cls.def_readwrite(name, member, doc);
  FieldNames<P>().push_back(name);
}

// A field of five values (one per colour R, G, B, G1, G2), read as a tuple and
// set from any sequence of five.
template <class P, class T>
void FiveField(py::class_<P>& cls, const char* name, T (P::*member)[5], const char* doc) {
  cls.def_property(
      name,
      [member](const P& p) {
        const T(&v)[5] = p.*member;
        return py::make_tuple(v[0], v[1], v[2], v[3], v[4]);
      },
      [member](P& p, const std::array<T, 5>& values) {
        for (std::size_t i = 0; i < 5; ++i) (p.*member)[i] = values[i];
      },
      doc);
  FieldNames<P>().push_back(name);
}

// Keyword constructor, repr, equality and pickling from the recorded fields.
template <class P>
void ParamsProtocol(py::class_<P>& cls, const char* qualifiedName) {
  const std::string qualified = qualifiedName;
  cls.def(py::init([qualified](const py::kwargs& fields) {
            py::object object = py::cast(P{});
            const std::vector<std::string>& names = FieldNames<P>();
            for (const auto& item : fields) {
              const std::string name = py::str(item.first);
              if (std::find(names.begin(), names.end(), name) == names.end()) {
                throw py::type_error(qualified + " has no field \"" + name + "\"; its fields are listed by help(" +
                                     qualified + ")");
              }
              py::setattr(object, item.first, item.second);
            }
            return object.cast<P>();
          }),
          "Parameters with the documented defaults, changed by keyword: Params(sensor_bpp=12, ...).");
  cls.def("__repr__", [qualified](const py::object& self) {
    std::string text = qualified + "(";
    bool first = true;
    for (const std::string& name : FieldNames<P>()) {
      if (!first) text += ", ";
      first = false;
      text += name + "=" + py::repr(self.attr(name.c_str())).cast<std::string>();
    }
    return text + ")";
  });
  cls.def("__eq__", [](const py::object& self, const py::object& other) {
    if (!py::isinstance<P>(other)) return false;
    for (const std::string& name : FieldNames<P>()) {
      if (!self.attr(name.c_str()).equal(other.attr(name.c_str()))) return false;
    }
    return true;
  });
  cls.attr("__hash__") = py::none();
  cls.def(py::pickle(
      [](const py::object& self) {
        py::dict state;
        for (const std::string& name : FieldNames<P>()) state[name.c_str()] = self.attr(name.c_str());
        return state;
      },
      [](const py::dict& state) {
        py::object object = py::cast(P{});
        for (const auto& item : state) py::setattr(object, item.first, item.second);
        return object.cast<P>();
      }));
}

// ---- Result tables ------------------------------------------------------------

struct RecordField {
  const char* Name;
  const char* Format;  // numpy type code: "i4", "i8", "f8", "?"
  std::size_t Offset;
};

// The structured dtype of records of `itemSize` bytes with the given fields.
py::dtype RecordDtype(const std::vector<RecordField>& fields, std::size_t itemSize);

// A read-only array over memory that `owner` keeps alive (no copy).
template <class Owner>
py::array OwnedArray(const py::dtype& dtype, std::vector<py::ssize_t> shape, const void* data,
                     const std::shared_ptr<Owner>& owner) {
  auto* keep = new std::shared_ptr<const void>(owner);
  py::capsule base(keep, [](void* p) { delete static_cast<std::shared_ptr<const void>*>(p); });
  py::array array(dtype, std::move(shape), {}, data, base);
  py::detail::array_proxy(array.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return array;
}

template <class T, class Owner>
py::array TableArray(const py::dtype& dtype, const std::vector<T>& records, const std::shared_ptr<Owner>& owner) {
  return OwnedArray(dtype, {static_cast<py::ssize_t>(records.size())}, records.data(), owner);
}

py::tuple AreaTuple(const sensordefect::Area& area);
py::tuple LevelTuple(const sensordefect::LevelValues& levels);
frontend::FindingBox BoxOf(const sensordefect::Area& area);

// The findings section of the programs' JSON report as a Python dict.
py::object FindingsDict(const frontend::StationFindings& findings);

// ---- Calls --------------------------------------------------------------------

// The options of one call: threads None or 0 is the process default.
sensordefect::RunOptions OptionsOf(const py::object& threads);

// Raises for a status that means the call was given something it cannot
// analyse: ValueError (bad frame or parameters), MemoryError. Other statuses
// stay on the result.
void RaiseForStatus(const sensordefect::RunStatus& status);

// A frame given as a numpy array or as a picture of read_picture, whose
// channel order then decides.
Frame FrameArgument(const py::object& frame, const std::string& channelOrder);

// An analyser as Python holds it: one call at a time, the result of the last
// call kept so that its memory is reused when Python no longer holds it.
template <class Analyser, class Params, class Result>
class AnalyserHandle {
 public:
  std::shared_ptr<Result> Analyse(const py::object& frameObject, const Params& params, const py::object& threads,
                                  const std::string& channelOrder) {
    const Frame frame = FrameArgument(frameObject, channelOrder);
    const sensordefect::RunOptions options = OptionsOf(threads);
    std::unique_lock<std::mutex> lock(busy_, std::try_to_lock);
    if (!lock.owns_lock()) {
      throw py::value_error("this analyser is running in another thread; give each thread an analyser of its own");
    }
    std::shared_ptr<Result> result =
        last_ != nullptr && last_.use_count() == 1 ? std::move(last_) : std::make_shared<Result>();
    {
      py::gil_scoped_release released;
      analyser_.Run(frame.View, params, options, *result);
    }
    RaiseForStatus(result->Status);
    last_ = result;
    return result;
  }

 private:
  Analyser analyser_;
  std::shared_ptr<Result> last_;
  std::mutex busy_;
};

// One call on a fresh analyser.
template <class Analyser, class Params, class Result>
std::shared_ptr<Result> AnalyseOnce(const py::object& frame, const Params& params, const py::object& threads,
                                    const std::string& channelOrder) {
  AnalyserHandle<Analyser, Params, Result> handle;
  return handle.Analyse(frame, params, threads, channelOrder);
}

// ---- Verdicts -----------------------------------------------------------------

struct Verdict {
  std::string Label;
  std::string Unit;
  std::int32_t Low = 0;
  std::int32_t High = 0;
  py::object Value;    // an int for a count, a float for a level
  std::string Text;    // the value as the status file writes it
  bool Passed = true;
};

struct Judgement {
  std::vector<Verdict> Entries;
  std::int32_t Code = 0;  // the run's code, E_FAIL when a value failed
  int Status = 0;         // the status file's status: 0 passed, 1 failed
  std::string Message;    // the failing values, else the code's text
  bool Passed() const { return Status == 0; }
};

// Reads the limits file by the program's rules into its verdict table and
// judges the values `fill` sets, as the program does after a run with the
// given result code. Raises OSError when the file cannot be read whole.
Judgement JudgeAgainstLimits(const std::string& path, const frontend::LimitsRules& rules,
                             frontend::VerdictTable table, std::int32_t code,
                             const std::function<void(frontend::VerdictTable&)>& fill);

// A path given as str or os.PathLike.
std::string PathText(const py::object& path);

// Reads a settings file through a program's keys; raises OSError when it
// cannot be read.
void ReadProgramSettings(const std::string& path, const std::vector<frontend::SettingsKey>& keys);

}  // namespace sensor::python
