#include "python/src/binding_support.h"

#include "frontend/products/json_report.h"
#include "frontend/station/status_file.h"

namespace sensor::python {

using namespace SensorDefectDetectionClass;

py::dtype RecordDtype(const std::vector<RecordField>& fields, std::size_t itemSize) {
  py::list names, formats, offsets;
  for (const RecordField& f : fields) {
    names.append(f.Name);
    formats.append(f.Format);
    offsets.append(f.Offset);
  }
  py::dict layout;
  layout["names"] = names;
  layout["formats"] = formats;
  layout["offsets"] = offsets;
  layout["itemsize"] = itemSize;
  return py::dtype::from_args(layout);
}

py::tuple AreaTuple(const sensordefect::Area& area) {
  return py::make_tuple(area.Left, area.Top, area.Right, area.Bottom);
}

py::tuple LevelTuple(const sensordefect::LevelValues& levels) {
  return py::make_tuple(levels[0], levels[1], levels[2], levels[3], levels[4]);
}

frontend::FindingBox BoxOf(const sensordefect::Area& area) {
  return frontend::FindingBox{area.Left, area.Top, area.Right, area.Bottom};
}

py::object FindingsDict(const frontend::StationFindings& findings) {
  return py::module_::import("json").attr("loads")(frontend::FormatJsonFindings(findings));
}

sensordefect::RunOptions OptionsOf(const py::object& threads) {
  sensordefect::RunOptions options;
  if (threads.is_none()) return options;
  if (!py::isinstance<py::int_>(threads) || py::isinstance<py::bool_>(threads)) {
    throw py::type_error("threads is a whole number (0 or None: the process default)");
  }
  const long long count = threads.cast<long long>();
  if (count < 0 || count > 4096) {
    throw py::value_error("threads is " + std::to_string(count) +
                          ": give 1 to 4096, or 0 or None for the process default");
  }
  options.Threads = static_cast<std::int32_t>(count);
  return options;
}

void RaiseForStatus(const sensordefect::RunStatus& status) {
  if (status.Code == E_INVALIDARG || status.Code == E_POINTER) throw py::value_error(status.Message);
  if (status.Code == E_OUTOFMEMORY) {
    PyErr_SetString(PyExc_MemoryError, status.Message.c_str());
    throw py::error_already_set();
  }
}

Frame FrameArgument(const py::object& frame, const std::string& channelOrder) {
  if (py::hasattr(frame, "frame") && py::hasattr(frame, "channel_order") && !py::isinstance<py::array>(frame)) {
    const py::object order = frame.attr("channel_order");
    return FrameOf(frame.attr("frame"), order.is_none() ? channelOrder : order.cast<std::string>());
  }
  return FrameOf(frame, channelOrder);
}

Judgement JudgeAgainstLimits(const std::string& path, const frontend::LimitsRules& rules,
                             frontend::VerdictTable table, std::int32_t code,
                             const std::function<void(frontend::VerdictTable&)>& fill) {
  if (!frontend::ReadTestLimits(path, rules, table)) {
    std::string sections;
    for (const std::string& s : rules.Sections) sections += (sections.empty() ? "" : ", ") + s;
    PyErr_SetString(PyExc_OSError, ("the limits file \"" + path +
                                     "\" cannot be read whole: it must exist and hold the sections " + sections +
                                     ", each with Header, Unit, HighLimit and LowLimit lines")
                                        .c_str());
    throw py::error_already_set();
  }
  fill(table);
  Judgement judgement;
  std::string failing;
  if (frontend::JudgeResults(table, failing) && code == S_OK) code = E_FAIL;
  judgement.Code = code;
  judgement.Status = code != S_OK ? 1 : 0;
  judgement.Message = failing.empty() ? std::string(frontend::ResultText(code)) : failing;
  for (const frontend::VerdictEntry& e : table) {
    Verdict v;
    v.Label = e.Label;
    v.Unit = e.Unit;
    v.Low = e.Low;
    v.High = e.High;
    v.Value = e.Kind == frontend::ValueKind::Count ? py::object(py::int_(e.Count())) : py::object(py::float_(e.Value));
    v.Text = e.FormatValue();
    v.Passed = !e.Fails();
    judgement.Entries.push_back(std::move(v));
  }
  return judgement;
}

std::string PathText(const py::object& path) {
  const py::object text = py::module_::import("os").attr("fspath")(path);
  if (!py::isinstance<py::str>(text)) throw py::type_error("a path is a str or os.PathLike of str");
  return text.cast<std::string>();
}

void ReadProgramSettings(const std::string& path, const std::vector<frontend::SettingsKey>& keys) {
  if (!frontend::ReadSettingsFile(path, keys)) {
    PyErr_SetString(PyExc_OSError, ("the settings file \"" + path + "\" cannot be read").c_str());
    throw py::error_already_set();
  }
}

}  // namespace sensor::python
