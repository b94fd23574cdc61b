#include "frontend/products/run_products.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/stat.h>

#include "frontend/common/file_writer.h"
#include "frontend/products/json_report.h"
#include "frontend/products/review_product.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         StartsWithNoCase(std::string_view(text).substr(text.size() - ending.size()), ending);
}

// The folder part of the path ("." for a bare name), for the checks.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Listed(const std::vector<std::string>& extensions) {
  std::string text;
  for (std::size_t i = 0; i < extensions.size(); ++i) {
    if (i > 0) text += i + 1 == extensions.size() ? " or " : ", ";
    text += extensions[i];
  }
  return text;
}

}  // namespace

ProductTable StandardProducts(ProductTable own) {
  ProductTable table = {JsonReportProduct(), ReviewImageProduct()};
  for (RunProduct& product : own) table.push_back(std::move(product));
  return table;
}

std::optional<std::string> ProductPathProblem(const RunProduct& product, const std::string& path) {
  if (path.empty()) return "no file named";
  bool known = false;
  for (const std::string& extension : product.Extensions) known = known || EndsWithNoCase(path, extension);
  if (!known) return "the file name must end in " + Listed(product.Extensions);
  if (path.size() >= PATH_MAX) return "the path is too long";
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return "it is a folder";
  const std::string folder = FolderOf(path);
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "its folder does not exist";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "its folder is not writable";
  return std::nullopt;
}

bool CheckProducts(const ProductTable& products, const ProductPaths& paths, RunDiagnostics* diagnostics) {
  bool all = true;
  for (const RunProduct& product : products) {
    const std::optional<std::string>& path = paths.*product.Path;
    if (!path) continue;
    if (const auto problem = ProductPathProblem(product, *path)) {
      std::printf("\n%s file \"%s\" cannot be written: %s.\n", product.Option.c_str(), path->c_str(),
                  problem->c_str());
      all = false;
      // An option without its file has its own diagnostic (a missing value).
      if (diagnostics != nullptr && !path->empty()) {
        diagnostics->Add({DiagnosticClass::Output, "-" + product.Option + " " + *path,
                          "the file cannot be written: " + *problem,
                          "name a file ending in " + Listed(product.Extensions) + " in a folder you may write"});
      }
    }
  }
  return all;
}

bool WriteProducts(const ProductTable& products, const ProductPaths& paths, const StationFindings& run,
                   ProductPaths* written, RunDiagnostics* diagnostics) {
  bool all = true;
  for (const RunProduct& product : products) {
    const std::optional<std::string>& path = paths.*product.Path;
    if (!path) continue;
    std::string problem;
    std::optional<std::string> bytes;
    try {
      bytes = product.Make(run, *path, problem);
    } catch (const std::exception& e) {
      problem = e.what();
    }
    if (!bytes || !WriteWholeFile(*path, *bytes, FileWrite::ThroughTemporary, problem)) {
      std::printf("\n%s file \"%s\" was not written: %s.\n", product.Option.c_str(), path->c_str(),
                  problem.c_str());
      all = false;
      if (diagnostics != nullptr) {
        diagnostics->Add({DiagnosticClass::Output, "-" + product.Option + " " + *path,
                          "the file was not written: " + problem, "name a file in a folder you may write"});
      }
    } else if (written != nullptr) {
      written->*product.Path = *path;
    }
  }
  return all;
}

}  // namespace sensor::frontend
