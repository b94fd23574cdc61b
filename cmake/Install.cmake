# Installation and packaging.
#
# The programs and the libraries go side by side into bin/, so that each
# program finds its library beside itself (run path $ORIGIN) and writes its
# default data log and the libraries' diagnostic files there. Hosts get the
# public headers, a CMake package (find_package(SensorDefect) with the imported
# targets SensorDefect::Waferon, ::Glazet and ::Ostrel) and a pkg-config file per
# library.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(SENSOR_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
set(SENSOR_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDefect)

set(sensor_libraries)
foreach(lib Waferon Glazet Ostrel)
  if(TARGET ${lib})
    list(APPEND sensor_libraries ${lib})
  endif()
endforeach()
install(TARGETS ${sensor_libraries} EXPORT SensorDefectTargets
  LIBRARY DESTINATION ${SENSOR_INSTALL_BINDIR} COMPONENT runtime
  RUNTIME DESTINATION ${SENSOR_INSTALL_BINDIR} COMPONENT runtime)

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

install(EXPORT SensorDefectTargets NAMESPACE SensorDefect::
  DESTINATION ${SENSOR_INSTALL_CMAKEDIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SensorDefectConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SensorDefectConfig.cmake
  INSTALL_DESTINATION ${SENSOR_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SensorDefectConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SensorDefectConfig.cmake
              ${PROJECT_BINARY_DIR}/SensorDefectConfigVersion.cmake
  DESTINATION ${SENSOR_INSTALL_CMAKEDIR} COMPONENT development)

foreach(lib ${sensor_libraries})
  string(TOLOWER ${lib} SENSOR_PC_NAME)
  set(SENSOR_PC_LIBRARY ${lib})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/sensordefect-${SENSOR_PC_NAME}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/sensordefect-${SENSOR_PC_NAME}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endforeach()

# The schema of the programs' JSON reports (-Report), for hosts that check them.
install(FILES ${PROJECT_SOURCE_DIR}/doc/report.schema.json
  DESTINATION ${CMAKE_INSTALL_DATADIR}/sensordefect COMPONENT runtime)
install(FILES ${SENSOR_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

# Debian package: everything under /opt/sensordefect.
set(CPACK_PACKAGE_NAME sensordefect)
set(CPACK_PACKAGE_VENDOR "Sensor test developers")
set(CPACK_PACKAGE_CONTACT "Sensor test developers <dev@sensortest.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Camera sensor tests from one still image: chip defects, package defects, levels")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGING_INSTALL_PREFIX ${SENSOR_PACKAGE_PREFIX})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.31), libstdc++6 (>= 12), libtiff6 (>= 4.5), libpng16-16 (>= 1.6)")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR DEB)
# With the Python package, also its path file outside the prefix (python/CMakeLists.txt).
if(SENSOR_PYTHON_PACKAGE)
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/;${PROJECT_BINARY_DIR};${PROJECT_NAME};python_path;/")
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
  # The module is built for this interpreter's version and imports numpy.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${SENSOR_PYTHON_NEXT_MINOR}), python3-numpy")
endif()
include(CPack)
