// A worker's picture cache over a group's jobs: every job sees the picture as
// its file holds it, never one an earlier job painted, and a mapped picture
// whose file changed is read anew.
#include "frontend/sensorbatch/picture_cache.h"

#include <gtest/gtest.h>

#include "program_runner.h"
#include "test_image.h"

namespace sensor::batch {
namespace {

struct Step {
  std::size_t LaterReaders;
  bool AnyPaints;
  bool Paints;           // the job paints every byte of what it gets
  unsigned char Rewrite;  // before the job the file is rewritten with this fill; 0: not
  unsigned char Sees;     // the fill the job must get
};

void WritePicture(const std::string& path, unsigned char fill, bool longer) {
  sensor::test::TestImage image(4, 3, 24);
  image.FillBgr(fill, fill, fill);
  std::vector<unsigned char> bytes = image.FileBytes();
  if (longer) bytes.push_back(0);  // a size of its own, whatever the clock's grain
  sensor::test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

TEST(PictureCache, NoJobSeesAPaintedPictureOrAStaleOne) {
  const struct {
    const char* Name;
    std::vector<Step> Steps;
  } cases[] = {
      {"painter before a reader", {{1, true, true, 0, 'A'}, {0, true, false, 0, 'A'}}},
      {"painter last, then a new group", {{0, true, true, 0, 'A'}, {0, false, false, 0, 'A'}}},
      {"two painters in turn", {{2, true, true, 0, 'A'}, {1, true, true, 0, 'A'}, {0, true, false, 0, 'A'}}},
      {"painter on a mapped picture", {{1, false, false, 0, 'A'}, {0, false, true, 0, 'A'}, {0, false, false, 0, 'A'}}},
      {"mapped picture rewritten", {{1, false, false, 0, 'A'}, {0, false, false, 'B', 'B'}}},
  };
  for (const auto& c : cases) {
    sensor::test::TempFolder folder;
    const std::string path = folder.File("p.bmp");
    WritePicture(path, 'A', false);
    PictureCache cache;
    for (std::size_t s = 0; s < c.Steps.size(); ++s) {
      const Step& step = c.Steps[s];
      if (step.Rewrite != 0) WritePicture(path, step.Rewrite, true);
      cache.SetLaterReaders(step.LaterReaders, step.AnyPaints);
      auto* picture = cache.Get(path, frontend::PictureRequest(), step.Paints);
      ASSERT_NE(picture, nullptr) << c.Name << ", job " << s;
      for (const unsigned char byte : picture->Pixels) {
        ASSERT_EQ(byte, step.Sees) << c.Name << ", job " << s;
      }
      if (step.Paints) std::fill(picture->Pixels.begin(), picture->Pixels.end(), 0xEE);
    }
  }
}

}  // namespace
}  // namespace sensor::batch
