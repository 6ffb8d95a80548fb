# WebAssembly build with Debian's emscripten: the page in apps/web.
set(BRINDLEMAR_EMSCRIPTEN_TOOLCHAIN /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
if(NOT EXISTS ${BRINDLEMAR_EMSCRIPTEN_TOOLCHAIN})
  message(FATAL_ERROR "The wasm preset needs emscripten (the Debian package \"emscripten\"), which cannot be found: "
                      "${BRINDLEMAR_EMSCRIPTEN_TOOLCHAIN} is missing. scripts/packages.sh lists it; scripts/test.sh "
                      "installs it.")
endif()
include(${BRINDLEMAR_EMSCRIPTEN_TOOLCHAIN})
# The linker runs node scripts of emscripten's that load Debian's JavaScript
# modules from /usr/share/nodejs, which a node from elsewhere does not search.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
# WebAssembly's 128-bit vectors, which every browser of recent years runs:
# the compiler vectorizes the byte loops (the trail fade, the frame's
# conversion) with them. Each lane rounds as the scalar code does, so the
# pictures stay the same bytes.
set(CMAKE_CXX_FLAGS_INIT "-msimd128")
set(CMAKE_C_FLAGS_INIT "-msimd128")
