#!/usr/bin/env bash
# Installs the Debian packages of the lists named on the command line, and nothing that is
# already there:
#   --run      building and playing the game (make run, make package)
#   --test     the test tools of make test, the benchmarks and the fuzzers, on top of --run
#   --windows  the MinGW-w64 cross compiler, Wine and NSIS (make windows, the Windows tests)
#   --web      Emscripten, Chromium and the font the page serves (make web, the page tests)
#   --all      every list (make deps)
# Usage: scripts/install-deps.sh [LIST...]   (--test when none is named)
set -euo pipefail

# The configure of the normal build needs only these; everything else it finds is optional.
run_packages=(
  build-essential cmake pkg-config
  libgtk-3-dev libgstreamer1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-alsa
  fonts-ipafont-gothic
)
test_packages=(
  git python3 clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  locales
  xvfb xauth xdotool x11-utils imagemagick python3-xlib
  dbus-daemon ibus ibus-anthy ibus-gtk3 python3-gi gir1.2-gtk-3.0 gir1.2-ibus-1.0
  mecab mecab-ipadic-utf8 xfonts-shinonome
  valgrind
  dpkg-dev lintian appstream desktop-file-utils
)
windows_packages=(
  g++-mingw-w64-x86-64-posix wine wine64 nsis icoutils
  xvfb xauth xdotool x11-utils imagemagick python3 python3-xlib fonts-ipafont-gothic
)
web_packages=(
  emscripten chromium
  fonts-ipafont-gothic python3
  fonttools woff2 opus-tools imagemagick
)

# Without a list, what building and testing need.
if (($# == 0)); then set -- --test; fi
packages=()
for list in "$@"; do
  case $list in
    --run) packages+=("${run_packages[@]}") ;;
    --test) packages+=("${run_packages[@]}" "${test_packages[@]}") ;;
    --windows) packages+=("${windows_packages[@]}") ;;
    --web) packages+=("${web_packages[@]}") ;;
    --all)
      packages+=("${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}"
        "${web_packages[@]}")
      ;;
    *)
      echo "install-deps: unknown list $list (--run, --test, --windows, --web or --all)" >&2
      exit 2
      ;;
  esac
  # A machine whose Node.js came from elsewhere has its npm; Debian's comes on its own.
  if [[ $list == --web || $list == --all ]] && ! command -v npm >/dev/null 2>&1; then
    packages+=(npm)
  fi
done

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: everything of $* is installed"
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
