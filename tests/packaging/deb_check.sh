#!/usr/bin/env bash
# Builds the Debian package from the native build as scripts/package.sh does
# (CPack) and checks it without installing it: the file list against the
# layout xscreensaver and the desktops read, the control fields (Depends
# computed from the binaries, the savers recommended), lintian with no error
# or warning, and the manual pages through mandoc's lint and lexgrog.
#   deb_check.sh <build dir> <work dir>
# Leaves the package in <work dir>/brindlemar_<version>_amd64.deb for the
# install test.
set -u
BUILD=$1
WORK=$2
FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$WORK" && mkdir -p "$WORK"
if ! cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK" >"$WORK/cpack.log" 2>&1; then
  cat "$WORK/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
deb="$WORK/brindlemar_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$WORK"; echo "FAIL: no $deb"; exit 1; }
pass "built $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Every file a user or a saver daemon looks for, with its mode.
dpkg-deb --contents "$deb" | awk '{ print $1, $6 }' | sed 's| \./| /|' >"$WORK/contents"
expected='-rwxr-xr-x /usr/libexec/xscreensaver/brindlemar
lrwxrwxrwx /usr/bin/brindlemar
-rwxr-xr-x /usr/bin/brindlemar-settings
-rwxr-xr-x /usr/bin/brindlemar-render
-rw-r--r-- /usr/share/xscreensaver/config/brindlemar.xml
-rw-r--r-- /usr/share/applications/screensavers/brindlemar.desktop
-rw-r--r-- /usr/share/applications/brindlemar-settings.desktop
-rw-r--r-- /usr/share/icons/hicolor/scalable/apps/brindlemar.svg
-rw-r--r-- /usr/share/brindlemar/help/index.html
-rw-r--r-- /usr/share/brindlemar/help/main.html
-rw-r--r-- /usr/share/brindlemar/help/help.css
-rw-r--r-- /usr/share/man/man6/brindlemar.6.gz
-rw-r--r-- /usr/share/man/man1/brindlemar-settings.1.gz
-rw-r--r-- /usr/share/man/man1/brindlemar-render.1.gz
-rw-r--r-- /usr/share/doc/brindlemar/copyright
-rw-r--r-- /usr/share/doc/brindlemar/changelog.gz
-rw-r--r-- /usr/share/doc/brindlemar/CHANGELOG.md.gz'
while read -r mode path; do
  if grep -qx -- "$mode $path" "$WORK/contents"; then :; else fail "the package has no $path ($mode): $(grep " $path" "$WORK/contents")"; fi
done <<<"$expected"
# Nothing of the build or of the tests comes along.
stray=$(grep -v -e ' /usr/bin/' -e ' /usr/libexec/xscreensaver/' -e ' /usr/share/' "$WORK/contents" | grep -v '^d')
[ -z "$stray" ] || fail "files outside the layout: $stray"
grep -q -e test -e bench "$WORK/contents" && fail "test or benchmark files in the package: $(grep -e test -e bench "$WORK/contents")"
[ "$FAILURES" -eq 0 ] && pass "the file list"

field() { dpkg-deb --field "$deb" "$1"; }
# dpkg-shlibdeps found the libraries the programs link: GTK for the
# settings window, X for the saver, libpng for the renderer.
for library in libgtk-4-1 libx11-6 libxrandr2 libpng16-16 libc6; do
  field Depends | grep -q "\b$library\b" || fail "Depends lacks $library: $(field Depends)"
done
[ "$(field Recommends)" = "xscreensaver | mate-screensaver" ] || fail "Recommends: $(field Recommends)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"

# lintian: no error and no warning (the informational tags the README
# explains are allowed).
lintian --display-info --tag-display-limit 0 "$deb" >"$WORK/lintian.log" 2>&1
if grep -E '^[EW]: ' "$WORK/lintian.log"; then
  fail "lintian reports errors or warnings"
else
  pass "lintian: no error or warning, $(grep -c '^I: ' "$WORK/lintian.log") informational tags"
fi

# The manual pages as man reads them: no complaint from mandoc's lint, and
# a NAME line that lexgrog (whatis, apropos) reads.
mkdir -p "$WORK/tree" && dpkg-deb --extract "$deb" "$WORK/tree"
for page in man6/brindlemar.6 man1/brindlemar-settings.1 man1/brindlemar-render.1; do
  file="$WORK/tree/usr/share/man/$page.gz"
  name=$(basename "$page" | sed 's/\.[0-9]$//')
  lint=$(zcat "$file" | mandoc -T lint -W style 2>&1)
  [ -z "$lint" ] || fail "mandoc -T lint $page: $lint"
  whatis=$(lexgrog "$file" 2>&1) || fail "lexgrog $page: $whatis"
  echo "$whatis" | grep -q "\"$name - " || fail "lexgrog $page: $whatis"
  # The page lists the options the program's --help lists.
  program="$WORK/tree/usr/bin/$name"
  [ "$name" = brindlemar ] && program="$WORK/tree/usr/libexec/xscreensaver/brindlemar"
  text=$(zcat "$file" | mandoc -T ascii 2>/dev/null | sed 's/.\x08//g')
  for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "$page lacks $option, which $name --help shows"
  done
done
[ "$FAILURES" -eq 0 ] && pass "the manual pages"

echo "failures: $FAILURES"
[ "$FAILURES" -eq 0 ]
