# The packages a user installs (scripts/package.sh makes them all).
#
# Windows (the mingw build): the installer Brindlemar-<version>-setup.exe,
# made by NSIS from packaging/windows/brindlemar.nsi, and
# Brindlemar-<version>-x64.zip with the saver and its help, both in
# build/mingw/packages, built with the saver.
#
# Linux: the Debian package, made by CPack's DEB generator from the native
# build and its install rules (the same layout as cmake --install --prefix
# /usr):
#   cpack --config build/native/CPackConfig.cmake -B DIR
# gives DIR/brindlemar_<version>_amd64.deb. Depends come from the binaries
# (dpkg-shlibdeps); the copyright and the changelogs go where Debian keeps
# them.
if(WIN32)
  option(BRINDLEMAR_PACKAGES "Build the Windows installer (NSIS) and the zip" ON)
  if(NOT BRINDLEMAR_PACKAGES)
    return()
  endif()
  find_program(BRINDLEMAR_MAKENSIS makensis)
  if(NOT BRINDLEMAR_MAKENSIS)
    message(FATAL_ERROR "The Windows installer needs makensis (Debian's nsis package; scripts/packages.sh lists it), "
                        "which cannot be found. Install it or configure with -DBRINDLEMAR_PACKAGES=OFF.")
  endif()
  set(packages_dir ${PROJECT_BINARY_DIR}/packages)
  set(installer ${packages_dir}/Brindlemar-${PROJECT_VERSION}-setup.exe)
  set(zip ${packages_dir}/Brindlemar-${PROJECT_VERSION}-x64.zip)
  set(zip_stage ${PROJECT_BINARY_DIR}/packaging/zip)
  set(nsi ${PROJECT_SOURCE_DIR}/packaging/windows/brindlemar.nsi)
  set(help_dir ${PROJECT_SOURCE_DIR}/docs/help)
  file(GLOB help_pages CONFIGURE_DEPENDS ${help_dir}/*)
  add_custom_command(OUTPUT ${installer}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packages_dir}
    COMMAND ${BRINDLEMAR_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSCR=$<TARGET_FILE:brindlemar_scr>
            -DHELP_DIR=${help_dir} -DICON=${PROJECT_SOURCE_DIR}/apps/scr/brindlemar.ico -DOUTFILE=${installer} ${nsi}
    DEPENDS brindlemar_scr ${nsi} ${help_pages}
    COMMENT "Making the installer with NSIS"
    VERBATIM)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E remove_directory ${zip_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_stage}/Help ${packages_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:brindlemar_scr> ${zip_stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${help_pages} ${zip_stage}/Help
    COMMAND ${CMAKE_COMMAND} -E chdir ${zip_stage} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Brindlemar.scr Help
    DEPENDS brindlemar_scr ${help_pages}
    COMMENT "Making the zip of the saver and its help"
    VERBATIM)
  add_custom_target(brindlemar_windows_packages ALL DEPENDS ${installer} ${zip})
  return()
endif()

include(GNUInstallDirs)

find_program(BRINDLEMAR_GZIP gzip REQUIRED)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/brindlemar)
set(contact "Tessaloom <brindlemar@tessaloom.example>")

# The history is CHANGELOG.md, shipped as it is. The Debian changelog that
# dpkg's tools read says for each release of it where to look.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md releases
     REGEX "^## \\[[0-9.]+\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
set(debian_changelog "")
foreach(release IN LISTS releases)
  string(REGEX REPLACE "^## \\[([0-9.]+)\\] - (.*)$" "\\1;\\2" parts "${release}")
  list(GET parts 0 version)
  list(GET parts 1 date)
  execute_process(COMMAND date -u -R -d "${date} 12:00" OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  string(APPEND debian_changelog "brindlemar (${version}) stable; urgency=medium\n\n"
                "  * Brindlemar ${version}; its changes are in CHANGELOG.md.gz beside this file.\n\n"
                " -- ${contact}  ${stamp}\n\n")
endforeach()
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
# Written only when it changes, so that a build compresses it only then.
file(CONFIGURE OUTPUT ${packaging_dir}/changelog.Debian CONTENT "${debian_changelog}")
set(changelogs ${packaging_dir}/changelog.gz ${packaging_dir}/CHANGELOG.md.gz)
add_custom_command(OUTPUT ${changelogs}
  COMMAND ${BRINDLEMAR_GZIP} -9 -n -c ${packaging_dir}/changelog.Debian > ${packaging_dir}/changelog.gz
  COMMAND ${BRINDLEMAR_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/CHANGELOG.md > ${packaging_dir}/CHANGELOG.md.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${packaging_dir}/changelog.Debian
  COMMENT "Compressing the changelogs")
add_custom_target(brindlemar_changelogs ALL DEPENDS ${changelogs})
install(FILES ${changelogs} ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlemar)
set(CPACK_PACKAGE_VENDOR Tessaloom)
set(CPACK_PACKAGE_CONTACT "${contact}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories 0755 and the control files as dpkg makes them.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The saver runs in a window of its own without a saver daemon; as a screen
# saver it needs one of those that run xscreensaver's programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver | mate-screensaver")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xfce4-screensaver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "screen saver of coloured grains swirled by drifting vortices
Brindlemar is a particle screen saver: a field of coloured grains (4,700 by
default, up to 200,000) pushed about by up to 15 drifting vortices, coloured
by their own motion and drawn as dots, sparkles, fuzzies or bars, with fading
trails, rotated reflections, a clock face or zodiac ring and pop-up messages
spelled in grains.
.
The package holds the saver for xscreensaver and the savers that run its
programs (MATE's, Xfce's), its settings window brindlemar-settings (GTK 4)
with 51 built-in favorites, and brindlemar-render, which renders the animation
into PNG pictures without a display.")
include(CPack)
