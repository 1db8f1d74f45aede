# Packages and their analytics events.
kelvara_unit_test(package_test SOURCES unit/package_test.cpp unit/package_events_test.cpp PREFIXES win64 win32)

# The same program against the test back end: event delivery and the offer image.
add_test(NAME package_events COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/backend/with_backend.py
         $<TARGET_FILE:package_test> --gtest_filter=PackageDelivery.*)
set_tests_properties(package_events PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK backend443 TIMEOUT 300
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")

# The main product's events from the real wizard.
kelvara_e2e_test(e2e_events test_events.py)
set_tests_properties(e2e_events PROPERTIES RESOURCE_LOCK "desktop;backend443")
