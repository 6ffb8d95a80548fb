#!/usr/bin/env bash
# cmake --install lays out what xscreensaver and the savers that share its
# programs look for: the program in libexec/xscreensaver, the settings dialog
# in share/xscreensaver/config (valid, and every option it can write one the
# program takes), the desktop entry in share/applications/screensavers (valid,
# naming the installed program), the help pages in share/brindlemar/help
# (data the settings program opens, so not in share/doc, which systems may
# leave out), the settings program and the renderer in bin with the saver
# linked there, the settings program's desktop entry and icon, and the
# manual pages.
# Needs BUILD_DIR (the build to install) in the environment.
. "$(dirname "$0")/common.sh"

stage="$WORK/stage"
cmake --install "$BUILD_DIR" --prefix "$stage" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "cmake --install"; }

program="$stage/libexec/xscreensaver/brindlemar"
xml="$stage/share/xscreensaver/config/brindlemar.xml"
desktop="$stage/share/applications/screensavers/brindlemar.desktop"
[ -x "$program" ] || fail "no program at libexec/xscreensaver/brindlemar"
[ -f "$xml" ] || fail "no share/xscreensaver/config/brindlemar.xml"
[ -f "$desktop" ] || fail "no share/applications/screensavers/brindlemar.desktop"

xmllint --noout --dtdvalid "$(dirname "$0")/screensaver.dtd" "$xml" || fail "brindlemar.xml does not validate"
# The settings program shows the description's last paragraph as the credits
# line: it must be one, and the explanation of the choices left "as in
# Brindlemar's settings" must come before it.
last=$(xmllint --xpath 'string(//_description)' "$xml" | awk 'BEGIN { RS = "" } { p = $0 } END { print p }' | tr '\n' ' ')
grep -Eq '^ *Written by [^;]+; [0-9]{4}\. *$' <<<"$last" || fail "the description's last paragraph is no credits line: $last"
xmllint --xpath 'string(//_description)' "$xml" | grep -q "as in Brindlemar's settings" || fail "the description lost its explanation"

# Each option the dialog can put on the command line, with the slider at its
# default, is one the program takes.
args=$(xmllint --xpath '//command/@arg | //@arg-set | //@arg-unset' "$xml" | sed 's/ *[a-z-]*="\([^"]*\)"/\1\n/g')
while IFS= read -r arg; do
  [ -z "$arg" ] && continue
  # shellcheck disable=SC2086 # an option and its value are two words
  "$program" $arg --list-favorites >/dev/null 2>"$WORK/option.err" || fail "the program refuses '$arg': $(cat "$WORK/option.err")"
done <<<"$args"
slider=$(xmllint --xpath 'string(//number[@id="grains"]/@arg)' "$xml")
default=$(xmllint --xpath 'string(//number[@id="grains"]/@default)' "$xml")
"$program" ${slider/\%/$default} --list-favorites >/dev/null || fail "the program refuses '${slider/\%/$default}'"

grep -q '^\[Desktop Entry\]$' "$desktop" || fail "the desktop entry has no [Desktop Entry] group"
desktop-file-validate "$desktop" >"$WORK/validate.log" 2>&1 || fail "the desktop entry is not valid: $(cat "$WORK/validate.log")"
# It names the program where this install put it, whatever prefix the build
# was configured with, and nothing hides it from the savers' own lists.
grep -qx "TryExec=$program" "$desktop" || fail "desktop entry: $(grep ^TryExec "$desktop"), not $program"
grep -qx "Exec=$program --root" "$desktop" || fail "desktop entry: $(grep ^Exec "$desktop")"
grep -q '^Categories=.*Screensaver;' "$desktop" || fail "the desktop entry is not in the Screensaver category"
grep -q '^NoDisplay=true' "$desktop" && fail "the desktop entry hides itself"
# The help pages, each help keyword's page among them.
for page in index.html main.html messages.html additional.html about.html help.css; do
  [ -s "$stage/share/brindlemar/help/$page" ] || fail "no share/brindlemar/help/$page"
done
grep -q 'href="help.css"' "$stage/share/brindlemar/help/main.html" || fail "the help pages lost their style sheet"

# The settings program in bin with a valid desktop entry of its own that
# names it where this install put it.
settings="$stage/bin/brindlemar-settings"
settings_desktop="$stage/share/applications/brindlemar-settings.desktop"
[ -x "$settings" ] || fail "no program at bin/brindlemar-settings"
[ -f "$settings_desktop" ] || fail "no share/applications/brindlemar-settings.desktop"
desktop-file-validate "$settings_desktop" >"$WORK/validate.log" 2>&1 ||
  fail "the settings program's desktop entry is not valid: $(cat "$WORK/validate.log")"
grep -qx "TryExec=$settings" "$settings_desktop" || fail "settings desktop entry: $(grep ^TryExec "$settings_desktop")"
grep -qx "Exec=$settings" "$settings_desktop" || fail "settings desktop entry: $(grep ^Exec "$settings_desktop")"
"$settings" --help | grep -q '^Usage: brindlemar-settings' || fail "brindlemar-settings --help"
grep -qx "Icon=brindlemar" "$settings_desktop" || fail "settings desktop entry: $(grep ^Icon "$settings_desktop")"
[ -s "$stage/share/icons/hicolor/scalable/apps/brindlemar.svg" ] || fail "no icon in share/icons/hicolor"

# The saver on the search path as brindlemar, and the renderer; each says
# the one version of the build.
[ "$(readlink "$stage/bin/brindlemar")" = ../libexec/xscreensaver/brindlemar ] || fail "bin/brindlemar: $(ls -l "$stage/bin")"
for program in brindlemar brindlemar-settings brindlemar-render; do
  "$stage/bin/$program" --version | grep -qx "$program [0-9]*\.[0-9]*\.[0-9]*" || fail "$program --version"
done
for page in man6/brindlemar.6.gz man1/brindlemar-settings.1.gz man1/brindlemar-render.1.gz; do
  [ -s "$stage/share/man/$page" ] || fail "no share/man/$page"
done
echo "PASS: install"
