// The mark of what the analysis libraries export: the library classes alone.
// Everything else is built hidden (CMAKE_CXX_VISIBILITY_PRESET) and kept out of
// the dynamic symbol table by each library's version script.
#pragma once

#ifndef SENSORDEFECT_API
#define SENSORDEFECT_API __attribute__((visibility("default")))
#endif
