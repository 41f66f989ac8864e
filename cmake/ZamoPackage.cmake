# Packages of the installed layout (see the install rules in host/, platform/,
# import/ and export/): `cpack` in the build folder makes zamo_VERSION_ARCH.deb
# and zamo-VERSION-Linux.tar.gz (bin/, lib/zamo/, share/ at its top); the .deb
# installs under /usr.
set(CPACK_PACKAGE_NAME zamo)
set(CPACK_PACKAGE_VERSION ${ZAMO_VERSION})
set(CPACK_PACKAGE_VENDOR "Zamo vCard plug-ins")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Contact organiser host with vCard import and export plug-ins (zamo command)")
set(CPACK_PACKAGE_CONTACT "Zamo developers <zamo-dev@example.org>")
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# dpkg-shlibdeps names the system libraries the binaries need (SQLite, ICU, the
# C++ runtime); the package's own libraries in lib/zamo are no dependency.
find_program(ZAMO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZAMO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR} "${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/zamo-${ZAMO_VERSION}-Linux/usr/lib/zamo")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libsqlite3-0, libicu72")
endif()
include(CPack)
