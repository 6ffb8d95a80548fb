# The portable core: everything outside platform/. It must compile without any
# platform header and link nothing platform-specific; the check below fails the
# configure step if a core file reaches for one.
set(BRINDLEMAR_CORE_DIRS engine surfaces overlays settings shell ui)
# The web page has no configuration dialogs.
set(built_dirs ${BRINDLEMAR_CORE_DIRS})
if(EMSCRIPTEN)
  list(REMOVE_ITEM built_dirs ui)
endif()
set(core_sources)
foreach(dir IN LISTS built_dirs)
  file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND core_sources ${dir_sources})
endforeach()

foreach(dir IN LISTS BRINDLEMAR_CORE_DIRS)
  file(GLOB dir_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h)
  foreach(file IN LISTS dir_files)
    file(STRINGS ${file} platform_includes
         REGEX "#[ \t]*include[ \t]*[<\"](windows|winuser|wingdi|ddraw|objbase|X11/|cairo|pango|unistd|sys/)")
    if(platform_includes)
      message(FATAL_ERROR "${file} includes a platform header: ${platform_includes}")
    endif()
  endforeach()
endforeach()

# Kernels for wider vector units live in files of their own, compiled for
# that unit and called only after a run-time check of the processor.
set(avx2_sources ${core_sources})
list(FILTER avx2_sources INCLUDE REGEX "_avx2\\.cpp$")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  set_source_files_properties(${avx2_sources} PROPERTIES COMPILE_OPTIONS "-mavx2")
endif()

add_library(brindlemar_core STATIC ${core_sources})
target_include_directories(brindlemar_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(brindlemar_core PUBLIC brindlemar_flags)

# The platform layer: the only code that includes platform headers. The web
# page needs none: the browser's side is JavaScript of its own.
if(EMSCRIPTEN)
  return()
elseif(WIN32)
  file(GLOB platform_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp)
  add_library(brindlemar_platform STATIC ${platform_sources})
  target_link_libraries(brindlemar_platform PUBLIC brindlemar_core gdi32 user32 advapi32 ole32 comctl32 shell32 uxtheme)
else()
  # The overlay canvas draws with Cairo and Pango.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
  file(GLOB platform_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/posix/*.cpp)
  add_library(brindlemar_platform STATIC ${platform_sources})
  target_link_libraries(brindlemar_platform PUBLIC brindlemar_core PRIVATE PkgConfig::PANGOCAIRO)
endif()
