// The files a run writes from its findings (run_products.h), as given on the
// command line; empty when the option was given without a file.
#pragma once

#include <optional>
#include <string>

namespace sensor::frontend {

struct ProductPaths {
  std::optional<std::string> Report;        // -Report, every program
  std::optional<std::string> ReviewImage;   // -ReviewImage, every program
  std::optional<std::string> DefectMapPng;  // -DefectMapPNG, Glazetrun
  std::optional<std::string> DefectList;    // -DefectList, Waferonrun

  bool Any() const { return Report || ReviewImage || DefectMapPng || DefectList; }
};

}  // namespace sensor::frontend
