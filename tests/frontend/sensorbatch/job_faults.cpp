// Preloaded into the batch program by its tests (LD_PRELOAD) to make a job
// crash or hang on purpose: Ostrel's Execute aborts the process (SIGABRT, as a
// failed check would; the sanitizers leave that signal alone) when the left
// margin is 901 and never returns when it is 902; a margin from 903 to 999 is a
// slow job: (margin - 900) tenths of a second pass, signals or not, and the
// library runs with a margin of 0. Every other call goes on to the library.
// A hanging job first makes the file SENSOR_TEST_HANG_MARKER names, when set,
// so that a test knows the job is running.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "sensordefect/Ostrel.h"

namespace SensorDefectDetectionClass {

std::int32_t Ostrel::Execute(_RESULT_Ostrel& result, _PARAMS_Ostrel params) {
  if (params.OutlierLeft == 901) std::abort();
  if (params.OutlierLeft == 902) {
    if (const char* marker = std::getenv("SENSOR_TEST_HANG_MARKER")) {
      if (std::FILE* file = std::fopen(marker, "w")) std::fclose(file);
    }
    for (;;) pause();
  }
  if (params.OutlierLeft >= 903 && params.OutlierLeft <= 999) {
    const long tenths = params.OutlierLeft - 900;
    timespec left{tenths / 10, (tenths % 10) * 100000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    params.OutlierLeft = 0;
  }
  using Member = std::int32_t (*)(Ostrel*, _RESULT_Ostrel&, _PARAMS_Ostrel);
  static const Member library = reinterpret_cast<Member>(dlsym(
      RTLD_NEXT,
      "_ZN26SensorDefectDetectionClass6Ostrel7ExecuteERNS_14_RESULT_OstrelENS_14_PARAMS_OstrelE"));
  return library(this, result, params);
}

}  // namespace SensorDefectDetectionClass
