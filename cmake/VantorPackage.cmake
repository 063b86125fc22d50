# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh
# builds, packs and checks it with lintian). Everything the install rules
# install goes into one package, vantor-viewer, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VANTOR-Viewer developers")
set(CPACK_PACKAGE_CONTACT "VANTOR-Viewer developers <vantor-viewer@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chest CT reading workstation")
set(CPACK_PACKAGE_DESCRIPTION
  "VANTOR Viewer is a desktop workstation for reading chest CT examinations\n"
  "and recording each reading as a standardised classification of lung and\n"
  "pleural findings. The package holds the program, its command-line tools\n"
  "and the libraries ZVDICOM, ZVIPEngine and ZVImgViewer with their headers,\n"
  "CMake package and pkg-config files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies from the linked libraries, and a shlibs file for the
# libraries the package provides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg's ldconfig trigger instead of the ldconfig calls CPack would write
# into postinst and postrm (which stay, empty, to keep it from doing so).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/debian/triggers
  ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
  ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Japanese messages want a CJK font; help pages and reports open in the
# desktop's applications through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, xdg-utils")
# The Python package's extension module is built for one interpreter
# version and imports numpy; neither shows in the shared-library dependencies.
if(TARGET _vantor)
  set(Python3_EXECUTABLE ${VANTOR_PYTHON3})
  find_package(Python3 COMPONENTS Interpreter QUIET)
  math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor}), python3-numpy")
endif()
include(CPack)
