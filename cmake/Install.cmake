# Install rules, the build folder's copy of the installed layout, and the Debian package.
#
# Both programs go to bin/ and everything they read at run time to share/textwright/; the
# build folder holds the same share/ tree, so <build>/app/textwright and <prefix>/bin/textwright
# find their data by one rule (<program dir>/../share/textwright) and an installed tree works
# under any prefix or DESTDIR.

set(TEXTWRIGHT_HOMEPAGE "https://textwright.example.org" CACHE STRING
    "Home page named by the package and the AppStream metainfo (screenshots under /screenshots)")
set(TEXTWRIGHT_RELEASE_DATE "2026-12-09" CACHE STRING "Release date of this version (YYYY-MM-DD)")
set(TEXTWRIGHT_APP_ID com.brindlecove.Textwright)

set(stage ${PROJECT_BINARY_DIR}/share)
set(dist ${PROJECT_SOURCE_DIR}/dist)

# The data, copied on every build (a few small files) so that added or removed language files
# and help pages show up without reconfiguring.
add_custom_target(textwright_data ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DSTAGE_DIR=${stage}/textwright
          -P ${PROJECT_SOURCE_DIR}/cmake/StageData.cmake
  COMMENT "Copying the help and the language files to ${stage}/textwright"
  VERBATIM)

# The manuals, with the version filled in and compressed as Debian expects.
find_program(TEXTWRIGHT_GZIP gzip REQUIRED)
set(manuals "")
foreach(page textwright textwright-cli)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${stage}/man/man1/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/man/man1
    COMMAND ${TEXTWRIGHT_GZIP} -9n -c ${PROJECT_BINARY_DIR}/man/${page}.1 > ${stage}/man/man1/${page}.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1
    VERBATIM)
  list(APPEND manuals ${stage}/man/man1/${page}.1.gz)
endforeach()
configure_file(${dist}/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
  COMMAND ${TEXTWRIGHT_GZIP} -9n -c ${PROJECT_BINARY_DIR}/doc/changelog > ${PROJECT_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog
  VERBATIM)
add_custom_target(textwright_manuals ALL DEPENDS ${manuals} ${PROJECT_BINARY_DIR}/doc/changelog.gz)
configure_file(${dist}/${TEXTWRIGHT_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/dist/${TEXTWRIGHT_APP_ID}.metainfo.xml @ONLY)

# What is installed.
install(TARGETS textwright-cli RUNTIME DESTINATION bin)
install(FILES ${stage}/man/man1/textwright-cli.1.gz DESTINATION share/man/man1)
install(FILES ${dist}/textwright-cli.bash-completion DESTINATION share/bash-completion/completions
        RENAME textwright-cli)
install(FILES ${dist}/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION share/doc/textwright)
if(TARGET textwright)
  install(TARGETS textwright RUNTIME DESTINATION bin)
  install(DIRECTORY ${stage}/textwright/ DESTINATION share/textwright)
  install(FILES ${stage}/man/man1/textwright.1.gz DESTINATION share/man/man1)
  install(FILES ${dist}/${TEXTWRIGHT_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_BINARY_DIR}/dist/${TEXTWRIGHT_APP_ID}.metainfo.xml
          DESTINATION share/metainfo)
  install(FILES ${dist}/textwright-mime.xml DESTINATION share/mime/packages
          RENAME ${TEXTWRIGHT_APP_ID}.xml)
  install(FILES ${dist}/textwright.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()

# make package: a Debian package of the above under /usr. The shared libraries the programs
# link (the Qt 6 runtime among them) become dependencies through dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME textwright)
set(CPACK_PACKAGE_VENDOR Brindlecove)
set(CPACK_PACKAGE_CONTACT "Textwright developers <textwright@brindlecove.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and replace text in many files at once")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Textwright applies a list of find/replace pairs, in order, to a list of
files: literal, with a %anything% wildcard or by regular expressions, with
confirmation of each occurrence, restorable backups and text or HTML
reports. RTF files are searched in their visible text only.

The package holds the Qt desktop program (textwright) and the command-line
tool (textwright-cli), which run the same engine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TEXTWRIGHT_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in the program's language: translations Qt loads at run time, so no
# library dependency can name them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
