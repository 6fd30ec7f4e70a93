# Project-wide helpers: warnings per target and one way to declare a test.

# Turns on the project's warnings for one target; warnings are errors so that the build stays clean.
# GCC 12 reports false -Wrestrict overlaps inside std::string at -O3 (GCC bug 105329), so that one
# warning is left off.
function(singrove_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         -Wno-sign-conversion -Werror
                         $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

# Declares a library of the project: singrove_library(name SOURCES ... [DEPS ...]).
# It gets the alias singrove::name and the repository root as its include root.
function(singrove_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(singrove_${name} STATIC ${ARG_SOURCES})
  add_library(singrove::${name} ALIAS singrove_${name})
  target_include_directories(singrove_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(singrove_${name} PUBLIC ${ARG_DEPS})
  singrove_warnings(singrove_${name})
endfunction()

# Declares a GoogleTest suite: add_singrove_test(name SOURCES ... [DEPS ...] [TIMEOUT seconds]).
# Every test of the suite is registered with CTest under its own name; TIMEOUT bounds each one.
function(add_singrove_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  singrove_warnings(${name})
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_TIMEOUT)
    list(APPEND properties TIMEOUT ${ARG_TIMEOUT})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
