# The Debian package, made from an installed tree by `cpack -G DEB` in a build
# folder. Its dependencies are read from the programs themselves
# (dpkg-shlibdeps), so they follow whatever the build linked.
install(FILES ${PROJECT_SOURCE_DIR}/res/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvi)

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
