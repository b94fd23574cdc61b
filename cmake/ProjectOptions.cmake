# Compiler settings shared by every target of the project.
#
# Scores, means and band limits must compare exactly as plain IEEE double
# arithmetic in the written order: contraction into fused multiply-add is off and
# no fast-math mode is ever allowed.
add_library(sensor_project_options INTERFACE)
target_compile_options(sensor_project_options INTERFACE
  -Wall -Wextra -ffp-contract=off -fno-fast-math)

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
