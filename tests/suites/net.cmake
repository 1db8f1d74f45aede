# The API client and the download engine, tested against the test back end on port 443.

# Copied under different names to show where the installer token comes from.
add_executable(token_probe unit/token_probe.cpp)
target_link_options(token_probe PRIVATE -municode)
target_link_libraries(token_probe PRIVATE kelvara_core)

kelvara_unit_test(api_client_test SOURCES unit/api_client_test.cpp)
add_dependencies(api_client_test token_probe)
kelvara_unit_test(download_manager_test SOURCES unit/download_manager_test.cpp)

# Each CTest entry of these programs runs with its own back end (with_backend.py starts it
# and then the program under Wine); port 443 takes one at a time.
foreach(program api_client_test download_manager_test)
  set_target_properties(${program} PROPERTIES CROSSCOMPILING_EMULATOR
                        "python3;${CMAKE_SOURCE_DIR}/tests/backend/with_backend.py")
endforeach()
set_tests_properties(api_client_test download_manager_test PROPERTIES RESOURCE_LOCK backend443)

# A cancel lasts for the rest of the process: each cancel case runs in a process of its own.
set_tests_properties(download_manager_test PROPERTIES ENVIRONMENT_MODIFICATION "GTEST_FILTER=set:-*.Cancel*")
foreach(case EndsTheWinHttpTransfer EndsTheWinInetTransfer GivesAMemoryDownloadNull)
  set(name download_cancel_${case})
  add_test(NAME ${name} COMMAND download_manager_test --gtest_filter=DownloadTest.Cancel${case}*)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK backend443 TIMEOUT 120
    ENVIRONMENT "${KELVARA_TEST_ENV};WINEPREFIX=${KELVARA_PREFIX64}")
endforeach()

# Throughput against curl, run on request (tests/bench/download_benchmark.py).
add_executable(download_benchmark bench/download_benchmark.cpp)
target_link_options(download_benchmark PRIVATE -municode)
target_link_libraries(download_benchmark PRIVATE kelvara_settings kelvara_core psapi)

# The download engine against Debian's nginx on a free port (with_nginx.py starts it).
kelvara_unit_test(nginx_download_test SOURCES unit/nginx_download_test.cpp)
set_target_properties(nginx_download_test PROPERTIES CROSSCOMPILING_EMULATOR
                      "python3;${CMAKE_SOURCE_DIR}/tests/harness/with_nginx.py")
