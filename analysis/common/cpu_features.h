// The vector width the row loops run at. The libraries are built for the
// x86-64 baseline; loops that gain from wider vectors are compiled a second
// time for AVX2 and take that copy when the processor has it (RunWidest).
// Both copies compute the same integers and the same IEEE doubles in the same
// order, so results never depend on the machine.
//
// Setting the environment variable SENSOR_VECTORS to "baseline" keeps every
// loop on the baseline copy, to compare the two or to rule out the processor.
#pragma once

namespace sensor {

// Whether the AVX2 copies run: the processor has AVX2 and SENSOR_VECTORS does
// not say "baseline". Decided once per process.
bool UseAvx2();

// Runs loop() compiled for AVX2 (and the one-instruction bit count every
// AVX2 processor has), everything it calls inlined into it.
template <class Loop>
[[gnu::target("avx2,popcnt"), gnu::flatten]] void RunWithAvx2(const Loop& loop) {
  loop();
}

// Runs loop() in the widest copy the processor allows.
template <class Loop>
void RunWidest(const Loop& loop) {
  if (UseAvx2()) {
    RunWithAvx2(loop);
  } else {
    loop();
  }
}

}  // namespace sensor
