# sensor_add_kernels(<target> <source>...)
#
# Compiles each kernel table source of a library once per vector set into
# <target> (analysis/common/kernels/vector_set.h): for the x86-64 baseline
# with SENSOR_KERNEL_SET=baseline, and for AVX2 with the one-instruction bit
# count (-mavx2 -mpopcnt) with SENSOR_KERNEL_SET=avx2. The set's name is also
# the namespace its kernels are compiled into, so the two copies never share
# a symbol. Each copy is a generated one-line source that includes the real one.
#
# A kernel's helpers from shared inline headers must be inlined into it, or a
# copy compiled for one set could stand in for the other's and for the rest
# of the library (tests/analysis/common checks the objects): the kernels are
# compiled with optimisation in every build type, Debug included.
# The sets, as analysis/common/kernels/vector_set_list.h lists them (a set
# compiled here but not listed there stops the compilation), and each set's flags.
set(SENSOR_VECTOR_SETS baseline avx2)
set(SENSOR_KERNEL_FLAGS_baseline "")
set(SENSOR_KERNEL_FLAGS_avx2 -mavx2 -mpopcnt)

function(sensor_add_kernels target)
  foreach(source ${ARGN})
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(path ${source} ABSOLUTE)
    foreach(set ${SENSOR_VECTOR_SETS})
      set(copy ${CMAKE_CURRENT_BINARY_DIR}/kernels_${set}/${name}.cpp)
      file(CONFIGURE OUTPUT ${copy} CONTENT "#include \"${path}\"\n" @ONLY)
      target_sources(${target} PRIVATE ${copy})
      set_source_files_properties(${copy} PROPERTIES
        COMPILE_DEFINITIONS SENSOR_KERNEL_SET=${set}
        COMPILE_OPTIONS "${SENSOR_KERNEL_FLAGS_${set}};$<$<NOT:$<CONFIG:Release,RelWithDebInfo,MinSizeRel>>:-O2>")
    endforeach()
  endforeach()
endfunction()
