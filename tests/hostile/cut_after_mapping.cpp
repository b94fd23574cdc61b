// Preloaded into a program by the hostile tests (LD_PRELOAD) to cut its
// picture file short beneath the mapping, as another process truncating the
// picture during the analysis would: right after the program has entered the
// pages of a mapping (madvise with MADV_POPULATE_READ, which the picture
// loader calls once it has mapped the pixel data), the file named by
// SENSOR_TEST_CUT_FILE is cut to SENSOR_TEST_CUT_SIZE bytes. Every call goes on
// to the C library.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int madvise(void* address, std::size_t length, int advice) {
  using Madvise = int (*)(void*, std::size_t, int);
  static const Madvise library = reinterpret_cast<Madvise>(dlsym(RTLD_NEXT, "madvise"));
  const int result = library(address, length, advice);
  const char* file = std::getenv("SENSOR_TEST_CUT_FILE");
  const char* size = std::getenv("SENSOR_TEST_CUT_SIZE");
  if (advice == MADV_POPULATE_READ && file != nullptr && size != nullptr) {
    if (truncate(file, std::atoll(size)) != 0) std::abort();
  }
  return result;
}
