# Install rules shared by the folders: libraries with their public headers and CMake export
# set, and programs that find the project's shared libraries from any installation prefix.
include_guard(DIRECTORY)
include(GNUInstallDirs)

# A program finds the libraries relative to itself, so a staged installation runs as it is and a
# system one needs no library path.
function(kv_install_program target)
  file(RELATIVE_PATH libdir_from_bindir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${libdir_from_bindir}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# kv_install_library(target export header_root): the library in the export set `export`, and the
# headers under header_root (a folder holding the library's own include folder).
function(kv_install_library target export header_root)
  # kvcal3 finds kvcom3 beside itself wherever the two are installed.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} EXPORT ${export}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${header_root}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    FILES_MATCHING PATTERN "*.h")
endfunction()
