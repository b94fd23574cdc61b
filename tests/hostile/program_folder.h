// One of the three built test programs, copied with its library into a fresh
// folder, run there the way a test station runs it, and the files it leaves.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bitmap_bytes.h"
#include "program_runner.h"

namespace sensor::test {

inline constexpr long long kFailCode = -2147467259;        // E_FAIL
inline constexpr long long kInvalidArgCode = -2147024809;  // E_INVALIDARG

struct ProgramSpec {
  std::string Name;     // the program's file name
  std::string Library;  // the analysis library beside it
  // Options of a run that analyses the hostile tests' picture in colour mode.
  std::vector<std::string> RunOptions;
};

inline void PrintTo(const ProgramSpec& program, std::ostream* out) { *out << program.Name; }

// Waferonrun, Glazetrun and Ostrelrun.
const std::vector<ProgramSpec>& AllPrograms();

// The first three lines of a status file.
struct StatusHead {
  int Status = -1;
  long long ReturnCode = 0;
  std::string Message;  // between the quotation marks
};

// Runs the copy in its own folder, killed after the hostile tests' time limit.
class ProgramFolder : public ProgramCopy {
 public:
  explicit ProgramFolder(const ProgramSpec& program);

  // Runs the copy with `arguments` and "-slave" after the program path.
  ProgramOutput Run(std::vector<std::string> arguments) const;
  // Runs the copy with exactly this argument vector (it may be empty).
  ProgramOutput RunWithVector(const std::vector<std::string>& argv) const;

  const ProgramSpec& Program() const { return program_; }
  using ProgramCopy::Write;
  void Write(const std::string& name, const Bytes& bytes) const;
  std::string DefaultLogName() const { return program_.Name + ".csv"; }

  // The head of the status file "status.txt"; nothing when it is missing or
  // does not begin with the three lines.
  std::optional<StatusHead> Status() const;
  // The status file without its time and bitmap lines, which differ between
  // two runs of the same picture stored differently.
  std::string StatusWithoutTimeAndBitmap() const;

 private:
  ProgramSpec program_;
};

// A Waferonrun limits file that every run of the hostile tests' picture passes:
// all three sections, wide limits.
inline const std::string kWaferonLimits =
    "[CLUSTER]\nHeaders=cluster(center),cluster(side),cluster(total)\n"
    "Unit=n,n,n\nHighLimit=99,99,99\nLowLimit=0,0,0\n"
    "[PIXEL]\nHeaders=pixel(center),pixel(side),pixel(total)\n"
    "Unit=n,n,n\nHighLimit=99,99,99\nLowLimit=0,0,0\n"
    "[BRIGHTNESS]\nHeaders=brightness(r),brightness(g),brightness(b),brightness(g1),brightness(g2)\n"
    "Unit=l,l,l,l,l\nHighLimit=255,255,255,255,255\nLowLimit=0,0,0,0,0\n";

// The picture of the hostile tests in a given storage: 20 x 14 pixels of a
// noisy grey field with bright, dark and red defects planted.
Bytes TestPicturePixels(int bitCount, bool topDown);
inline constexpr int kPictureWidth = 20;
inline constexpr int kPictureHeight = 14;

}  // namespace sensor::test
