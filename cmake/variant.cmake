# kelvara_add_variant(target output_name wizard_type bt_mode classic_mode)
# One executable of the program: the shared core, the build settings of this variant
# compiled into one translation unit, and the resources (with the BT texts when bt_mode).

function(kelvara_c_literal out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE KELVARA_RESOURCE_FILES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.xml
     ${CMAKE_SOURCE_DIR}/res/*.png ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.manifest)
list(APPEND KELVARA_RESOURCE_FILES ${KELVARA_LOCALE_DOCUMENTS})
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/kelvara.rc PROPERTIES OBJECT_DEPENDS "${KELVARA_RESOURCE_FILES}")

function(kelvara_add_variant target output_name wizard_type bt_mode classic_mode)
  set(KELVARA_WIZARD_TYPE ${wizard_type})
  set(KELVARA_BT_MODE_BOOL false)
  set(KELVARA_CLASSIC_MODE_BOOL false)
  if(bt_mode)
    set(KELVARA_BT_MODE_BOOL true)
  endif()
  if(classic_mode)
    set(KELVARA_CLASSIC_MODE_BOOL true)
  endif()
  foreach(name SERVICE_HOST PRIVACY_URL MAIN_PRODUCT_URL MAIN_INSTALLER_ARGUMENTS LAUNCH_PATH LAUNCH_ARGUMENTS)
    kelvara_c_literal(KELVARA_${name} "${KELVARA_${name}}")
  endforeach()
  set(settings ${CMAKE_BINARY_DIR}/variants/${target}/build_settings.cpp)
  configure_file(${CMAKE_SOURCE_DIR}/config/build_settings.cpp.in ${settings} @ONLY)
  # The settings on their own, for test programs that run with this variant's settings.
  add_library(${target}_settings OBJECT ${settings})
  target_include_directories(${target}_settings PRIVATE ${CMAKE_SOURCE_DIR})

  # The standard exceptions' own members (base/cow_*.cpp) are linked directly, not from the
  # core library: the linker must meet them before the standard library's objects for them.
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp
                 ${CMAKE_SOURCE_DIR}/base/cow_string.cpp ${CMAKE_SOURCE_DIR}/base/cow_stdexcept.cpp
                 ${CMAKE_SOURCE_DIR}/res/kelvara.rc)
  kelvara_size_optimised(${target})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/res)
  if(bt_mode)
    target_compile_definitions(${target} PRIVATE KELVARA_BT_TEXTS)
  endif()
  # The link map beside the program: the size check reports its largest contributors.
  target_link_options(${target} PRIVATE -municode -s -Wl,--gc-sections
                      -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${output_name}.map)
  target_link_libraries(${target} PRIVATE ${target}_settings kelvara_core)
endfunction()
