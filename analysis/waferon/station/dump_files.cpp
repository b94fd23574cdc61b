#include "waferon/station/dump_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "common/parallel_rows.h"

namespace sensor::waferon {
namespace {

constexpr const char* kColourNames[5] = {"R", "G", "B", "G1", "G2"};

const char* ColourName(std::int32_t colour) {
  return colour >= 0 && colour < 5 ? kColourNames[colour] : "";
}

// One line by `format`, cut to 255 characters; its length, or -1.
int FormatLine(char (&line)[256], const char* format, std::va_list args) {
  int length = std::vsnprintf(line, sizeof line, format, args);
  if (length >= static_cast<int>(sizeof line)) length = sizeof line - 1;
  return length;
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
    const int length = FormatLine(line, format, args);
    va_end(args);
    if (length < 0) return;
    if (used_ + static_cast<std::size_t>(length) >= sizeof buffer_) Flush();
    std::memcpy(buffer_ + used_, line, static_cast<std::size_t>(length));
    used_ += static_cast<std::size_t>(length);
  }

  // Lines formatted beforehand, written after those collected so far.
  void Text(const std::string& text) {
    Flush();
    std::fwrite(text.data(), 1, text.size(), file_);
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

// A candidate's line.
template <class Out>
void CandidateLine(Out& out, const DefectRecord& r, bool bayerMode) {
  if (bayerMode) {
    out.Line("%s,%d,%d,%.2lf\n", ColourName(r.Colour), r.X, r.Y, r.Score);
  } else {
    out.Line("%d,%d,%.2lf\n", r.X, r.Y, r.Score);
  }
}

// Lines collected in memory, for a part of a list formatted on a thread.
struct TextLines {
  std::string Text;
  __attribute__((format(printf, 2, 3))) void Line(const char* format, ...) {
    char line[256];
    std::va_list args;
    va_start(args, format);
    const int length = FormatLine(line, format, args);
    va_end(args);
    if (length > 0) Text.append(line, static_cast<std::size_t>(length));
  }
};

// Formatting a line costs about as much as searching this many pixels.
constexpr std::int64_t kLineWork = 256;

// The candidates' lines formatted in parts on the analysis threads, into
// `texts` in list order; false (texts unusable) when the list is too short
// to gain or a part failed.
bool FormatInParts(std::span<const DefectRecord> candidates, bool bayerMode, std::vector<TextLines>& texts) {
  const auto count = static_cast<std::int64_t>(candidates.size());
  const int parts = PartsFor(count, kLineWork);
  if (parts == 1) return false;
  std::vector<std::exception_ptr> failures;
  try {
    texts.resize(static_cast<std::size_t>(parts));
    failures = RunParts(parts, [&](int part) {
      const std::int64_t first = PartStart(0, count, part, parts), end = PartStart(0, count, part + 1, parts);
      TextLines& text = texts[static_cast<std::size_t>(part)];
      text.Text.reserve(static_cast<std::size_t>(end - first) * 24);
      for (std::int64_t i = first; i < end; ++i) CandidateLine(text, candidates[static_cast<std::size_t>(i)], bayerMode);
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const auto& failure : failures) {
    if (failure) return false;
  }
  return true;
}

}  // namespace

void WriteCandidateDump(const std::string& path, std::span<const DefectRecord> candidates,
                        bool bayerMode) {
  DumpWriter out(path);
  if (!out.IsOpen()) return;
  out.Line("color,x,y,score\n");
  std::vector<TextLines> texts;
  if (FormatInParts(candidates, bayerMode, texts)) {
    for (const TextLines& text : texts) out.Text(text.Text);
    return;
  }
  for (const DefectRecord& r : candidates) CandidateLine(out, r, bayerMode);
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
