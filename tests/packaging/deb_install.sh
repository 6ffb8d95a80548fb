#!/usr/bin/env bash
# Installs the Debian package as a user does, with apt-get from the package
# file, on a brand-new minimal Debian 12 root (mmdebstrap), and removes it
# again: the programs run there (--help, --version, a rendered frame), the
# desktop entries validate, xscreensaver (which apt brings as recommended)
# reads its settings dialogs where the package put brindlemar.xml, and
# apt-get remove leaves no file of the package. Needs root.
#   deb_install.sh <package> <cache dir>
# The minimal root is made once into <cache dir>/base and copied for each
# run; the downloaded packages stay in <cache dir>/archives, so a second run
# neither makes the root nor downloads again.
set -u
DEB=$1
CACHE=$2
FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
pass() { echo "ok: $*"; }

[ "$(id -u)" -eq 0 ] || { echo "FAIL: needs root"; exit 1; }
[ -f "$DEB" ] || { echo "FAIL: no package $DEB"; exit 1; }
mkdir -p "$CACHE/archives/partial"
base="$CACHE/base"
if [ ! -x "$base/bin/bash" ]; then
  # The host's own Debian sources: the mirror this machine may reach.
  sources=/etc/apt/sources.list.d/debian.sources
  [ -f "$sources" ] || sources=/etc/apt/sources.list
  rm -rf "$base.tmp"
  echo "making a minimal Debian 12 root from $sources"
  mmdebstrap --quiet --variant=minbase bookworm "$base.tmp" "$sources" </dev/null ||
    { echo "FAIL: mmdebstrap"; exit 1; }
  mv "$base.tmp" "$base"
fi

root=$(mktemp -d "$CACHE/root.XXXXXX")
cleanup() {
  for m in var/cache/apt/archives dev proc; do umount -l "$root/$m" 2>/dev/null; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null
# A throwaway root need not survive a power cut: dpkg and apt skip their
# syncs there (force-unsafe-io, and the host's libeatmydata for apt's steps),
# which on a busy disk saves minutes and changes nothing the test looks at.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
cp /usr/lib/x86_64-linux-gnu/libeatmydata.so.1 "$root/tmp/" || { echo "FAIL: libeatmydata1 is not installed"; exit 1; }
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind "$CACHE/archives" "$root/var/cache/apt/archives"
cp "$DEB" "$root/tmp/"
package="/tmp/$(basename "$DEB")"
in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@" </dev/null; }
unsynced() { in_root env LD_PRELOAD=/tmp/libeatmydata.so.1 "$@"; }

# The checkers first, so that what the package brings is told apart.
unsynced apt-get update -qq >"$root/tmp/update.log" 2>&1 || { cat "$root/tmp/update.log"; echo "FAIL: apt-get update"; exit 1; }
unsynced apt-get install -y -qq desktop-file-utils libxml2-utils >"$root/tmp/tools.log" 2>&1 ||
  { tail -20 "$root/tmp/tools.log"; echo "FAIL: the checkers"; exit 1; }

# As the README says: apt-get install ./brindlemar_<version>_amd64.deb.
if unsynced sh -c "cd /tmp && apt-get install -y ./$(basename "$DEB")" >"$root/tmp/install.log" 2>&1; then
  pass "apt-get install ./$(basename "$DEB") ($(grep -Eo '[0-9]+ newly installed' "$root/tmp/install.log"))"
else
  tail -30 "$root/tmp/install.log"
  echo "FAIL: apt-get install"
  exit 1
fi
in_root dpkg -L brindlemar >"$root/tmp/files.list"

version=$(dpkg-deb --field "$DEB" Version)
for program in brindlemar brindlemar-settings brindlemar-render; do
  got=$(in_root "$program" --version 2>&1)
  [ "$got" = "$program $version" ] && pass "$program --version" || fail "$program --version: $got"
done
in_root brindlemar --help | grep -q '^Usage: brindlemar ' && pass "brindlemar --help" || fail "brindlemar --help"
in_root brindlemar-settings --help | grep -q '^Usage: brindlemar-settings' || fail "brindlemar-settings --help"

# A frame of the renderer, read back here: a PNG of the size asked for with
# grains lit in it.
if in_root brindlemar-render --size 160x120 --frames 60 --configuration Fountain --out /tmp/frame.png; then
  size=$(identify -format '%wx%h' "$root/tmp/frame.png" 2>&1)
  lit=$(convert "$root/tmp/frame.png" -colorspace gray -threshold 4% -format '%[fx:mean]' info: 2>&1)
  if [ "$size" = 160x120 ] && awk -v l="$lit" 'BEGIN { exit !(l > 0.002) }'; then
    pass "a rendered frame, $size, lit share $lit"
  else
    fail "the rendered frame: $size, lit share $lit"
  fi
else
  fail "brindlemar-render"
fi

for entry in /usr/share/applications/screensavers/brindlemar.desktop /usr/share/applications/brindlemar-settings.desktop; do
  out=$(in_root desktop-file-validate "$entry" 2>&1) && pass "desktop-file-validate $entry" || fail "$entry: $out"
done
grep -qx 'Exec=/usr/libexec/xscreensaver/brindlemar --root' "$root/usr/share/applications/screensavers/brindlemar.desktop" ||
  fail "the saver's desktop entry: $(grep ^Exec "$root/usr/share/applications/screensavers/brindlemar.desktop")"

# xscreensaver came as recommended. Its settings program reads the dialogs
# of its hacks from the folder xscreensaver-data fills, where brindlemar.xml
# now lies beside them, and runs the hacks from the folder it adds to the
# search path, where the saver now is.
settings=$(in_root sh -c 'command -v xscreensaver-settings')
if [ -z "$settings" ]; then
  fail "xscreensaver was not installed with the package's recommendations"
else
  config_dir=/usr/share/xscreensaver/config
  owners=$(in_root dpkg-query -S "$config_dir" 2>&1)
  if grep -q xscreensaver-data <<<"$owners" && grep -q brindlemar <<<"$owners" && [ -f "$root$config_dir/deco.xml" ] &&
    [ -f "$root$config_dir/brindlemar.xml" ]; then
    pass "brindlemar.xml beside xscreensaver's own settings dialogs in $config_dir"
  else
    fail "$config_dir: $owners"
  fi
  hack_dir=$(grep -a -o '/usr/libexec/xscreensaver' "$root$settings" | head -1)
  if [ -n "$hack_dir" ] && [ -x "$root$hack_dir/brindlemar" ] && [ -x "$root$hack_dir/deco" ]; then
    pass "xscreensaver-settings runs its hacks from $hack_dir, where brindlemar is"
  else
    fail "xscreensaver's hack folder '$hack_dir'"
  fi
  in_root xmllint --noout "$config_dir/brindlemar.xml" || fail "brindlemar.xml does not parse"
fi

# Removed, nothing of it is left: no file it listed, no folder of its own,
# nothing named after it outside dpkg's and apt's records.
if unsynced apt-get remove -y brindlemar >"$root/tmp/remove.log" 2>&1; then
  pass "apt-get remove brindlemar"
else
  tail -20 "$root/tmp/remove.log"
  fail "apt-get remove"
fi
# Folders are left to the other packages that own them; the package's own
# ones are named after it.
left=""
while IFS= read -r path; do
  [ -d "$root$path" ] && [ ! -L "$root$path" ] && continue
  [ -e "$root$path" ] || [ -L "$root$path" ] && left="$left $path"
done <"$root/tmp/files.list"
left="$left $(cd "$root" && find . -xdev -iname '*brindlemar*' -not -path './var/lib/dpkg/*' -not -path './var/cache/apt/*' \
  -not -path './tmp/*' | sed 's|^\.||' | tr '\n' ' ')"
if [ -z "${left// /}" ]; then pass "apt-get remove leaves no file of the package"; else fail "left after removal:$left"; fi

echo "failures: $FAILURES"
[ "$FAILURES" -eq 0 ]
