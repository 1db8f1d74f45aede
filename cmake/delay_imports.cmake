# Delay-load import libraries for every DLL the program uses but kernel32, advapi32 and
# msvcrt, which Windows protects by name (the KnownDLLs list, see base/dll_search.h): the
# program loads each at its first call, after it has limited the DLL search to System32,
# instead of at process start, when a DLL of that name beside the program would win (also
# for the DLLs a system DLL imports in turn). Made from the toolchain's own import
# libraries, so every function they name is available.
set(KELVARA_DELAYED_DLLS comctl32 gdi32 gdiplus ole32 oleaut32 shell32 shlwapi user32 version winhttp
    wininet)

string(REGEX REPLACE "g\\+\\+(-[a-z0-9]+)?$" "" KELVARA_TOOL_PREFIX "${CMAKE_CXX_COMPILER}")
find_program(KELVARA_NM ${KELVARA_TOOL_PREFIX}nm REQUIRED)
find_program(KELVARA_DLLTOOL ${KELVARA_TOOL_PREFIX}dlltool REQUIRED)

set(KELVARA_DELAY_LIBRARIES)
foreach(dll ${KELVARA_DELAYED_DLLS})
  find_library(KELVARA_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
  set(output ${CMAKE_BINARY_DIR}/delay_imports/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${output}
    COMMAND ${KELVARA_PYTHON} ${CMAKE_SOURCE_DIR}/cmake/delay_import.py ${KELVARA_NM}
            ${KELVARA_DLLTOOL} ${KELVARA_IMPORT_${dll}} ${dll}.dll ${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay_import.py
    COMMENT "Delay-load import library of ${dll}.dll" VERBATIM)
  list(APPEND KELVARA_DELAY_LIBRARIES ${output})
endforeach()
add_custom_target(kelvara_delay_imports DEPENDS ${KELVARA_DELAY_LIBRARIES})
add_dependencies(kelvara_core kelvara_delay_imports)
target_link_libraries(kelvara_core PUBLIC ${KELVARA_DELAY_LIBRARIES})
