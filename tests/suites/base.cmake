# The bottom layer: thread primitives on Win32.
kelvara_unit_test(thread_test SOURCES unit/thread_test.cpp)
# The compact JSON writer of every request body.
kelvara_unit_test(json_text_test SOURCES unit/json_text_test.cpp)
