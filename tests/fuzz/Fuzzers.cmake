# Builds the file reader fuzzers with clang in their own tree (the main build
# uses g++) and registers one bounded CTest run per target. Skipped when
# clang++ is not installed.
find_program(MERIL_CLANGXX NAMES clang++ clang++-14)
if(NOT MERIL_CLANGXX)
  message(STATUS "clang++ not found: the file reader fuzzers are not built")
  return()
endif()

include(ExternalProject)
set(_fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(meril_fuzzers
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
  BINARY_DIR ${_fuzz_dir}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${MERIL_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
             -DMERIL_SOURCE_DIR=${PROJECT_SOURCE_DIR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

# Each run: about 20 s of fuzzing from the seeds; a crash, a hang (an input
# taking more than 10 s) or a sanitizer report fails the test and leaves the
# input in the fuzz folder as crash-* / timeout-*.
# The readers of other programs' files run for a shorter time each.
set(MERIL_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in the test suite")
set(MERIL_IMPORT_FUZZ_SECONDS 8 CACHE STRING "Seconds each fuzz target of another program's format runs")
foreach(_name DataFile Setup Settings ReplyLine Processing Bes3t Esp JcampDx TextSpectrum)
  if(_name MATCHES "^(Bes3t|Esp|JcampDx|TextSpectrum)$")
    set(_seconds ${MERIL_IMPORT_FUZZ_SECONDS})
  else()
    set(_seconds ${MERIL_FUZZ_SECONDS})
  endif()
  add_test(NAME fuzz_${_name}
    COMMAND ${_fuzz_dir}/fuzz_${_name} -max_total_time=${_seconds} -timeout=10
            -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1
            -artifact_prefix=${_fuzz_dir}/ ${_fuzz_dir}/corpus/${_name}
    WORKING_DIRECTORY ${_fuzz_dir})
  set_tests_properties(fuzz_${_name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endforeach()
