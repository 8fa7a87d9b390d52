# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source folder includes a header of a folder above it.
#   cmake -DSOURCE_DIR=<repository>/src [-DSTAMP=<file>] -P check_layers.cmake
#
# The engine folders, lowest first: each may include headers of its own folder and the ones
# before it. The front ends (cli, ui) include only core/ and their own headers.
set(engine_layers xmlParser base units eval syntax settings core)
set(front_ends cli ui)

set(failures "")
foreach(folder IN LISTS engine_layers front_ends)
    list(FIND engine_layers ${folder} level)
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z]+)/.*$" "\\1" target
                   "${line}")
            if(target STREQUAL folder)
                continue()
            endif()
            list(FIND engine_layers ${target} target_level)
            list(FIND front_ends ${target} target_front_end)
            if(level GREATER_EQUAL 0)
                # An engine folder: only folders below it.
                if(target_front_end GREATER_EQUAL 0 OR target_level GREATER level)
                    list(APPEND failures "${source}: ${line}")
                endif()
            elseif(NOT target STREQUAL "core" AND (target_level GREATER_EQUAL 0
                                                   OR target_front_end GREATER_EQUAL 0))
                list(APPEND failures "${source}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes against the layering (engine: ${engine_layers}; "
                        "front ends see core only):\n  ${text}")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
