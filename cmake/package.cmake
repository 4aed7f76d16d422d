# The Debian package, made from an installed tree by `cpack -G DEB` in a build
# folder. Its dependencies are read from the programs themselves
# (dpkg-shlibdeps), so they follow whatever the build linked; what is loaded
# rather than linked is named by hand.
install(FILES ${PROJECT_SOURCE_DIR}/res/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvi)

# The release notes are a Debian changelog, so a native package carries them
# as its changelog.gz. Their newest entry must be the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog _torvi_changelog_top LIMIT_COUNT 1)
if(NOT _torvi_changelog_top MATCHES "^torvi \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "docs/changelog starts with '${_torvi_changelog_top}', not an entry "
                        "for torvi ${PROJECT_VERSION}: add the release notes of this version")
endif()
set(_torvi_changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_torvi_changelog_gz}
    # -n keeps the name and date out, so the same notes always pack to the same bytes.
    COMMAND gzip -9n < ${PROJECT_SOURCE_DIR}/docs/changelog > ${_torvi_changelog_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/changelog
    COMMENT "Packing the release notes"
    VERBATIM)
add_custom_target(torvi_changelog ALL DEPENDS ${_torvi_changelog_gz})
install(FILES ${_torvi_changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvi)
# Findings of lintian that are deliberate, each explained in the file.
install(FILES ${PROJECT_SOURCE_DIR}/res/lintian/torvi
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvi)
set(CPACK_PACKAGE_VENDOR "The Torvi Project")
set(CPACK_PACKAGE_CONTACT "The Torvi Project <help@torvi.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quiz program with typed answers judged word by word")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Packages install under /usr whatever prefix the build folder was configured for.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, so no library lookup finds them:
# without the Wayland one the window cannot open on a Wayland-only session.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Torvi shows one question at a time; the learner types the answer, or several
answers, and Torvi judges each by its words: letter case, word order, extra
words and common little words do not matter. Comments and explanation pages
follow wrong answers; the score comes at the end. Quiz files are plain text
written by hand.
.
The package holds the quiz window torvi, the command-line tool torvi-cli
(which checks quiz files, shows how answers are judged and plays quizzes in a
terminal), example quizzes, sound cues, a menu entry and manual pages.")
include(CPack)
