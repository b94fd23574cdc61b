#include "waferon/dump_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace sensor::waferon {
namespace {

constexpr const char* kColourNames[5] = {"R", "G", "B", "G1", "G2"};

const char* ColourName(std::int32_t colour) {
  return colour >= 0 && colour < 5 ? kColourNames[colour] : "";
}

// Collects lines and writes them in blocks of less than 64 KiB.
class DumpWriter {
 public:
  explicit DumpWriter(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {}
  ~DumpWriter() {
    if (file_ == nullptr) return;
    Flush();
    std::fclose(file_);
  }
  DumpWriter(const DumpWriter&) = delete;
  DumpWriter& operator=(const DumpWriter&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // A printf format, checked against its arguments by the compiler.
  __attribute__((format(printf, 2, 3))) void Line(const char* format, ...) {
    char line[256];
    std::va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0) return;
    if (length >= static_cast<int>(sizeof line)) length = sizeof line - 1;
    if (used_ + static_cast<std::size_t>(length) >= sizeof buffer_) Flush();
    std::memcpy(buffer_ + used_, line, static_cast<std::size_t>(length));
    used_ += static_cast<std::size_t>(length);
  }

 private:
  void Flush() {
    if (used_ > 0) std::fwrite(buffer_, 1, used_, file_);
    used_ = 0;
  }

  std::FILE* file_;
  std::size_t used_ = 0;
  char buffer_[65536];
};

}  // namespace

void WriteCandidateDump(const std::string& path, std::span<const DefectRecord> candidates,
                        bool bayerMode) {
  DumpWriter out(path);
  if (!out.IsOpen()) return;
  out.Line("color,x,y,score\n");
  for (const DefectRecord& r : candidates) {
    if (bayerMode) {
      out.Line("%s,%d,%d,%.2lf\n", ColourName(r.Colour), r.X, r.Y, r.Score);
    } else {
      out.Line("%d,%d,%.2lf\n", r.X, r.Y, r.Score);
    }
  }
}

void WriteTableDump(const std::string& path, std::span<const DefectRecord> table, bool bayerMode) {
  DumpWriter out(path);
  if (!out.IsOpen()) return;
  for (const DefectRecord& r : table) {
    if (r.X < 0 || r.Y < 0) break;
    if (bayerMode) {
      out.Line("%s,%3d,%3d,%.2lf\n", ColourName(r.Colour), r.X, r.Y, r.Score);
    } else {
      out.Line("%3d,%3d,%.2lf\n", r.X, r.Y, r.Score);
    }
  }
}

std::string WorstPixelsFileName(std::int32_t tableSize) {
  char name[64];
  std::snprintf(name, sizeof name, "Worst%ldPixels.csv", static_cast<long>(tableSize));
  return name;
}

}  // namespace sensor::waferon
