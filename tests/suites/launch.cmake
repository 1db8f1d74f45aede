# Starting downloaded installers and unpacking their ZIP archives, with archives made from the
# test installer program; the address pattern, checked against the standard library's.
set(KELVARA_ARCHIVES ${CMAKE_BINARY_DIR}/tests/archives)
add_custom_command(OUTPUT ${KELVARA_ARCHIVES}/top.zip
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/make_archives.py $<TARGET_FILE:test_installer>
          ${KELVARA_ARCHIVES}
  DEPENDS test_installer ${CMAKE_SOURCE_DIR}/tests/fixtures/make_archives.py)
add_custom_target(test_archives DEPENDS ${KELVARA_ARCHIVES}/top.zip)

kelvara_unit_test(launch_test APART SOURCES unit/launch_test.cpp)
add_dependencies(launch_test test_archives test_installer)

kelvara_unit_test(url_pattern_test SOURCES unit/url_pattern_test.cpp)
