# Installation (cmake --install) and the Debian package (cpack -G DEB):
# the programs, the decoding helper, the desktop entry, the AppStream
# metainfo, the icons, the man pages and the documents.
include(GNUInstallDirs)

# The helper program that tovik runs to decode pictures. tovik looks for it
# in ../libexec/tovik next to the folder that holds tovik itself.
set(TOVIK_HELPER_TARGET tovik-decoder)
set(TOVIK_HELPER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/tovik)
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_LIBEXECDIR STREQUAL "libexec")
  message(WARNING "tovik looks for its helper in ../libexec/tovik from its own folder; "
                  "with these install folders it will not find it once installed.")
endif()

# AppStream component id, home page and the screenshot's address.
set(TOVIK_APP_ID org.quillfeather.tovik)
set(TOVIK_HOMEPAGE "https://quillfeather.example/tovik" CACHE STRING "Home page named in the AppStream metainfo")
set(TOVIK_SCREENSHOT_URL "${TOVIK_HOMEPAGE}/main-window.png" CACHE STRING
    "Address of data/screenshots/main-window.png named in the AppStream metainfo")
set(TOVIK_RELEASE_DATE 2026-12-06)
set(TOVIK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tovik)

install(TARGETS tovik tovik-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${TOVIK_HELPER_TARGET} RUNTIME DESTINATION ${TOVIK_HELPER_DIR})

# The icon in the sizes of the hicolor theme and as a drawing, made by
# tovik-icons (app/) from the code that paints the windows' icon.
set(TOVIK_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_root ${CMAKE_BINARY_DIR}/icons)
set(icon_files ${icon_root}/hicolor/scalable/apps/tovik.svg)
foreach(size IN LISTS TOVIK_ICON_SIZES)
  list(APPEND icon_files ${icon_root}/hicolor/${size}x${size}/apps/tovik.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND tovik-icons ${icon_root} ${TOVIK_ICON_SIZES}
  DEPENDS tovik-icons
  COMMENT "Drawing the program's icons"
  VERBATIM)
add_custom_target(tovik_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${icon_root}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Desktop entry and AppStream metainfo.
set(metainfo ${CMAKE_BINARY_DIR}/data/${TOVIK_APP_ID}.metainfo.xml)
configure_file(data/tovik.metainfo.xml.in ${metainfo} @ONLY)
install(FILES data/tovik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages, compressed as Debian keeps them. The pages in data/man are
# finished pages that man shows from the source tree; the installed ones get
# this build's release date and version in their title line.
set(man_pages)
foreach(page tovik tovik-render)
  set(source ${PROJECT_SOURCE_DIR}/data/man/${page}.1)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  set(title "^(\\.TH [^ ]+ 1) \"[^\"]*\" \"Tovik [^\"]*\"")
  if(NOT text MATCHES "${title}")
    message(FATAL_ERROR "${source} does not begin with .TH NAME 1 \"date\" \"Tovik version\"")
  endif()
  string(REGEX REPLACE "${title}" "\\1 \"${TOVIK_RELEASE_DATE}\" \"Tovik ${PROJECT_VERSION}\"" dated "${text}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/data/man/${page}.1 CONTENT "${dated}" @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/data/man/${page}.1.gz
    COMMAND gzip -9 -n -k -f ${page}.1
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/data/man
    DEPENDS ${CMAKE_BINARY_DIR}/data/man/${page}.1
    VERBATIM)
  list(APPEND man_pages ${CMAKE_BINARY_DIR}/data/man/${page}.1.gz)
endforeach()
add_custom_target(tovik_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES COPYING README.md DESTINATION ${TOVIK_DOC_DIR})
# The pictures the README shows, at the places its links name.
install(FILES data/screenshots/main-window.png DESTINATION ${TOVIK_DOC_DIR}/data/screenshots)
install(FILES docs/dipole-lines.png DESTINATION ${TOVIK_DOC_DIR}/docs)

# The example pictures, where the open dialog starts until a picture has been
# opened.
install(FILES examples/dipole.bmp examples/dipole.wmf examples/plates.bmp examples/point-plate.bmp
              examples/quadrupole.bmp examples/ring.bmp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tovik/examples)

# The JSON Schema of the lines as data (tovik-render --json, the window's
# export).
install(FILES data/tovik-lines.schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/tovik)

if(TOVIK_BUILD_TESTS)
  include(cmake/InstallTests.cmake)
endif()
include(cmake/Package.cmake)
