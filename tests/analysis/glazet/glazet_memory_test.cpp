// Result codes of the exported class when memory runs out: the defect map's
// allocation gives E_POINTER (glazet_interface_test.cpp), every other one
// E_OUTOFMEMORY. This program's operator new fails on demand, also for the
// library it links.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "glazet_host.h"

namespace {
std::atomic<bool> gFailAllocations{false};
}  // namespace

// These operators pair malloc with free, which g++ cannot see once it inlines
// the replaced operator delete into code that called the replaced new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (gFailAllocations.load(std::memory_order_relaxed)) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace sensor::glazet::test {
namespace {

TEST_F(GlazetHost, AFailedAllocationOtherThanTheDefectMapsIsOutOfMemory) {
  sensor::test::TestImage image(40, 30);
  image.FillBgr(100, 100, 100);
  image.SetBgr(5, 5, 10, 10, 10);
  ASSERT_EQ(Bind(image), S_OK);
  ASSERT_EQ(Run(ColourParams()), S_OK);  // the map of this size exists from now on
  for (const _PARAMS_Glazet& params : {ColourParams(), BayerParams()}) {
    result.numpackagefects = -7;
    ::testing::internal::CaptureStdout();
    gFailAllocations = true;
    const std::int32_t code = glazet.Execute(result, params);
    gFailAllocations = false;
    output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, E_OUTOFMEMORY);
    EXPECT_EQ(result.numpackagefects, -7);
    EXPECT_EQ(output, "") << "the search did not run to its end";
  }
  EXPECT_EQ(Run(ColourParams()), S_OK);
  EXPECT_EQ(result.numpackagefects, 1);
}

}  // namespace
}  // namespace sensor::glazet::test
