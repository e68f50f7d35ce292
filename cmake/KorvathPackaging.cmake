# Install rules, generated desktop files, manual pages and the Debian package.
include(GNUInstallDirs)

set(KORVATH_APP_ID "org.korvath.Korvath")
# The date of the release named by PROJECT_VERSION; the metainfo and the changelog carry it.
set(KORVATH_RELEASE_DATE "2026-12-07")
set(KORVATH_MAINTAINER "Korvath developers <dev@korvath.org>")

set(PACKAGING_SOURCE_DIR "${CMAKE_SOURCE_DIR}/packaging")
set(PACKAGING_BINARY_DIR "${CMAKE_BINARY_DIR}/packaging")
file(MAKE_DIRECTORY "${PACKAGING_BINARY_DIR}")

find_program(HELP2MAN help2man REQUIRED)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)
find_program(DATE_PROGRAM date REQUIRED)

# Metainfo and changelog carry the version and date.
execute_process(COMMAND "${DATE_PROGRAM}" -u -R -d "${KORVATH_RELEASE_DATE}"
                OUTPUT_VARIABLE KORVATH_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(KORVATH_METAINFO "${PACKAGING_BINARY_DIR}/${KORVATH_APP_ID}.metainfo.xml")
configure_file("${PACKAGING_SOURCE_DIR}/${KORVATH_APP_ID}.metainfo.xml.in" "${KORVATH_METAINFO}"
               @ONLY)
configure_file("${PACKAGING_SOURCE_DIR}/changelog.in" "${PACKAGING_BINARY_DIR}/changelog" @ONLY)
set(KORVATH_DESKTOP_ENTRY "${PACKAGING_SOURCE_DIR}/${KORVATH_APP_ID}.desktop")

# Icons: the SVG is the source, the PNG sizes are drawn from it at build time.
set(KORVATH_ICON_SVG "${CMAKE_SOURCE_DIR}/resources/korvath.svg")
set(KORVATH_ICON_SIZES 48 128 256)
set(icon_outputs)
foreach(size ${KORVATH_ICON_SIZES})
  set(png "${PACKAGING_BINARY_DIR}/icons/${size}/${KORVATH_APP_ID}.png")
  add_custom_command(
    OUTPUT "${png}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PACKAGING_BINARY_DIR}/icons/${size}"
    COMMAND "${RSVG_CONVERT}" -w ${size} -h ${size} -o "${png}" "${KORVATH_ICON_SVG}"
    DEPENDS "${KORVATH_ICON_SVG}"
    COMMENT "Drawing the ${size} px icon")
  list(APPEND icon_outputs "${png}")
endforeach()

# Manual pages from the programs' own --help and --version, so they cannot drift. The editor
# answers --help without a display and without label files; the CLI's page adds the --help of
# each of its commands.
set(cli_commands "${PACKAGING_BINARY_DIR}/korvath-cli-commands.h2m")
add_custom_command(
  OUTPUT "${cli_commands}"
  COMMAND "${CMAKE_COMMAND}" -DCLI=$<TARGET_FILE:korvath-cli> "-DOUTPUT=${cli_commands}"
          -P "${CMAKE_SOURCE_DIR}/cmake/CliCommandsH2m.cmake"
  DEPENDS korvath-cli "${CMAKE_SOURCE_DIR}/cmake/CliCommandsH2m.cmake")
set(man_pages)
function(korvath_man_page target name)
  set(page "${PACKAGING_BINARY_DIR}/man/${target}.1")
  set(includes "--include=${PACKAGING_SOURCE_DIR}/label-files.h2m")
  foreach(extra ${ARGN})
    list(APPEND includes "--include=${extra}")
  endforeach()
  add_custom_command(
    OUTPUT "${page}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PACKAGING_BINARY_DIR}/man"
    COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            "PATH=$<TARGET_FILE_DIR:${target}>:$ENV{PATH}"
            "${HELP2MAN}" --no-info --section=1 "--name=${name}" ${includes} "--output=${page}"
            ${target}
    COMMAND "${GZIP}" -9nf "${page}"
    DEPENDS ${target} "${PACKAGING_SOURCE_DIR}/label-files.h2m" ${ARGN}
    COMMENT "Writing the manual page of ${target}")
  set(man_pages ${man_pages} "${page}.gz" PARENT_SCOPE)
endfunction()
korvath_man_page(korvath "edit Korvath save files in a window")
korvath_man_page(korvath-cli "read, edit and write Korvath save files from scripts"
                 "${cli_commands}" "${PACKAGING_SOURCE_DIR}/korvath-cli.h2m")

add_custom_command(
  OUTPUT "${PACKAGING_BINARY_DIR}/changelog.gz"
  COMMAND "${GZIP}" -9nkf "${PACKAGING_BINARY_DIR}/changelog"
  DEPENDS "${PACKAGING_BINARY_DIR}/changelog")

add_custom_target(korvath_packaging_files ALL
  DEPENDS ${icon_outputs} ${man_pages} "${PACKAGING_BINARY_DIR}/changelog.gz")

# Install layout.
install(TARGETS korvath korvath-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${KORVATH_DESKTOP_ENTRY}" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${KORVATH_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size ${KORVATH_ICON_SIZES})
  install(FILES "${PACKAGING_BINARY_DIR}/icons/${size}/${KORVATH_APP_ID}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES "${KORVATH_ICON_SVG}" RENAME "${KORVATH_APP_ID}.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES ${man_pages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
set(KORVATH_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/korvath")
install(FILES "${PACKAGING_SOURCE_DIR}/copyright" "${PACKAGING_BINARY_DIR}/changelog.gz"
        DESTINATION "${KORVATH_DOC_DIR}")
install(FILES ${KORVATH_DEMO_OUTPUTS} DESTINATION "${KORVATH_DOC_DIR}/examples")

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvath)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Korvath developers")
set(CPACK_PACKAGE_CONTACT "${KORVATH_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the save files of the strategy game Korvath")
# One string: the lines stay under 80 columns in the control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Korvath opens one save file of the turn-based strategy game Korvath and\n"
       "shows the game state on seven pages of one window: forces, development\n"
       "plans, units, pilots, areas, special plans and the weapons list. Changed\n"
       "values are written back into the same bits of the same file. A hex dump\n"
       "and a unit editor sit beside the main window; the interface is Japanese.\n"
       "korvath-cli exports, edits and dumps saves from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KORVATH_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvath.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
