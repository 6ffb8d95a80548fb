#!/usr/bin/env bash
# Builds the packages a user installs, from this tree, into dist/:
#   brindlemar_<version>_amd64.deb       the Debian package (native build, CPack)
#   Brindlemar-<version>-setup.exe       the Windows installer (mingw build, NSIS)
#   Brindlemar-<version>-x64.zip         Brindlemar.scr and its help, without an installer
# Installs missing Debian packages first (needs root for that). The packages'
# tests run with the others (scripts/test.sh, or ctest -R package_).
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
ensure_packages $NATIVE_PACKAGES $WINDOWS_PACKAGES $PACKAGING_PACKAGES
jobs=$(nproc)
# Building the packages needs none of the end-to-end tests' tools; a tree
# that has registered those tests keeps them.
e2e() { grep -q '^BRINDLEMAR_E2E:BOOL=ON$' "build/$1/CMakeCache.txt" 2>/dev/null && echo ON || echo OFF; }

mkdir -p dist
cmake --preset native -DBRINDLEMAR_E2E="$(e2e native)" >/dev/null
cmake --build --preset native -j "$jobs"
cpack --config build/native/CPackConfig.cmake -B build/native/packages >/dev/null
cmake --preset mingw -DBRINDLEMAR_E2E="$(e2e mingw)" >/dev/null
cmake --build --preset mingw -j "$jobs"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
cp "build/native/packages/brindlemar_${version}_amd64.deb" "build/mingw/packages/Brindlemar-${version}-setup.exe" \
   "build/mingw/packages/Brindlemar-${version}-x64.zip" dist/
ls -l dist/*"${version}"*
