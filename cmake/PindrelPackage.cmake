# The Debian package: `cmake --build BUILD --target package` (scripts/package.sh
# builds it from a Release build) writes pindrel_<version>_amd64.deb.
#
# The package version is the project's four-part version, 1.4.0.24, as the About
# box shows it: it sorts right in dpkg, and it has no "-N" part because this is
# not a Debian revision of someone else's release but the project's own build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pindrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pindrel maintainers <pindrel@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simple statistics on your C/C++ code")
# CPack puts the summary first; this is the long description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Pindrel keeps a list of your projects, one directory each, and for the ones
you select reads every C and C++ file below them (every file whose extension
begins with h or c). It counts the lines that hold code, the lines with a //
comment, the comment-only and empty lines, and the characters of the code, and
shows each as a figure and as a share of the whole.
.
The dialog counts one file at a time and stays usable; the report can be saved
as an HTML page. The command-line companion pindrel-report prints the same
report in a terminal, as tab-separated values or as JSON.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own buttons and file dialogs in French and German.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_STRIP_FILES ON)
set(CPACK_STRIP_PROGRAM ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PindrelStripNotes.cmake)
# Debian packages install under /usr, not /usr/local.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
