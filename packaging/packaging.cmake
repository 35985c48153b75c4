# Installing like a desktop application, and the Debian package (`make package`, CPack's DEB
# generator). Included at the end of the top-level CMakeLists, after the targets.
include(GNUInstallDirs)

# One application id for the desktop entry, the metadata, the icon and the window.
set(K11_APP_ID "org.kelvora.kelvora11s5")
set(K11_RELEASE_DATE "2026-12-09")
# The changelog's form of the same day.
execute_process(COMMAND date -u -R -d "${K11_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE K11_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(K11_MAINTAINER "kelvora11s5 maintainers <maintainers@kelvora11s5.invalid>"
    CACHE STRING "The package's Maintainer field")
# The metadata's screenshot needs a web address; give it once the screenshot is published.
set(K11_SCREENSHOT_URL "" CACHE STRING "Web address of docs/screenshot.png for the metadata")

set(pkg_src ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(pkg_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pkg_src}/app.metainfo.xml.in)

target_compile_definitions(kelvora11s5 PRIVATE K11_APP_ID="${K11_APP_ID}")
# An installed program keeps its data in the user's folder, never beside itself.
set_property(SOURCE src/workspace/data_folder.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             K11_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}")

configure_file(${pkg_src}/app.desktop.in ${pkg_out}/${K11_APP_ID}.desktop @ONLY)
file(READ ${pkg_src}/app.metainfo.xml.in metainfo)
if(K11_SCREENSHOT_URL STREQUAL "")
  string(REGEX REPLACE "  <screenshots>.*</screenshots>\n" "" metainfo "${metainfo}")
endif()
file(CONFIGURE OUTPUT ${pkg_out}/${K11_APP_ID}.metainfo.xml CONTENT "${metainfo}" @ONLY)

# The icon's PNG sizes are rendered from the SVG; the window takes them from its resources.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size 48 128 256)
  add_custom_command(OUTPUT ${pkg_out}/icons/${size}.png
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${pkg_out}/icons
                     COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${pkg_out}/icons/${size}.png
                             ${pkg_src}/icon.svg
                     DEPENDS ${pkg_src}/icon.svg VERBATIM)
  list(APPEND icon_pngs ${pkg_out}/icons/${size}.png)
endforeach()
qt_add_resources(kelvora11s5 app_icon PREFIX /icon BASE ${pkg_out}/icons FILES ${icon_pngs})

# Manual pages and the changelog, compressed as Debian wants them (no time stamp in the gzip).
set(gzipped)
foreach(page kelvora11s5.1 kelvora11s5-site.1 changelog)
  configure_file(${pkg_src}/${page} ${pkg_out}/${page} @ONLY)
  add_custom_command(OUTPUT ${pkg_out}/${page}.gz
                     COMMAND gzip -9nkf ${pkg_out}/${page}
                     DEPENDS ${pkg_out}/${page} VERBATIM)
  list(APPEND gzipped ${pkg_out}/${page}.gz)
endforeach()
add_custom_target(k11_install_files ALL DEPENDS ${gzipped} ${icon_pngs})

install(TARGETS kelvora11s5 kelvora11s5-site RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The game table the program reads at start (its schedules can be corrected there).
install(FILES data/games/games.tsv DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvora11s5)
install(FILES ${pkg_out}/${K11_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg_out}/${K11_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg_src}/icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${K11_APP_ID}.svg)
foreach(size 48 128 256)
  install(FILES ${pkg_out}/icons/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${K11_APP_ID}.png)
endforeach()
install(FILES ${pkg_out}/kelvora11s5.1.gz ${pkg_out}/kelvora11s5-site.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${pkg_src}/kelvora11s5.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvora11s5)
install(FILES ${pkg_src}/copyright ${pkg_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package. Installed under the configured prefix, which the package build sets to
# /usr, so the program finds itself in the folder it was built for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvora11s5)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_CONTACT "${K11_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analyser of 11-choose-5 lottery draw histories")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps the draws of a regional 11-choose-5 game in a local database and
searches them: in which past periods did the draw before match these targets,
and what was drawn then, tallied against what chance alone would give. Draws
are typed in, imported from text files and spreadsheets or fetched from a
results site; play tables, shrinking a bet and back-tests are included. A
window and a command line over the same history.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese texts need a CJK font; files and pages are opened with xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei, xdg-utils")
# Qt's own dialog texts in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(K11_TESTS)
  add_test(NAME ManPage.NamesEveryCommandAndOption
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging/check_man_page.sh
                   $<TARGET_FILE:kelvora11s5> ${pkg_out}/kelvora11s5.1
                   $<TARGET_FILE:kelvora11s5-site> ${pkg_out}/kelvora11s5-site.1)
endif()
