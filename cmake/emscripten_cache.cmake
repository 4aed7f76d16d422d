# Makes a writable Emscripten cache at CACHE whose entries link to the
# compiled system libraries of the installed Emscripten (found with EM_CONFIG).
# Run as: cmake -DEM_CONFIG=... -DCACHE=... -P this file.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${EM_CONFIG} CACHE OUTPUT_VARIABLE system_cache
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed OR NOT IS_DIRECTORY "${system_cache}")
    message(FATAL_ERROR "Emscripten names no cache folder (em-config CACHE gave \"${system_cache}\")")
endif()
file(MAKE_DIRECTORY "${CACHE}")
file(GLOB entries RELATIVE "${system_cache}" "${system_cache}/*")
foreach(entry ${entries})
    # The lock is taken for writing, so it is the cache's own file.
    if(entry STREQUAL "cache.lock")
        continue()
    endif()
    if(NOT EXISTS "${CACHE}/${entry}")
        file(CREATE_LINK "${system_cache}/${entry}" "${CACHE}/${entry}" SYMBOLIC)
    endif()
endforeach()
file(TOUCH "${CACHE}/cache.lock")
