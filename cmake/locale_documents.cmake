# The LOCALE documents are embedded as zlib streams and inflated when loaded (base/inflate).
# kelvara_deflate_documents(out base file...) deflates each file (a path below base) into
# KELVARA_DEFLATED_DIR under the same relative path plus ".z", so an .rc names
# "locale/dlm/de.xml.z" for res/locale/dlm/de.xml; out receives the generated files. The
# resource objects that embed them list them in OBJECT_DEPENDS, so editing a document
# rebuilds those objects.

find_program(KELVARA_PYTHON python3 REQUIRED)
# The static library only: the program needs no zlib DLL beside it.
find_library(KELVARA_ZLIB NAMES libz.a REQUIRED)
target_link_libraries(kelvara_core PUBLIC ${KELVARA_ZLIB})

set(KELVARA_DEFLATED_DIR ${CMAKE_BINARY_DIR}/deflated)
# windres looks up the files an .rc names in its include directories.
target_include_directories(kelvara_core PUBLIC $<$<COMPILE_LANGUAGE:RC>:${KELVARA_DEFLATED_DIR}>)

function(kelvara_deflate_documents out base)
  set(outputs)
  foreach(file ${ARGN})
    set(output ${KELVARA_DEFLATED_DIR}/${file}.z)
    add_custom_command(OUTPUT ${output}
      COMMAND ${KELVARA_PYTHON} ${CMAKE_SOURCE_DIR}/cmake/deflate.py ${base}/${file} ${output}
      DEPENDS ${base}/${file} ${CMAKE_SOURCE_DIR}/cmake/deflate.py
      COMMENT "Deflating ${file}" VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  set(${out} ${outputs} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE KELVARA_LOCALE_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/res
     ${CMAKE_SOURCE_DIR}/res/locale/*.xml)
kelvara_deflate_documents(KELVARA_LOCALE_DOCUMENTS ${CMAKE_SOURCE_DIR}/res ${KELVARA_LOCALE_SOURCES})
# Built before anything that links the core, so every .rc including locales.rc finds them.
add_custom_target(kelvara_locale_documents DEPENDS ${KELVARA_LOCALE_DOCUMENTS})
add_dependencies(kelvara_core kelvara_locale_documents)
