# Fails when a file includes a header of a folder it may not use, in whatever form the include
# takes: <a/b.h>, "a/b.h", "../a/b.h" or "sub/b.h" from the folder above. Header-only use never
# fails a link, so the libraries' links alone cannot hold the floors. With README, also fails
# when that file's table of floors is not the table the build is made from.
#
#   cmake -DSOURCE_DIR=<tree> -DFLOORS=<table written by tonvel_write_floors> [-DREADME=<file>]
#         [-DSTAMP=<file touched on success>] -P check_layers.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT FLOORS)
    message(FATAL_ERROR "check_layers: pass -DSOURCE_DIR=<tree> -DFLOORS=<table>")
endif()
include(${FLOORS})

# The folder of the table a path from the tree's root belongs to: the longest that holds it.
function(folder_of path out)
    set(best "")
    foreach(folder ${FOLDERS})
        string(LENGTH "${folder}" length)
        string(LENGTH "${best}" bestLength)
        if(path MATCHES "^${folder}/" AND length GREATER bestLength)
            set(best "${folder}")
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(globs)
foreach(folder ${FOLDERS})
    list(APPEND globs ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
endforeach()
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${globs})
list(REMOVE_DUPLICATES files)
list(SORT files)

set(broken 0)
foreach(file ${files})
    folder_of(${file} from)
    get_filename_component(here ${SOURCE_DIR}/${file} DIRECTORY)
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
        if(NOT line MATCHES "include[ \t]*([<\"])([^>\"]+)[>\"]")
            continue()
        endif()
        set(header "${CMAKE_MATCH_2}")
        # A quoted include is looked for beside the file first; both forms then from the root.
        set(candidates ${SOURCE_DIR}/${header})
        if(CMAKE_MATCH_1 STREQUAL "\"")
            list(PREPEND candidates ${here}/${header})
        endif()
        set(to "")
        foreach(candidate ${candidates})
            cmake_path(NORMAL_PATH candidate)
            if(EXISTS ${candidate} AND NOT IS_DIRECTORY ${candidate})
                cmake_path(RELATIVE_PATH candidate BASE_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE rel)
                if(NOT rel MATCHES "^\\.\\./")
                    folder_of(${rel} to)
                endif()
                break()
            endif()
        endforeach()
        if(to STREQUAL "" OR to STREQUAL from OR to IN_LIST USES_${from})
            continue()
        endif()
        file(READ ${SOURCE_DIR}/${file} text)
        string(FIND "${text}" "${line}" at)
        string(SUBSTRING "${text}" 0 ${at} before)
        string(REGEX REPLACE "[^\n]" "" newlines "${before}")
        string(LENGTH "${newlines}" number)
        math(EXPR number "${number} + 1")
        string(REPLACE ";" ", " uses "${USES_${from}}")
        if(uses STREQUAL "")
            set(uses "nothing")
        endif()
        message(SEND_ERROR "${file}:${number}: includes ${header} from ${to}/, which ${from}/ may "
                           "not use; ${from}/ may use ${uses}")
        math(EXPR broken "${broken} + 1")
    endforeach()
endforeach()

if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) break the floors (the table in CMakeLists.txt)")
endif()

if(README)
    file(READ ${README} readme)
    string(FIND "${readme}" "${README_TABLE}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${README} does not show the floors as CMakeLists.txt has them; "
                            "its table should read:\n${README_TABLE}")
    endif()
endif()

if(STAMP)
    file(TOUCH ${STAMP})
endif()
