# The wizard host and its pages: page windows under Wine, the working directory's removal,
# and the first and last pages end to end. Tests that show windows take the desktop lock,
# so they never appear in another test's screenshots.
kelvara_unit_test(pages_test SOURCES unit/pages_test.cpp RC ${CMAKE_SOURCE_DIR}/tests/unit/pages_test.rc)
add_dependencies(pages_test test_installer)
set_tests_properties(pages_test PROPERTIES RESOURCE_LOCK desktop)
set_property(TEST pages_test APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-ExplorerStart.*")
# Real Explorer windows come and go in a program of their own.
add_test(NAME pages_test_explorer COMMAND pages_test --gtest_filter=ExplorerStart.*)
set_tests_properties(pages_test_explorer PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK desktop
  ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")

kelvara_unit_test(host_test SOURCES unit/kelvara_dlg_test.cpp unit/directory_tree_test.cpp
                  RC ${CMAKE_SOURCE_DIR}/tests/unit/pages_test.rc)
# The real host sends its events to localhost:443 when it closes.
set_tests_properties(host_test PROPERTIES RESOURCE_LOCK "desktop;backend443")

kelvara_e2e_test(e2e_pages test_pages.py)
kelvara_e2e_test(e2e_classic_pages test_classic_pages.py)
