# Fuzz targets.
#
# Adding one takes two things and no CMake edit:
#   tests/fuzz/<name>_fuzz.cpp  defines
#       extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
#     (and optionally LLVMFuzzerInitialize); it links klevaria_lib. It must
#     return 0 for every input: expected errors (KlvError and the like) are
#     caught inside; anything else escaping is a finding.
#   tests/fuzz/corpus/<name>/   a few small seed inputs (committed files).
# Optional: tests/fuzz/<name>.dict (a libFuzzer dictionary), and
# tests/fuzz/crashes/<name>/ where inputs that once failed are kept for good
# (scripts/fuzz copies new findings there).
#
# In the normal test build every target gets a replay program
# fuzz-replay-<name> that feeds it each corpus and crash file once, registered
# as the ctest test fuzz.<name> (so `make test` replays them under ASan and
# UBSan). With -DKLV_FUZZ=ON (scripts/fuzz, clang) each target is built as the
# libFuzzer program fuzz-<name> instead; `make fuzz` runs each for
# FUZZ_SECONDS (default 60).
file(GLOB klv_fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzz.cpp)
foreach(src ${klv_fuzz_sources})
  get_filename_component(stem ${src} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${stem})
  if(KLV_FUZZ)
    add_executable(fuzz-${name} ${src})
    target_compile_options(fuzz-${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz-${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz-${name} PRIVATE klevaria_lib)
    set_target_properties(fuzz-${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KLV_BIN_DIR})
  else()
    add_executable(fuzz-replay-${name} ${src} ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
    target_link_libraries(fuzz-replay-${name} PRIVATE klevaria_lib)
    set_target_properties(fuzz-replay-${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KLV_BIN_DIR})
    add_test(NAME fuzz.${name}
      COMMAND fuzz-replay-${name} ${CMAKE_CURRENT_LIST_DIR}/corpus/${name}
              ${CMAKE_CURRENT_LIST_DIR}/crashes/${name})
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300 LABELS unit)
  endif()
endforeach()
