# Removes the files an installation listed in its manifest (TORVI_MANIFEST), and
# then the folders of the program's own that are left empty. Only what was
# installed goes: a listed path that is now a link, or that a link leads to
# (one of its folders was replaced by a link since), is left alone and
# reported, because removing it would reach something the installation never
# made. Run with [DESTDIR=STAGE] cmake -DTORVI_MANIFEST=FILE -P uninstall_files.cmake.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED TORVI_MANIFEST OR NOT EXISTS "${TORVI_MANIFEST}")
    message(FATAL_ERROR "No installation to remove: ${TORVI_MANIFEST} is missing "
                        "(it is written by cmake --install)")
endif()

# The manifest names the files without the staging folder an install into
# DESTDIR put in front; the same DESTDIR finds them again.
file(STRINGS "${TORVI_MANIFEST}" listed)
set(installed "")
foreach(path IN LISTS listed)
    list(APPEND installed "$ENV{DESTDIR}${path}")
endforeach()

# The deepest folder that every listed file shares: the links checked for lie
# below it, so a prefix that itself sits behind a link is no obstacle.
set(common "")
foreach(path IN LISTS installed)
    get_filename_component(folder "${path}" DIRECTORY)
    if(common STREQUAL "")
        set(common "${folder}")
    endif()
    while(TRUE)
        string(FIND "${folder}/" "${common}/" at)
        if(at EQUAL 0 OR common STREQUAL "/" OR common STREQUAL "")
            break()
        endif()
        get_filename_component(common "${common}" DIRECTORY)
    endwhile()
endforeach()

# True when path or one of its folders below common is a link.
function(torvi_reached_through_link path result)
    set(${result} FALSE PARENT_SCOPE)
    set(current "${path}")
    while(NOT current STREQUAL common AND NOT current STREQUAL "/" AND NOT current STREQUAL "")
        if(IS_SYMLINK "${current}")
            set(${result} TRUE PARENT_SCOPE)
            return()
        endif()
        get_filename_component(current "${current}" DIRECTORY)
    endwhile()
endfunction()

set(failed 0)
set(folders "")
foreach(path IN LISTS installed)
    torvi_reached_through_link("${path}" linked)
    if(linked)
        message(STATUS "Left alone (reached through a link): ${path}")
        math(EXPR failed "${failed} + 1")
    elseif(IS_DIRECTORY "${path}")
        message(STATUS "Left alone (now a folder): ${path}")
        math(EXPR failed "${failed} + 1")
    elseif(EXISTS "${path}")
        file(REMOVE "${path}")
        if(EXISTS "${path}")
            message(STATUS "Could not remove: ${path}")
            math(EXPR failed "${failed} + 1")
        else()
            message(STATUS "Removed: ${path}")
            get_filename_component(folder "${path}" DIRECTORY)
            list(APPEND folders "${folder}")
        endif()
    else()
        message(STATUS "Already gone: ${path}")
    endif()
endforeach()

# Folders named after the program, below the shared folder, are its own;
# others (bin, share/man/man1, ...) are shared with the rest of the system and
# stay, even when empty.
string(LENGTH "${common}" common_length)
function(torvi_own_folder folder result)
    string(SUBSTRING "${folder}" ${common_length} -1 below)
    if("${below}" MATCHES "/torvi(/|$)")
        set(${result} TRUE PARENT_SCOPE)
    else()
        set(${result} FALSE PARENT_SCOPE)
    endif()
endfunction()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
    while(TRUE)
        torvi_own_folder("${folder}" own)
        if(NOT own)
            break()
        endif()
        file(GLOB left "${folder}/*" "${folder}/.*")
        if(left OR IS_SYMLINK "${folder}")
            break()
        endif()
        file(REMOVE_RECURSE "${folder}")
        message(STATUS "Removed the empty folder: ${folder}")
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()

if(failed GREATER 0)
    message(FATAL_ERROR "${failed} installed files were left in place (see above)")
endif()
