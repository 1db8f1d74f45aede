# The bottom layer: thread primitives on Win32.
kelvara_unit_test(thread_test SOURCES unit/thread_test.cpp)
# The JSON reader and writer, and the standard exceptions with the program's own message
# strings. (The program's own exception constructors, base/cow_stdexcept.cpp, cannot be linked
# here: GoogleTest needs the library's object of every variant. The wizard's tests run them.)
kelvara_unit_test(json_text_test SOURCES unit/json_text_test.cpp unit/std_exceptions_test.cpp
                  ${CMAKE_SOURCE_DIR}/base/cow_string.cpp)
