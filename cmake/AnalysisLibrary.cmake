# sensor_add_analysis_library(<Name> SOURCES <files...>)
#
# Builds one analysis library in two forms, beside its public headers:
#   <name>_headers  the library's public headers alone (its include/ and the
#                shared result codes), for the programs' tables that fill its
#                parameter record;
#   <name>_core  an object library with all of its code, which the tests and
#                benchmarks link to reach the internals;
#   <Name>       the shared library that ships: lib<Name>.so.<project version>,
#                with the run-time name lib<Name>.so.1 (its SONAME) and the
#                development name lib<Name>.so as links to it. It exports only
#                the library's public classes and functions and carries the fixed
#                version record that the test programs print.
function(sensor_add_analysis_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  string(TOLOWER ${name} lower)

  add_library(${lower}_headers INTERFACE)
  target_include_directories(${lower}_headers INTERFACE
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>)
  target_link_libraries(${lower}_headers INTERFACE sensor_result_codes)

  add_library(${lower}_core OBJECT ${ARG_SOURCES})
  target_link_libraries(${lower}_core PUBLIC ${lower}_headers sensor_analysis_common)

  set(SENSOR_LIBRARY_NAME ${name})
  set(exports ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/exports.map.in ${exports} @ONLY)

  add_library(${name} SHARED
    $<TARGET_OBJECTS:${lower}_core>
    ${PROJECT_SOURCE_DIR}/analysis/common/version_record.cpp)
  target_compile_definitions(${name} PRIVATE ${SENSOR_VERSION_DEFINES})
  target_link_libraries(${name} PRIVATE sensor_analysis_common sensor_version_record)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/analysis/common/include>
    $<INSTALL_INTERFACE:include>)
  target_link_options(${name} PRIVATE
    -Wl,--version-script=${exports} -Wl,--no-undefined -Wl,--exclude-libs,ALL)
  set_target_properties(${name} PROPERTIES LINK_DEPENDS ${exports}
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endfunction()
