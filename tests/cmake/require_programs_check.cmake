# Run with cmake -P: asks for a program that no machine has, which must stop
# with the message that names it (the test expects that output).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/TestPrograms.cmake)
brindlemar_require_programs("These checks" cmake brindlemar-no-such-program)
message(STATUS "a missing program went unnoticed")
