#include "png_pixels.h"

#include <png.h>

#include <cstring>

namespace sensor::test {

namespace {

std::optional<PngPixels> FinishRead(png_image& image) {
  image.format = PNG_FORMAT_RGB;
  PngPixels pixels;
  pixels.Width = static_cast<std::int32_t>(image.width);
  pixels.Height = static_cast<std::int32_t>(image.height);
  pixels.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.Rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return pixels;
}

png_image Started() {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  return image;
}

}  // namespace

std::optional<PngPixels> ReadPngPixels(const std::string& path) {
  png_image image = Started();
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  return FinishRead(image);
}

std::optional<PngPixels> DecodePngPixels(const std::string& bytes) {
  png_image image = Started();
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  return FinishRead(image);
}

}  // namespace sensor::test
