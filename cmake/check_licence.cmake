# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file does not name its licence in an SPDX line near its top.
#   cmake -DSOURCE_DIR=<repository> -P check_licence.cmake
file(GLOB_RECURSE sources
     ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/CMakeLists.txt
     ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.sh
     ${SOURCE_DIR}/tests/CMakeLists.txt ${SOURCE_DIR}/bench/* ${SOURCE_DIR}/fuzz/*.cpp
     ${SOURCE_DIR}/fuzz/*.h ${SOURCE_DIR}/scripts/*.sh ${SOURCE_DIR}/cmake/*.cmake
     ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/packaging/CMakeLists.txt)
set(missing "")
foreach(source IN LISTS sources)
    file(STRINGS ${source} head LIMIT_COUNT 3)
    if(NOT head MATCHES "SPDX-License-Identifier: GPL-3\\.0-or-later")
        list(APPEND missing ${source})
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "No SPDX licence line in:\n  ${text}")
endif()
