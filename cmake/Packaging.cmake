# Packages. In a Linux build `cpack -G DEB` makes the Debian package of everything the
# installation holds, its dependencies (libcups among them) found by dpkg-shlibdeps.
# The Windows ZIP holds both Windows builds: scripts/package-windows.sh.
set(CPACK_PACKAGE_NAME zelvane)
set(CPACK_PACKAGE_VENDOR "Zelvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "shop peripherals (scanners, scales, collectors, price checkers, printing) behind a C API")
set(CPACK_PACKAGE_DESCRIPTION
    "The Zelvane library, its header, pkg-config file and CMake package, the price-checker \
service library, the command-line host zelvane-host and the device simulators zelvane-devsim, \
with the bindings for Pascal, C# and Python and the guides.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zelvane developers <zelvane@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
