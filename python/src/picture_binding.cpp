// sensordefect.read_picture: a picture file, or its bytes, read by the
// programs' own readers (picture_loader.h) and handed over as a numpy frame.
// The file is read into memory here, never mapped: no signal handler in the
// interpreter.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "frontend/common/regular_file.h"
#include "frontend/pictures/packed_raw_reader.h"
#include "frontend/pictures/picture_loader.h"
#include "python/src/binding_support.h"
#include "python/src/library_bindings.h"

namespace sensor::python {
namespace {

using namespace pybind11::literals;

struct Picture {
  py::object Frame;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  int BitCount = 0;          // of the bitmap the programs analyse
  py::object ChannelOrder;   // "bgr" for bitmap pixels, None for samples
  bool Samples = false;      // a 2-D array of raw samples
  int SensorBpp = 0;
  bool TopRowFirst = false;  // as the file stores it
};

std::int32_t ReadI32(const unsigned char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return static_cast<std::int32_t>(v);
}

// The whole of a regular file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  const frontend::FileHandle file = frontend::OpenRegularFile(path);
  struct stat info {};
  if (!file || fstat(fileno(file.get()), &info) != 0) return false;
  bytes.resize(static_cast<std::size_t>(info.st_size));
  return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() && std::fgetc(file.get()) == EOF;
}

[[noreturn]] void RaiseOs(const std::string& text) {
  PyErr_SetString(PyExc_OSError, text.c_str());
  throw py::error_already_set();
}

Picture ReadPictureFile(const py::object& source, const py::object& rawLayout, const py::object& params) {
  frontend::PictureRequest request{true, 10};
  if (!params.is_none()) {
    if (!py::hasattr(params, "bayer_mode") || !py::hasattr(params, "sensor_bpp")) {
      throw py::type_error("params is the Params of waferon, glazet or ostrel (its bayer_mode and sensor_bpp say how "
                           "raw samples are read), or None for Bayer samples of 10 bits");
    }
    request.BayerMode = params.attr("bayer_mode").cast<bool>();
    request.SensorBpp = params.attr("sensor_bpp").cast<std::int32_t>();
  }
  if (!rawLayout.is_none()) request.RawLayout = rawLayout.cast<std::string>();

  // The bytes: a bytes-like object as it is, or the file's, read here.
  std::string path;
  std::vector<unsigned char> read;
  frontend::FileBytes bytes;
  std::optional<py::buffer_info> held;
  if (PyObject_CheckBuffer(source.ptr()) != 0) {
    held = source.cast<py::buffer>().request();
    path = "given as " + std::to_string(held->size * held->itemsize) + " bytes";
    bytes = frontend::FileBytes(static_cast<const unsigned char*>(held->ptr),
                                static_cast<std::size_t>(held->size * held->itemsize));
  } else {
    path = PathText(source);
    bool readable = false;
    {
      py::gil_scoped_release released;
      readable = ReadWholeFile(path, read);
    }
    if (!readable) {
      read.clear();  // read as no picture at all
      if (request.RawLayout && frontend::ParseRawLayout(request.RawLayout->c_str())) {
        throw py::value_error("the picture " + path + " is not loaded: the raw frame " + path + " cannot be read");
      }
    }
    bytes = frontend::FileBytes(read.data(), read.size());
  }

  frontend::LoadProblem problem;
  std::optional<frontend::Picture> loaded;
  {
    py::gil_scoped_release released;
    loaded = frontend::ReadPictureBytes(bytes, request, problem);
  }
  if (!loaded) {
    if (!problem.empty()) throw py::value_error("the picture " + path + " is not loaded: " + problem);
    RaiseOs("the picture " + path +
            " cannot be loaded: it is missing, unreadable, or no bitmap, PGM, TIFF or DNG file (a headerless raw "
            "frame needs raw_layout)");
  }
  const std::vector<unsigned char>& header = loaded->Header;
  const std::int32_t width = ReadI32(header.data() + 4);
  const std::int32_t storedHeight = ReadI32(header.data() + 8);
  const int bitCount = header[14] | (header[15] << 8);
  if (width <= 0 || storedHeight == 0 || storedHeight == INT32_MIN || (bitCount != 24 && bitCount != 32)) {
    throw py::value_error("the picture " + path + " is a " + std::to_string(bitCount) +
                          "-bit bitmap of width " + std::to_string(width) + " and height " +
                          std::to_string(storedHeight) + ": the analyses take 24- and 32-bit pictures");
  }
  Picture picture;
  picture.Width = width;
  picture.Height = storedHeight < 0 ? -storedHeight : storedHeight;
  picture.BitCount = bitCount;
  picture.TopRowFirst = storedHeight < 0;
  picture.SensorBpp = request.SensorBpp;
  const std::int64_t pixelBytes = bitCount / 8;
  const std::int64_t stride = (static_cast<std::int64_t>(bitCount) * width + 31) / 32 * 4;
  const unsigned char* top = loaded->Pixels.data() + (picture.TopRowFirst ? 0 : (picture.Height - 1) * stride);

  const bool bitmapFile = rawLayout.is_none() && bytes.size() >= 2 && std::memcmp(bytes.data(), "BM", 2) == 0;
  if (bitmapFile || !request.BayerMode) {
    // The bitmap's own bytes, top row first, no copy.
    auto owner = std::make_shared<frontend::Picture>(std::move(*loaded));
    auto* keep = new std::shared_ptr<const void>(owner);
    py::capsule base(keep, [](void* p) { delete static_cast<std::shared_ptr<const void>*>(p); });
    picture.Frame = py::array(py::dtype::of<std::uint8_t>(), {picture.Height, width, static_cast<std::int32_t>(pixelBytes)},
                              {picture.TopRowFirst ? stride : -stride, pixelBytes, std::int64_t{1}}, top, base);
    picture.ChannelOrder = py::str("bgr");
    return picture;
  }
  // A raw frame, which the readers keep as a station's bitmap keeps samples:
  // first byte v >> (d - 8), second byte the d - 8 low bits.
  const int shift = request.SensorBpp - 8;
  py::array_t<std::uint16_t> samples({picture.Height, width});
  std::uint16_t* out = samples.mutable_data();
  for (std::int64_t y = 0; y < picture.Height; ++y) {
    const unsigned char* row = top + (picture.TopRowFirst ? y : -y) * stride;
    for (std::int64_t x = 0; x < width; ++x) {
      const unsigned char* px = row + x * pixelBytes;
      out[y * width + x] = static_cast<std::uint16_t>((px[0] << shift) | px[1]);
    }
  }
  picture.Frame = std::move(samples);
  picture.ChannelOrder = py::none();
  picture.Samples = true;
  return picture;
}

}  // namespace

void BindPictures(py::module_& m) {
  py::class_<Picture>(m, "Picture", R"(A picture read by the programs' own readers.

frame: the numpy frame to analyse: (height, width, 3|4) uint8 bitmap pixels in
the file's bgr order (a Bayer bitmap holds its samples in the first two bytes,
as the stations store them), or (height, width) uint16 raw samples of a PGM,
TIFF, DNG or packed raw file read in Bayer mode. Pass the picture itself to
analyse() and its channel order is taken.)")
      .def_readonly("frame", &Picture::Frame)
      .def_readonly("width", &Picture::Width)
      .def_readonly("height", &Picture::Height)
      .def_readonly("bit_count", &Picture::BitCount, "Bits per pixel of the bitmap the programs analyse.")
      .def_readonly("channel_order", &Picture::ChannelOrder, "\"bgr\" for bitmap pixels, None for raw samples.")
      .def_readonly("samples", &Picture::Samples, "True for a 2-D array of raw samples.")
      .def_readonly("sensor_bpp", &Picture::SensorBpp, "The sensor depth the picture was read for.")
      .def_readonly("top_row_first", &Picture::TopRowFirst, "The file stores the top row first.")
      .def("__repr__", [](const Picture& p) {
        return "Picture(" + std::to_string(p.Width) + "x" + std::to_string(p.Height) + ", " +
               (p.Samples ? "raw samples" : std::to_string(p.BitCount) + "-bit bitmap") + ")";
      });
  m.def("read_picture", &ReadPictureFile, "path"_a, "raw_layout"_a = py::none(), "params"_a = py::none(),
        R"(Reads a picture as the programs do: BMP, PGM, TIFF, DNG, or a headerless packed raw
frame with raw_layout ("raw10,WIDTH,HEIGHT[,STRIDE]", as -RawLayout). path
is the file's path, or the file's bytes (any bytes-like object).

params: the Params of the run (any library's); its bayer_mode and sensor_bpp
say how raw samples are read (default: Bayer, 10 bits). Returns a Picture.
Raises OSError when the file cannot be read, ValueError with the reader's
message when it is malformed.)");
}

}  // namespace sensor::python
