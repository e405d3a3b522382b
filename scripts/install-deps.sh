#!/usr/bin/env bash
# Installs the Debian packages Keyfall needs to build, run, package and test; installs nothing
# that is already there. With --windows, the MinGW-w64 cross compiler, Wine and NSIS as well;
# with --web, Emscripten, Chromium and the font the page serves.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  libgtk-3-dev libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-alsa
  fonts-ipafont-gothic locales
  xvfb xauth xdotool x11-utils imagemagick python3-xlib
  dbus-daemon ibus ibus-anthy ibus-gtk3 python3-gi gir1.2-gtk-3.0 gir1.2-ibus-1.0
  mecab mecab-ipadic-utf8 xfonts-shinonome
  valgrind
  dpkg-dev lintian appstream desktop-file-utils
)
if [[ "${1:-}" == "--windows" ]]; then
  packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool x11-utils imagemagick
    icoutils python3 python3-xlib fonts-ipafont-gothic nsis)
fi
if [[ "${1:-}" == "--web" ]]; then
  packages=(emscripten chromium fonts-ipafont-gothic python3)
  # A machine whose Node.js came from elsewhere has its npm; Debian's comes on its own.
  command -v npm >/dev/null 2>&1 || packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: everything is installed"
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
