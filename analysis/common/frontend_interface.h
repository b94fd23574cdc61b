// What the test programs' front end (frontend/) and the tools use of the
// analysis code, and the one header of analysis/ they include: the bitmap file
// format, the libraries' own acceptance of a bitmap (so that the loader refuses
// what BindImage would refuse), the console services the libraries use too (key
// wait, tick count), the running program's path and output folder, the
// layout of the version record each library carries, and the split of work
// between threads (the loader fills large buffers with it). Whatever else the front
// end comes to need of the analysis code is added here first; tests/layout
// checks the rule.
#pragma once

#include "common/bitmap_format.h"
#include "common/console.h"
#include "common/image_binding.h"
#include "common/output_folder.h"
#include "common/parallel_rows.h"
#include "common/version_record.h"
