# `cmake --build BUILD --target uninstall` removes what `cmake --install BUILD`
# put in place, as listed in BUILD/install_manifest.txt (under DESTDIR when
# that is set, as for the install).
add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DTORVI_MANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -P ${CMAKE_CURRENT_LIST_DIR}/uninstall_files.cmake
    COMMENT "Removing the files listed in install_manifest.txt"
    VERBATIM)
