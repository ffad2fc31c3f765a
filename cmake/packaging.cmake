# Debian packages (make deb), one per install component:
#   libtirmok0     the shared library
#   libtirmok-dev  headers, the static library, the CMake package and the pkg-config file
#   tirmok         the command-line tool (linked statically) with its manual page and bash completion
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tirmok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tirmok")
set(CPACK_PACKAGE_CONTACT "tirmok maintainers <tirmok@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Telugu text conversion, sorting and date words")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL library development tool)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION text)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libtirmok0)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
  "Telugu text conversion library\n Converts Telugu text between Unicode, transliterations, legacy font bytes,\n keyboard schemes, a collation code and Braille, and compares Telugu strings.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtirmok-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libtirmok0 (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Telugu text conversion library: development files\n C and C++ headers, the static library, the CMake package (find_package(tirmok))\n and the pkg-config file.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME tirmok)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
  "convert, sort and compare Telugu text from the shell\n The tirmok command converts files between the formats of the tirmok library,\n sorts lines in Telugu dictionary order and converts date words.")

include(CPack)
