# What an installation offers integrators (the CMake packages kvcom3 and kvcal3, pkg-config
# files) and the Debian package of the whole tree.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The 0.x interface may change between minor versions, so a consumer asks for major.minor.
foreach(package IN ITEMS kvcom3 kvcal3)
  set(destination ${CMAKE_INSTALL_LIBDIR}/cmake/${package})
  install(EXPORT ${package}Targets NAMESPACE ${package}:: DESTINATION ${destination})
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/${package}Config.cmake.in
    ${PROJECT_BINARY_DIR}/${package}Config.cmake INSTALL_DESTINATION ${destination})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/${package}Config.cmake
                ${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake
          DESTINATION ${destination})
endforeach()
install(EXPORT kvcal3UiTargets NAMESPACE kvcal3:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kvcal3)

# The .pc files name the prefix given at configure time; a staged copy is read with
# pkg-config --define-variable=prefix=STAGE.
foreach(dir IN ITEMS LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(KV_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(KV_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
foreach(package IN ITEMS kvcom3 kvcal3)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${package}.pc.in
                 ${PROJECT_BINARY_DIR}/${package}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${package}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# Sets USB serial adapters' latency timer to 1 ms; udev reads /usr/lib/udev/rules.d.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/99-kv-usb-serial-latency.rules
        DESTINATION lib/udev/rules.d)

set(KV_PACKAGE_MAINTAINER "KV sensor tools developers <kv-sensor-tools@example.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv-sensor-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KV sensor tools")
set(CPACK_PACKAGE_CONTACT "${KV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set up, read and calibrate KV gas and climate sensors")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tools and libraries for the maker's CO2, temperature, humidity, O2 and CO sensors on a serial "
    "line (KVBUS or Modbus RTU): the libraries kvcom3 (communication, memory map, values with "
    "units) and kvcal3 (calibrations) with their headers, CMake and pkg-config files. The "
    "programs: kvtool for scripts, the production station kvstation (recipes over several "
    "lines, records in SQLite or PostgreSQL), the desktop workbench kvworkbench, the service tool "
    "ThermAdjust and kvsim, a virtual sensor on a pseudo-terminal. The Python module kvsensor gives scripts "
    "the same objects.")
# The programs' compiled-in data folders (sensor profiles, definition files) follow the
# configured prefix, so the package installs there too: configure with -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The plots of the reading display and the workbench.
set(kv_depends libqt6charts6)
# The Python module is built for one minor version of the system's python3.
if(KV_PYTHON)
  math(EXPR kv_python_next "${Python_VERSION_MINOR} + 1")
  list(APPEND kv_depends
       "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}~), python3 (<< ${Python_VERSION_MAJOR}.${kv_python_next})")
endif()
# kvstation keeps records in PostgreSQL through libpqxx, whose Debian package is named after its
# major.minor version (libpqxx-6.4).
if(PQXX_VERSION MATCHES "^([0-9]+\\.[0-9]+)")
  list(APPEND kv_depends "libpqxx-${CMAKE_MATCH_1}")
endif()
list(JOIN kv_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
