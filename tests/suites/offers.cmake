# Offer eligibility: the registry layer, the system probes and the rules, on the registry,
# files and processes of the 64-bit prefix (WOW64, two registry views) and the 32-bit one.
add_executable(idle_program WIN32 fixtures/idle_program.cpp)
target_link_options(idle_program PRIVATE -municode)

kelvara_unit_test(offer_rules_test
  SOURCES unit/registry_test.cpp unit/system_probes_test.cpp unit/offer_evaluator_test.cpp
  RC ${CMAKE_SOURCE_DIR}/tests/unit/offers_test.rc
  PREFIXES win64 win32)
add_dependencies(offer_rules_test idle_program)

# The refusal event, with the test back end on port 443.
add_test(NAME offer_refusal_event COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/backend/with_backend.py
         $<TARGET_FILE:offer_rules_test> --gtest_filter=RefusalEvent.*)
set_tests_properties(offer_refusal_event PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK backend443 TIMEOUT 120
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")

# Benchmark of one evaluation, run on request (not by CTest):
#   WINEPREFIX=<build>/prefixes/win64 wine <build>/tests/offers_bench.exe
add_executable(offers_bench bench/offers_bench.cpp
               ${CMAKE_SOURCE_DIR}/tests/unit/offers_test.rc)
target_include_directories(offers_bench PRIVATE ${CMAKE_SOURCE_DIR}/res ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(offers_bench PRIVATE kelvara_settings kelvara_core)
