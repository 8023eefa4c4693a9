# Fails when a folder includes a header from a folder it may not use: one above it, one beside
# it, or one below it that is not among its uses. Header-only use never fails a link, so the
# libraries' links alone cannot hold the floors.
#
#   cmake -DSOURCE_DIR=<source root> [-DSTAMP=<file touched on success>] -P check_layers.cmake

cmake_minimum_required(VERSION 3.25)

# Lowest floor first. A folder of a floor may use only the folders its USES line names.
set(FLOOR_platform 0)
set(FLOOR_foundation 1)
set(FLOOR_resources 2)
set(FLOOR_midi 3)
set(FLOOR_mixer 3)
set(FLOOR_recording 3)
set(FLOOR_performance 3)
set(FLOOR_midi/backends 4)
set(FLOOR_mixer/backends 4)
set(FLOOR_windows 5)
set(FLOOR_shell 5)
set(FLOOR_app 6)

set(USES_platform "")
set(USES_foundation platform)
set(USES_resources platform)
set(USES_midi platform foundation resources)
set(USES_mixer platform foundation resources)
set(USES_performance platform foundation resources)
set(USES_recording platform foundation resources midi)
set(USES_midi/backends platform foundation resources midi)
set(USES_mixer/backends platform foundation resources mixer)
# The core's top uses no backend: the program hands it the MIDI system and the mixer.
set(USES_windows platform foundation resources midi mixer recording performance)
set(USES_shell platform foundation resources midi mixer recording performance)
set(USES_app platform foundation resources midi mixer recording performance midi/backends
    mixer/backends windows shell)

set(FOLDERS platform foundation resources midi mixer recording performance midi/backends
    mixer/backends windows shell app)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "check_layers: pass -DSOURCE_DIR=<source root>")
endif()

# The folder a path from the source root belongs to: a backend folder, else its first part.
function(folder_of path out)
    if(path MATCHES "^(midi|mixer)/backends/")
        set(${out} "${CMAKE_MATCH_1}/backends" PARENT_SCOPE)
    elseif(path MATCHES "^([^/]+)/")
        set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

set(globs)
foreach(folder platform foundation resources midi mixer recording performance windows shell app)
    list(APPEND globs ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
endforeach()
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${globs})
list(SORT files)

set(broken 0)
foreach(file ${files})
    folder_of(${file} from)
    file(READ ${SOURCE_DIR}/${file} text)
    string(REGEX MATCHALL "(^|\n)[ \t]*#[ \t]*include[ \t]*\"[^\"\n]*\"" includes "${text}")
    set(searchFrom 0)
    foreach(include ${includes})
        string(REGEX REPLACE "^\n" "" include "${include}")
        string(REGEX REPLACE ".*\"([^\"]*)\"" "\\1" header "${include}")
        folder_of(${header} to)
        if(to STREQUAL from OR NOT to IN_LIST FOLDERS)
            continue()
        endif()
        if(to IN_LIST USES_${from})
            continue()
        endif()

        # The line number: newlines before this include, searched after the one before it.
        string(SUBSTRING "${text}" ${searchFrom} -1 rest)
        string(FIND "${rest}" "${include}" at)
        math(EXPR at "${searchFrom} + ${at}")
        string(SUBSTRING "${text}" 0 ${at} before)
        string(REGEX REPLACE "[^\n]" "" newlines "${before}")
        string(LENGTH "${newlines}" line)
        math(EXPR line "${line} + 1")
        math(EXPR searchFrom "${at} + 1")

        if(${FLOOR_${to}} GREATER ${FLOOR_${from}})
            set(where "a floor above it")
        elseif(${FLOOR_${to}} EQUAL ${FLOOR_${from}})
            set(where "beside it")
        else()
            set(where "below it, but not among its uses")
        endif()
        string(REPLACE ";" ", " uses "${USES_${from}}")
        if(uses STREQUAL "")
            set(uses "nothing")
        endif()
        message(SEND_ERROR "${file}:${line}: includes \"${header}\": ${to}/ is ${where}; "
                           "${from}/ may use ${uses}")
        math(EXPR broken "${broken} + 1")
    endforeach()
endforeach()

if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) break the floors (cmake/check_layers.cmake)")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
