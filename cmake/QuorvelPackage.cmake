# `cpack` (or the `package` target) makes a Debian package of what `cmake --install` installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR Brannock)
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <quorvel@brannock.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Alarm-logging workstation for remote alarm systems on serial lines")
# Lines of the control file's description: under 80 characters each, with the blank it gets.
set(CPACK_PACKAGE_DESCRIPTION
    "Watches up to sixteen remote alarm systems on serial lines, acknowledges
their messages, lists every event, appends it to a daily archive per line and
forwards alarms to a remote monitor. Runs as a desktop program or as a headless
service; quorvel-archive lists, exports and searches the archives.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QUORVEL_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, as dpkg-shlibdeps finds them; without it, Debian 12's names.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(EXISTS "${DPKG_SHLIBDEPS}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libqt6core6, libqt6network6, libqt6serialport6, libqt6gui6, libqt6widgets6, libqt6printsupport6, libqt6dbus6, libpcre2-8-0, libsystemd0")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
# The service's user is made when the package is configured.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
