# Brings the native renderer that the web page's pictures are compared with
# up to date with the sources. Run with
#   cmake -DNATIVE=<native build tree> -P native_renderer.cmake
if(NOT EXISTS "${NATIVE}/CMakeCache.txt")
  message(FATAL_ERROR "${NATIVE} is no configured build tree: the web page's pictures are compared with the native "
                      "renderer, so configure and build the native preset first (cmake --preset native && "
                      "cmake --build --preset native), or point BRINDLEMAR_NATIVE_BUILD at another native tree.")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${NATIVE}" --target brindlemar-render RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building brindlemar-render in ${NATIVE} failed")
endif()
