# Configuration, languages, start-up; the back end and the locale documents.
add_test(NAME locale_documents COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/locale/check_locales.py ${CMAKE_SOURCE_DIR})
add_test(NAME backend_server COMMAND python3 -m unittest -q test_server)
set_tests_properties(backend_server PROPERTIES WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/backend)

kelvara_unit_test(configuration_test SOURCES unit/configuration_manager_test.cpp unit/text_test.cpp)
kelvara_deflate_documents(KELVARA_FAULTY_LOCALES ${CMAKE_SOURCE_DIR}/tests/unit
                          data/malformed.xml data/no_root.xml data/no_name.xml data/empty_element.xml)
kelvara_unit_test(language_manager_test SOURCES unit/language_manager_test.cpp unit/locale_texts_test.cpp
                  unit/inflate_test.cpp ${KELVARA_FAULTY_LOCALES} RC ${CMAKE_SOURCE_DIR}/tests/unit/language_test.rc)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/tests/unit/language_test.rc APPEND PROPERTY OBJECT_DEPENDS
             ${KELVARA_FAULTY_LOCALES} ${CMAKE_SOURCE_DIR}/tests/unit/data/empty_element.xml)
# The user's language is preselected: the same program under a German and a Japanese locale.
foreach(locale de_DE ja_JP)
  add_test(NAME language_manager_test_${locale} COMMAND language_manager_test --gtest_filter=*Preselects*)
  set_tests_properties(language_manager_test_${locale} PROPERTIES FIXTURES_REQUIRED wine
    ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64};LC_ALL=${locale}.UTF-8")
endforeach()

kelvara_e2e_test(e2e_startup test_startup.py)
# DLLs planted beside the installer are never loaded.
kelvara_e2e_test(e2e_planted_dlls test_planted_dlls.py)

kelvara_unit_test(identity_test SOURCES unit/identity_test.cpp unit/path_macros_test.cpp PREFIXES win64 win32)

# The shipped program is the i686 one, also where the tests are a 64-bit build.
if(KELVARA_STUB_PRODUCT)
  set(stub ${KELVARA_STUB_PRODUCT})
else()
  set(stub $<TARGET_FILE:kelvara>)
endif()
add_test(NAME product_stub COMMAND bash ${CMAKE_SOURCE_DIR}/tests/harness/check_stub.sh ${stub})

# The folders include one another in one direction only.
add_test(NAME source_layers COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/harness/check_layers.py ${CMAKE_SOURCE_DIR})

# A product build for a real service host must name its own privacy page. Configure only
# (a few seconds each, nothing is built), each time in a fresh folder: a cache left from an
# earlier run would keep its settings.
set(configure_check ${CMAKE_BINARY_DIR}/configure_checks)
set(configure_product ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -G ${CMAKE_GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake -DKELVARA_SERVICE_HOST=example.com)
add_test(NAME build_settings_real_host_needs_a_privacy_url
         COMMAND sh -c "rm -rf \"$0\" && exec \"$@\" -B \"$0\""
                 ${configure_check}/without_privacy_url ${configure_product})
set_tests_properties(build_settings_real_host_needs_a_privacy_url PROPERTIES TIMEOUT 120
  PASS_REGULAR_EXPRESSION "CMake Error.*KELVARA_SERVICE_HOST is \"example.com\", not localhost:.*KELVARA_PRIVACY_URL")
add_test(NAME build_settings_real_host_with_its_privacy_url
         COMMAND sh -c "rm -rf \"$0\" && \"$@\" -B \"$0\" -DKELVARA_PRIVACY_URL=https://example.com/privacy/ && grep -F 'kPrivacyUrl[] = L\"https://example.com/privacy/\";' \"$0/variants/kelvara/build_settings.cpp\""
                 ${configure_check}/with_privacy_url ${configure_product})
set_tests_properties(build_settings_real_host_with_its_privacy_url PROPERTIES TIMEOUT 120)

# Every C++ file follows the committed .clang-format.
add_test(NAME format COMMAND bash ${CMAKE_SOURCE_DIR}/tests/harness/check_format.sh ${CMAKE_SOURCE_DIR})
