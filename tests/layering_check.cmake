# Checks that the sources under SOURCE_DIR keep to the libraries' order: each
# file may include headers of its own library and of the libraries below it,
# never of one above or beside it. Run as: cmake -DSOURCE_DIR=... -P this file.
#
# Each library is a name, the pattern its files' paths match (the first that
# matches wins) and the libraries its files may include, separated by colons.
cmake_minimum_required(VERSION 3.25)

set(TORVI_LAYERS
    "pattern:^pattern/:pattern"
    "file:^file/:file"
    "text:^text/:text pattern file"
    "judge:^judge/:judge text pattern file"
    "quiz:^quiz/:quiz judge text pattern file"
    "sound_sdl:^sound/sdl_:sound_sdl sound text pattern file"
    "sound:^sound/:sound text pattern file"
    "check:^check/:check quiz judge text pattern file"
    "convert:^convert/:convert check quiz judge text pattern file"
    "qt:^ui/qt/:qt ui convert check quiz judge text pattern sound file"
    "ui:^ui/:ui convert check quiz judge text pattern sound file"
    "app:^app/:app qt ui convert check quiz judge text pattern sound sound_sdl file"
    "terminal:^terminal/:terminal ui convert check quiz judge text pattern sound file"
    "export:^export/:export ui convert check quiz judge text pattern sound file"
    "web:^web/:web ui convert check quiz judge text pattern sound file"
    "cli:^cli/:cli terminal export convert check ui quiz judge text pattern sound sound_sdl file"
    "editor:^editor/:editor app qt export convert check ui quiz judge text pattern sound sound_sdl file")

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "layering check: SOURCE_DIR must name the source folder")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

# The library a path under SOURCE_DIR belongs to, or "" for none.
function(torvi_layer_of path out)
    foreach(layer ${TORVI_LAYERS})
        string(REPLACE ":" ";" fields "${layer}")
        list(GET fields 0 name)
        list(GET fields 1 pattern)
        if(path MATCHES "${pattern}")
            set(${out} "${name}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

function(torvi_allowed_by name out)
    foreach(layer ${TORVI_LAYERS})
        string(REPLACE ":" ";" fields "${layer}")
        list(GET fields 0 candidate)
        if(candidate STREQUAL name)
            list(GET fields 2 allowed)
            string(REPLACE " " ";" allowed "${allowed}")
            set(${out} "${allowed}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT sources)
set(faults 0)
set(checked 0)
foreach(source ${sources})
    torvi_layer_of("${source}" own)
    if(own STREQUAL "")
        message(SEND_ERROR "${source} belongs to no library: add it to the list in this check")
        math(EXPR faults "${faults} + 1")
        continue()
    endif()
    torvi_allowed_by("${own}" allowed)
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
        torvi_layer_of("${header}" theirs)
        if(theirs STREQUAL "")
            continue() # a file of the same folder, a generated file
        endif()
        math(EXPR checked "${checked} + 1")
        if(NOT theirs IN_LIST allowed)
            message(SEND_ERROR "${source} includes \"${header}\": ${own} may not use ${theirs}")
            math(EXPR faults "${faults} + 1")
        endif()
    endforeach()
endforeach()
if(faults GREATER 0)
    message(FATAL_ERROR "layering check: ${faults} fault(s)")
endif()
if(checked EQUAL 0)
    message(FATAL_ERROR "layering check: no include was checked under ${SOURCE_DIR}")
endif()
message(STATUS "layering check: ${checked} includes in the libraries' order")
