# The package CPack builds from the install rules: a Debian package on Linux. Another system's
# package goes in its own branch below, beside the Debian one.
set(CPACK_PACKAGE_NAME tidora2000)
set(CPACK_PACKAGE_VENDOR "Équipe Tidora 2000")
set(CPACK_PACKAGE_CONTACT "Équipe Tidora 2000 <equipe@tidora2000.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trace cleaner for Wine and Proton prefixes")
set(CPACK_PACKAGE_DESCRIPTION "\
Tidora 2000 clears the traces that browsing and everyday work leave in a
Windows user environment: the browser's cache, history, typed addresses,
cookies, recent documents, the temporary folder, registry backups and
throw-away files (*.tmp, *.bak...) all over drive C. French interface,
skinned windows.
.
On Linux it works on the user's Wine and Proton prefixes (Wine, Steam,
Lutris, Heroic, Bottles): its menu entry opens a window that lists them with
what a cleaning would free in each and shows the files before anything is
deleted; its action \"Try on a demonstration prefix\" opens the program on
a prefix of its own, filled with sample traces. A prefix a program is using is
never cleaned, and no file of the machine outside the prefix is touched.
.
\"tidora2000 --prefixes\" lists those prefixes on the command line, with
their size and state.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tidora2000.invalid/")
set(CPACK_STRIP_FILES ON)
# A package is made from a tree already built: cpack (and make package) installs what is there
# instead of building every target, tests and benchmarks included, first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # A ZIP holding one folder, "Tidora2000-<version>-win64", to unpack anywhere.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Tidora2000-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The labels' typeface; without it they fall back to another sans-serif face.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-urw-base35)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  # The changelog's latest entry must name the version being packaged.
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  file(STRINGS ${changelog} latest LIMIT_COUNT 1)
  set(version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  if(NOT latest MATCHES "^tidora2000 \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL version)
    message(FATAL_ERROR "packaging/changelog: the latest entry must be for version ${version}: "
                        "${latest}")
  endif()
endif()

include(CPack)
