# SPDX-License-Identifier: GPL-3.0-or-later
# quantrel_engine_library(NAME SOURCES ... [DEPENDS lib ...])
# One static library per engine folder. It links only the libraries below it, publicly, so a
# target above sees the whole chain; includes are rooted at src/.
function(quantrel_engine_library name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;DEPENDS")
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_features(${name} PUBLIC cxx_std_20)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE quantrel_warnings)
endfunction()
