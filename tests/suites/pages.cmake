# The wizard host and its pages: page windows under Wine, the working directory's removal,
# and the first and last pages end to end. Tests that show windows take the desktop lock,
# so they never appear in another test's screenshots.
kelvara_unit_test(pages_test SOURCES unit/pages_test.cpp RC ${CMAKE_SOURCE_DIR}/tests/unit/pages_test.rc)
add_dependencies(pages_test test_installer)
# The loading page sends its configuration request to port 443, where nothing may answer.
set_tests_properties(pages_test PROPERTIES RESOURCE_LOCK "desktop;backend443")
set_property(TEST pages_test APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-ExplorerStart.*")
# Real Explorer windows come and go in a program of their own.
add_test(NAME pages_test_explorer COMMAND pages_test --gtest_filter=ExplorerStart.*)
set_tests_properties(pages_test_explorer PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK desktop
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")

kelvara_unit_test(host_test SOURCES unit/kelvara_dlg_test.cpp unit/directory_tree_test.cpp
                  RC ${CMAKE_SOURCE_DIR}/tests/unit/pages_test.rc)
# The real host loads its configuration from the test back end and sends its events there.
set_property(TEST host_test APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-HostTest.*")
add_test(NAME host_wizard COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/backend/with_backend.py
         $<TARGET_FILE:host_test> --gtest_filter=HostTest.*)
set_tests_properties(host_wizard PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK "desktop;backend443" TIMEOUT 300
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")

kelvara_e2e_test(e2e_pages test_pages.py)
kelvara_e2e_test(e2e_classic_pages test_classic_pages.py)

# The product build through its offers, against the test back end on port 443.
kelvara_e2e_test(e2e_offers test_offers.py)

# Both download pages through to the finish and error pages, with the test installers.
kelvara_e2e_test(e2e_downloads test_downloads.py)
