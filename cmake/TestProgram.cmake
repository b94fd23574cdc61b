# sensor_add_test_program(<Name> LIBRARY <Library> TABLES <files...> DRIVER <files...>)
#
# One test program on the shared front end (frontend/station), in three parts:
#   <name>_tables  a static library of the program's tables (options, settings
#                  keys, texts, judged values), which the tests reach without
#                  the analysis library;
#   <name>_driver  its library driver, linked against lib<Library>.so, which
#                  the program and the batch program (sensorbatch) run;
#   <Name>         the program, main.cpp with the driver, built when the
#                  analysis library <Library> is. It is linked at load time
#                  against lib<Library>.so and finds it beside itself: its run
#                  path is $ORIGIN first, so a copy of both in another folder
#                  runs, then the installed library folders beside bin/.
function(sensor_add_test_program name)
  cmake_parse_arguments(ARG "" "LIBRARY" "TABLES;DRIVER" ${ARGN})
  string(TOLOWER ${name} lower)

  string(TOLOWER ${ARG_LIBRARY} library)
  add_library(${lower}_tables STATIC ${ARG_TABLES})
  target_link_libraries(${lower}_tables PUBLIC sensor_frontend ${library}_headers)

  if(TARGET ${ARG_LIBRARY})
    add_library(${lower}_driver STATIC ${ARG_DRIVER})
    target_link_libraries(${lower}_driver PUBLIC ${lower}_tables ${ARG_LIBRARY})
    add_executable(${name} main.cpp)
    target_link_libraries(${name} PRIVATE ${lower}_driver)
    target_link_options(${name} PRIVATE -Wl,--enable-new-dtags)
    set_target_properties(${name} PROPERTIES
      BUILD_WITH_INSTALL_RPATH ON
      INSTALL_RPATH "${SENSOR_PROGRAM_RUNPATH}")
  endif()
endfunction()
