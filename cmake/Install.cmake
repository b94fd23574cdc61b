# Installation and packaging.
#
# The programs go into bin/ and the libraries into lib/ (SENSOR_INSTALL_LIBDIR);
# the Debian package puts the libraries into the multiarch folder instead
# (SENSOR_PACKAGE_LIBDIR, see LibraryFolders.cmake). Each program finds its
# library through its run path and writes its default data log and the
# libraries' diagnostic files beside itself. Hosts get the public headers, a
# CMake package (find_package(SensorDefect) with the imported targets
# SensorDefect::Waferon, ::Glazet and ::Ostrel) and a pkg-config file per library.
#
# The libraries, their CMake package and pkg-config files are installed in
# two layouts: components "libraries" and "library_development" for
# `cmake --install`, and "package_libraries" and "package_library_development",
# left out of a plain install, for the Debian package.
include(CMakePackageConfigHelpers)

set(SENSOR_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})

set(sensor_libraries)
foreach(lib Waferon Glazet Ostrel)
  if(TARGET ${lib})
    list(APPEND sensor_libraries ${lib})
  endif()
endforeach()

write_basic_package_version_file(${PROJECT_BINARY_DIR}/SensorDefectConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)

# sensor_install_libraries(<libdir> <component prefix> [EXCLUDE_FROM_ALL])
function(sensor_install_libraries libdir prefix)
  set(exportSet SensorDefectTargets${prefix})
  install(TARGETS ${sensor_libraries} EXPORT ${exportSet}
    LIBRARY DESTINATION ${libdir} COMPONENT ${prefix}libraries
      NAMELINK_COMPONENT ${prefix}library_development ${ARGN})
  set(cmakedir ${libdir}/cmake/SensorDefect)
  install(EXPORT ${exportSet} NAMESPACE SensorDefect:: FILE SensorDefectTargets.cmake
    DESTINATION ${cmakedir} COMPONENT ${prefix}library_development ${ARGN})
  set(config ${PROJECT_BINARY_DIR}/${prefix}SensorDefectConfig.cmake)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SensorDefectConfig.cmake.in
    ${config} INSTALL_DESTINATION ${cmakedir})
  install(FILES ${config} RENAME SensorDefectConfig.cmake
    DESTINATION ${cmakedir} COMPONENT ${prefix}library_development ${ARGN})
  install(FILES ${PROJECT_BINARY_DIR}/SensorDefectConfigVersion.cmake
    DESTINATION ${cmakedir} COMPONENT ${prefix}library_development ${ARGN})

  # The pkg-config files find the prefix from their own folder.
  file(RELATIVE_PATH SENSOR_PC_PREFIX /root/${libdir}/pkgconfig /root)
  string(REGEX REPLACE "/$" "" SENSOR_PC_PREFIX "${SENSOR_PC_PREFIX}")
  set(SENSOR_PC_LIBDIR ${libdir})
  foreach(lib ${sensor_libraries})
    string(TOLOWER ${lib} SENSOR_PC_NAME)
    set(SENSOR_PC_LIBRARY ${lib})
    set(pc ${PROJECT_BINARY_DIR}/pkgconfig/${prefix}sensordefect-${SENSOR_PC_NAME}.pc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in ${pc} @ONLY)
    install(FILES ${pc} RENAME sensordefect-${SENSOR_PC_NAME}.pc
      DESTINATION ${libdir}/pkgconfig COMPONENT ${prefix}library_development ${ARGN})
  endforeach()
endfunction()

sensor_install_libraries(${SENSOR_INSTALL_LIBDIR} "")
sensor_install_libraries(${SENSOR_PACKAGE_LIBDIR} package_ EXCLUDE_FROM_ALL)

foreach(program Waferonrun Glazetrun Ostrelrun sensorbatch sensorsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${SENSOR_INSTALL_BINDIR} COMPONENT runtime)
  endif()
endforeach()

install(DIRECTORY
    ${PROJECT_SOURCE_DIR}/analysis/common/include/
    ${PROJECT_SOURCE_DIR}/analysis/waferon/include/
    ${PROJECT_SOURCE_DIR}/analysis/glazet/include/
    ${PROJECT_SOURCE_DIR}/analysis/ostrel/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development
  FILES_MATCHING PATTERN "*.h")

# The schema of the programs' JSON reports (-Report), for hosts that check them.
install(FILES ${PROJECT_SOURCE_DIR}/doc/report.schema.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/sensordefect COMPONENT runtime)
install(FILES ${SENSOR_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

# Debian package: everything under /opt/sensordefect, the libraries in the
# multiarch folder; one package of the components below.
set(CPACK_PACKAGE_NAME sensordefect)
set(CPACK_PACKAGE_VENDOR "Sensor test developers")
set(CPACK_PACKAGE_CONTACT "Sensor test developers <dev@sensortest.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Camera sensor tests from one still image: chip defects, package defects, levels")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGING_INSTALL_PREFIX ${SENSOR_PACKAGE_PREFIX})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.31), libstdc++6 (>= 12), libtiff6 (>= 4.5), libpng16-16 (>= 1.6), zlib1g (>= 1:1.2)")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL runtime development package_libraries package_library_development)
# With the Python package, also its path file outside the prefix
# (python/CMakeLists.txt), which needs the package staged with DESTDIR.
if(SENSOR_PYTHON_PACKAGE)
  list(APPEND CPACK_COMPONENTS_ALL python_path)
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
  # The module is built for this interpreter's version and imports numpy.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${SENSOR_PYTHON_NEXT_MINOR}), python3-numpy")
endif()
include(CPack)
