#include "frontend/products/png_file.h"

#include <png.h>

#include <csetjmp>
#include <new>

#include "frontend/products/png_parallel_encoder.h"

namespace sensor::frontend {
namespace {

struct Sink {
  std::string* Bytes;
  bool OutOfMemory;
};

void Append(png_structp png, png_bytep data, png_size_t size) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  try {
    sink->Bytes->append(reinterpret_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    sink->OutOfMemory = true;
    png_error(png, "out of memory");
  }
}

void Flush(png_structp) {}

// libpng reports errors by a jump back here: nothing in this function needs
// its destructor run.
const char* WriteRows(png_structp png, png_infop info, const PngPicture& picture, Sink* sink) {
  if (setjmp(png_jmpbuf(png)) != 0) return sink->OutOfMemory ? "out of memory" : "libpng failed";
  png_set_write_fn(png, sink, Append, Flush);
  png_set_IHDR(png, info, picture.Width, picture.Height, picture.BitDepth,
               picture.Colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const std::size_t rowBytes = picture.RowBytes();
  for (std::uint32_t y = 0; y < picture.Height; ++y) {
    png_write_row(png, const_cast<png_bytep>(picture.Rows.data() + std::size_t{y} * rowBytes));
  }
  png_write_end(png, info);
  return nullptr;
}

}  // namespace

std::optional<std::string> EncodePng(const PngPicture& picture, std::string& problem) {
  if (picture.Width == 0 || picture.Height == 0 || picture.Width > PNG_USER_WIDTH_MAX ||
      picture.Height > PNG_USER_HEIGHT_MAX || (picture.BitDepth != 1 && picture.BitDepth != 8) ||
      (picture.BitDepth == 1 && picture.Colour) ||
      picture.Rows.size() != picture.RowBytes() * picture.Height) {
    problem = "the picture cannot be stored as PNG";
    return std::nullopt;
  }
  if (picture.Speed == PngSpeed::Fast) return EncodePngInPieces(picture, problem);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    problem = "out of memory";
    return std::nullopt;
  }
  std::string bytes;
  Sink sink{&bytes, false};
  const char* failure = WriteRows(png, info, picture, &sink);
  png_destroy_write_struct(&png, &info);
  if (failure != nullptr) {
    problem = failure;
    return std::nullopt;
  }
  return bytes;
}

}  // namespace sensor::frontend
