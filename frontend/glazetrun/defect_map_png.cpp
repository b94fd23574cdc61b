#include "frontend/glazetrun/defect_map_png.h"

#include <cstdint>


namespace sensor::glazetrun {

std::optional<frontend::PngPicture> DefectMapPicture(const frontend::StationFindings& run, std::string& problem) {
  const frontend::Picture* picture = run.Picture;
  if (picture == nullptr || !run.Blemishes || run.Width <= 0 || run.Height <= 0 ||
      (run.BitCount != 24 && run.BitCount != 32) || picture->Header.size() < 40) {
    problem = "the run painted no defect map";
    return std::nullopt;
  }
  const bool topDown = run.TopRowFirst;
  const std::uint64_t stride = run.Stride;
  const std::size_t bytesPerPixel = static_cast<std::size_t>(run.BitCount) / 8;
  if (stride < static_cast<std::uint64_t>(run.Width) * bytesPerPixel ||
      picture->Pixels.size() < stride * static_cast<std::uint64_t>(run.Height)) {
    problem = "the run painted no defect map";
    return std::nullopt;
  }
  frontend::PngPicture map;
  map.Width = static_cast<std::uint32_t>(run.Width);
  map.Height = static_cast<std::uint32_t>(run.Height);
  map.BitDepth = 1;
  const std::size_t rowBytes = map.RowBytes();
  map.Rows.assign(rowBytes * map.Height, 0);
  for (std::int32_t y = 0; y < run.Height; ++y) {
    const std::int32_t stored = topDown ? y : run.Height - 1 - y;
    const unsigned char* source = picture->Pixels.data() + static_cast<std::size_t>(stride) * static_cast<std::size_t>(stored);
    unsigned char* row = map.Rows.data() + rowBytes * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < run.Width; ++x) {
      if (source[static_cast<std::size_t>(x) * bytesPerPixel] != 0) {
        row[static_cast<std::size_t>(x) / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
      }
    }
  }
  return map;
}

frontend::RunProduct DefectMapPngProduct() {
  return frontend::RunProduct{
      "DefectMapPNG", &frontend::ProductPaths::DefectMapPng, {".png"},
      [](const frontend::StationFindings& run, const std::string&, std::string& problem) -> std::optional<std::string> {
        const std::optional<frontend::PngPicture> map = DefectMapPicture(run, problem);
        if (!map) return std::nullopt;
        return frontend::EncodePng(*map, problem);
      }};
}

}  // namespace sensor::glazetrun
