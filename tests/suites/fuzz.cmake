# The parsers under mutated input: a short run here, a long one with scripts/fuzz.sh.
add_executable(fuzz_parsers fuzz/fuzz_main.cpp fuzz/fuzz_targets.cpp fuzz/mutator.cpp)
target_include_directories(fuzz_parsers PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz)
target_link_options(fuzz_parsers PRIVATE -municode)
target_link_libraries(fuzz_parsers PRIVATE kelvara_settings kelvara_core)
add_test(NAME fuzz_parsers_short COMMAND fuzz_parsers --seed 1 --iterations 2000)
set_tests_properties(fuzz_parsers_short PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")
