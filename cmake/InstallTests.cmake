# Tests of what cmake --install and cpack make: the file list, the desktop
# entry and metainfo validators, the installed program run from a moved copy
# of its prefix, and the package's files and dependencies.
configure_file(tests/install/files.txt.in ${CMAKE_BINARY_DIR}/tests/install/files.txt @ONLY)
set(expected_files ${CMAKE_BINARY_DIR}/tests/install/files.txt)

add_test(NAME Install.FilesValidateAndTheMovedProgramDecodesWithItsHelper
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/install_test.sh
    ${CMAKE_BINARY_DIR} ${expected_files} ${TOVIK_HELPER_DIR}/${TOVIK_HELPER_TARGET}
    ${PROJECT_SOURCE_DIR}/examples/dipole.wmf)

# A package of a sanitizer build would depend on the sanitizers' libraries.
if(NOT TOVIK_SANITIZE)
  add_test(NAME Package.FilesVersionAndDepends
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/package_test.sh
      ${CMAKE_BINARY_DIR} ${expected_files} ${PROJECT_VERSION})
endif()
