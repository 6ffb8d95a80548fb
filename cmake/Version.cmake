# The version is project(VERSION) in CMakeLists.txt and nowhere else: the
# programs read it from the generated brindlemar_version.h, the packages from
# PROJECT_VERSION. CHANGELOG.md must have the version's entry; its date is
# the release date that the manual pages carry.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_line
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
if(NOT release_line)
  message(FATAL_ERROR "CHANGELOG.md has no entry \"## [${PROJECT_VERSION}] - YYYY-MM-DD\" for version "
                      "${PROJECT_VERSION}: add it when the version changes.")
endif()
string(REGEX REPLACE "^.* - " "" BRINDLEMAR_RELEASE_DATE "${release_line}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

set(BRINDLEMAR_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/brindlemar_version.h.in ${BRINDLEMAR_GENERATED_DIR}/brindlemar_version.h
               @ONLY)
target_include_directories(brindlemar_flags INTERFACE ${BRINDLEMAR_GENERATED_DIR})
