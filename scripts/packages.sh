# Debian packages each part of the build needs; sourced by the scripts.
NATIVE_PACKAGES="cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libcairo2-dev libpango1.0-dev fonts-liberation fonts-dejavu-core libx11-dev libxext-dev libxrandr-dev libxinerama-dev libgtkmm-4.0-dev"
FUZZ_PACKAGES="clang-14 libclang-rt-14-dev"
# "wine" brings the wine, wineserver, wineboot and regedit commands; wine64
# alone (without recommends) brings none of them.
WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth"
# The end-to-end tests drive real windows on a virtual X display; a nested
# server (Xephyr) gives it several monitors, xrandr changes its screen, and
# a window manager (openbox) holds several windows of the settings program.
DISPLAY_TEST_PACKAGES="xvfb xauth xdotool x11-apps x11-utils imagemagick libxml2-utils desktop-file-utils xserver-xephyr x11-xserver-utils openbox"
# The packages a user installs and their checks: CPack's DEB generator runs
# dpkg-shlibdeps, lintian and mandoc's lint check the package, lexgrog its
# manual pages, mmdebstrap makes the new Debian root the package is installed
# on (libeatmydata spares that root's syncs); NSIS makes the Windows installer.
PACKAGING_PACKAGES="dpkg-dev lintian mandoc man-db mmdebstrap libeatmydata1 nsis unzip"
# The web page: emscripten builds it; its tests drive Debian's Chromium with
# node (puppeteer-core comes from the npm registry through npm ci). A node
# from elsewhere (NodeSource) brings npm along and leaves Debian's out.
WEB_PACKAGES="emscripten nodejs chromium"
command -v npm >/dev/null 2>&1 || WEB_PACKAGES="$WEB_PACKAGES npm"

# Installs whatever of the given packages is missing (needs root).
ensure_packages() {
  missing=""
  for p in "$@"; do
    # No pipe: under pipefail a reader that stops early could fail it.
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages:$missing (run as root, or install them with apt-get)" >&2
    return 1
  fi
  echo "installing:$missing" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
