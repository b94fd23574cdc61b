# Compiler settings shared by every target of the project.
#
# Scores, means and band limits must compare exactly as plain IEEE double
# arithmetic in the written order: contraction into fused multiply-add is off and
# no fast-math mode is ever allowed.
#
# The code is kept clean of every warning below. CI turns them into errors
# (SENSOR_WARNINGS_AS_ERRORS, set by scripts/test.sh, the Release build of
# .ci/run); a developer's own build only reports them, so that a newer
# compiler's new warning breaks no local build. The sanitizer build
# (scripts/sanitize.sh), whose instrumentation brings false flow warnings from
# the standard library, and the clang fuzz build (scripts/fuzz.sh) leave it off.
# (-Wnull-dereference is left out: g++ reports it from inlined library code
# after optimisation, where no change of ours can answer it; so is
# -Wmissing-declarations, which the row kernels, compiled once per vector set
# from one source and chosen through a table, do not meet yet.)
option(SENSOR_WARNINGS_AS_ERRORS "Treat compiler warnings as errors (on in CI)" OFF)
add_library(sensor_project_options INTERFACE)
target_compile_options(sensor_project_options INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough
  -Wcast-qual -Wformat=2 -Wold-style-cast
  -ffp-contract=off -fno-fast-math
  $<$<BOOL:${SENSOR_WARNINGS_AS_ERRORS}>:-Werror>)

# Exact library version, handed to the version record of each shared library.
set(SENSOR_VERSION_DEFINES
  SENSOR_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  SENSOR_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  SENSOR_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  SENSOR_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})

# The internal preconditions (analysis/common/precondition.h) are checked in
# Debug builds anyway; this option checks them in any build type, as the
# sanitizer build does.
option(SENSOR_PRECONDITIONS "Check the analysis code's internal preconditions in every build type" OFF)
if(SENSOR_PRECONDITIONS)
  target_compile_definitions(sensor_project_options INTERFACE SENSOR_CHECK_PRECONDITIONS)
endif()
