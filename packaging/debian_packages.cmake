# The Debian packages, made by CPack from the three parts of the
# installation (cpack -G DEB in a tree configured for the prefix /usr):
#
#   libxmlxsl1      the shared libraries; depends on the Xalan-C, Xerces-C
#                   and pugixml runtime packages, found by dpkg-shlibdeps
#   libxmlxsl-dev   headers, CMake package, pkg-config file; depends on
#                   libxmlxsl1 of the same version
#   xmlxsl          the program, its samples and manual page; depends on
#                   libxmlxsl1 of the same version
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xmlxsl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the xmlxsl authors")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_COMPONENTS_ALL runtime dev program)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "xmlxsl maintainers <maintainers@xmlxsl.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The files' owner is root in the package, whoever builds it.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(same_version "${XMLXSL_RUNTIME_PACKAGE} (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${XMLXSL_RUNTIME_PACKAGE})
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "codeplug export, import and reports for radio programming - library
The library that a two-way-radio programming application loads to move a
radio's codeplug between its codeplug object, a byte-scrambled XML file and
a printable HTML report (Xalan-C), with the Win32 subset it runs on, its
document server (pugixml) and its resource manager.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# A shlibs file, so that what links the libraries depends on this version or a later one.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg-shlibdeps runs in each part's staging folder and finds the project's
# own libraries in the runtime part's; it takes no dependency from them, so
# the packages that use them name the runtime package themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "../runtime${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${XMLXSL_DEV_PACKAGE})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${same_version}")
set(CPACK_COMPONENT_DEV_DESCRIPTION "codeplug export, import and reports for radio programming - development files
The headers (the eight exported functions, the codeplug and document server
interfaces, the Win32 subset of BSTRs, variants and safe arrays), the CMake
package (find_package(xmlxsl CONFIG)) and the pkg-config file (xmlxsl) that
an application is built with.")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME ${XMLXSL_PROGRAM_PACKAGE})
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${same_version}")
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "codeplug export, import and reports for radio programming - program
xmlxsl exports, imports, shows and prints radio codeplugs through the
library, as a programming application does, and writes realistic codeplugs
of any size. With a bundled sample codeplug, its report templates in
English and German, and a demonstration of the whole round trip.")

include(CPack)
