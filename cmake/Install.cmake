# Installation: the header, the libraries, a CMake package and a pkg-config file, the
# command-line host (and on Linux the device simulators), the bindings and the guides.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(FILES ${PROJECT_SOURCE_DIR}/include/zelvane.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS zelvane Ondrell spr_lan
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS zelvane-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zelvane-devsim)
  install(TARGETS zelvane-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/bindings/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zelvane/bindings)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/host-guide.md
              ${PROJECT_SOURCE_DIR}/docs/technician-guide.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(WIN32)
  # Hosts built with other tools link against the module definition file.
  install(FILES ${CMAKE_BINARY_DIR}/bin/Zelvane.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

# The package describes the installed files directly: the core is linked into the
# shared library and is no part of what a host links.
if(WIN32)
  set(ZELVANE_INSTALLED_RUNTIME "${CMAKE_INSTALL_BINDIR}/Zelvane.dll")
  set(ZELVANE_INSTALLED_IMPLIB "${CMAKE_INSTALL_LIBDIR}/libZelvane.dll.a")
else()
  set(ZELVANE_INSTALLED_RUNTIME "${CMAKE_INSTALL_LIBDIR}/libzelvane.so")
  set(ZELVANE_INSTALLED_IMPLIB "")
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/zelvaneConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/zelvaneConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelvane
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR ZELVANE_INSTALLED_RUNTIME)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/zelvaneConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/zelvaneConfig.cmake ${CMAKE_BINARY_DIR}/zelvaneConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelvane)

# The prefix is found from the file's own place, so that a staged or moved
# installation still points at itself.
file(RELATIVE_PATH ZELVANE_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${PROJECT_SOURCE_DIR}/cmake/zelvane.pc.in ${CMAKE_BINARY_DIR}/zelvane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zelvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
