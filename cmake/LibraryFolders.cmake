# Where the libraries are installed, and how the programs find them.
#
#   SENSOR_INSTALL_LIBDIR  the libraries' folder of `cmake --install` (lib/);
#   SENSOR_PACKAGE_LIBDIR  their folder in the Debian package: the multiarch
#                          folder (lib/x86_64-linux-gnu) where the platform has one;
#   SENSOR_PROGRAM_RUNPATH the programs' run path: the program's own folder
#                          first (the build tree and a station's copy of a program
#                          with its library), then both library folders beside bin/.
include(GNUInstallDirs)

set(SENSOR_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
set(SENSOR_PACKAGE_LIBDIR ${CMAKE_INSTALL_LIBDIR})
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(SENSOR_PACKAGE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()

set(SENSOR_PROGRAM_RUNPATH "$ORIGIN")
foreach(libdir IN LISTS SENSOR_INSTALL_LIBDIR SENSOR_PACKAGE_LIBDIR)
  if(IS_ABSOLUTE "${libdir}")
    set(folder ${libdir})
  else()
    set(folder "$ORIGIN/../${libdir}")
  endif()
  if(NOT folder IN_LIST SENSOR_PROGRAM_RUNPATH)
    list(APPEND SENSOR_PROGRAM_RUNPATH ${folder})
  endif()
endforeach()
