# The bottom layer: thread primitives on Win32.
kelvara_unit_test(thread_test SOURCES unit/thread_test.cpp)
