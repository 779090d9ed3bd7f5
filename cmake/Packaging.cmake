# The Debian package, made by CPack from the install rules of the build it is part of:
#   cmake --build build/dev --target package   (or scripts/package)
# Its dependencies are read from the shared libraries the programs link (dpkg-shlibdeps).

# Compressed copies of the man pages and the changelog, as Debian installs them.
set(kell_compressed_docs "")
function(kell_install_compressed source destination)
  get_filename_component(name ${source} NAME)
  set(output ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${PROJECT_BINARY_DIR}/packaging/${name}
    COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/packaging/${name}
    DEPENDS ${source}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY KELL_COMPRESSED_DOCS ${output})
  install(FILES ${output} DESTINATION ${destination})
endfunction()

file(GLOB kell_man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
foreach(page IN LISTS kell_man_pages)
  kell_install_compressed(${page} share/man/man1)
endforeach()
# The changelog names the version the project says it is.
configure_file(${PROJECT_SOURCE_DIR}/docs/packaging/changelog.in
               ${PROJECT_BINARY_DIR}/packaging/source/changelog @ONLY)
kell_install_compressed(${PROJECT_BINARY_DIR}/packaging/source/changelog share/doc/kell-updater)
install(FILES ${PROJECT_SOURCE_DIR}/docs/packaging/copyright DESTINATION share/doc/kell-updater)
get_property(kell_compressed_docs GLOBAL PROPERTY KELL_COMPRESSED_DOCS)
add_custom_target(kell_compressed_docs ALL DEPENDS ${kell_compressed_docs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kell-updater)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kell updater maintainers <maintainers@users.noreply.c-seed-04b4c6bd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "updater for Kell Series TV and satellite signal meters")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Updates the firmware, FPGA set, keypad, channel plans, zone tables and MPEG4\n"
    "module of a Kell Series portable TV and satellite signal meter (models Orvo\n"
    "and Tesk) over its USB serial port. Everything it writes travels inside the\n"
    "program.\n"
    "\n"
    "The package holds the windowed updater (kell-update), the console updater\n"
    "(kell-update-cli) and a simulated meter on a pseudo-terminal (kell-sim), on\n"
    "which both can be tried without an instrument.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build tree; the package carries stripped programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
