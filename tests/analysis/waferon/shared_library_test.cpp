// The shipped libWaferon.so as a host sees it: the class works through the
// shared object, and nothing but the class is exported.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "sensordefect/Waferon.h"
#include "test_image.h"

namespace {

using namespace SensorDefectDetectionClass;

TEST(WaferonSharedLibrary, AHostRunsTheFrontEndsCallingOrder) {
  sensor::test::TestImage image(16, 16);
  image.FillSample(100, 8);
  image.SetSample(5, 4, 200, 8);
  Waferon library;
  ASSERT_EQ(library.Open(0), S_OK);
  ASSERT_EQ(library.BindImage(image.Header(), image.Pixels()), S_OK);
  ASSERT_EQ(library.set_TableSize(64), S_OK);
  _PARAMS_Waferon p;
  ASSERT_EQ(library.get_ParameterSet(p), S_OK);
  p.SensorBpp = p.TestBpp = 8;
  for (int c = 0; c < 5; ++c) p.CenterPixelThreshold[c] = 50.0;
  for (int c = 0; c < 5; ++c) p.CenterClusterThreshold[c] = p.SideClusterThreshold[c] = p.SidePixelThreshold[c] = 1e9;
  _RESULT_Waferon result{};
  testing::internal::CaptureStdout();
  EXPECT_EQ(library.Execute(result, p, 1, 1, 1, 1, 1), S_OK);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nsensor defects : possible 1\n");
  EXPECT_EQ(result.CenterPixels, 1);
  double r = 0;
  EXPECT_EQ(library.get_Ostrel(&r, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(r, (63 * 100 + 200) / 64.0);
  std::int32_t x = 0, y = 0;
  double score = 0;
  EXPECT_EQ(library.get_SingleDefect(0, &x, &y, &score), S_OK);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 4);
  EXPECT_EQ(library.Close(), S_OK);
  EXPECT_EQ(library.Clean(), S_OK);
}

TEST(WaferonSharedLibrary, OnlyTheExportedClassIsVisible) {
  void* handle = dlopen((std::string(SENSOR_BIN_DIR) + "/libWaferon.so").c_str(), RTLD_NOW);
  ASSERT_NE(handle, nullptr) << dlerror();
  EXPECT_NE(dlsym(handle, "_ZN26SensorDefectDetectionClass7Waferon4OpenEi"), nullptr);
  EXPECT_NE(dlsym(handle, "_ZN26SensorDefectDetectionClass7Waferon5CleanEv"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6sensor7waferon5StateEv"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN6sensor10BindBitmapEPKhPhRNS_12ImageBindingE"), nullptr);
  dlclose(handle);
}

}  // namespace
