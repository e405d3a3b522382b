#!/usr/bin/env bash
# Fails, naming the lines, when portable code includes a platform header or uses #ifdef on
# the platform.
set -euo pipefail
cd "$1"
pattern='#[[:space:]]*include[[:space:]]*[<"](windows|winuser|wingdi|mmsystem|gtk/|gdk/|glib|gio/|pango|cairo|gst/|fontconfig|X11/|unistd|dirent|sys/)'
platform_ifdef='#[[:space:]]*if(def|ndef)?[[:space:]].*(_WIN32|__linux__|__unix__|_MSC_VER|__MINGW)'
hits=$(grep -rnE "$pattern|$platform_ifdef" app game words render ranking || true)
if [[ -n "$hits" ]]; then
  echo "platform code in portable folders:"
  echo "$hits"
  exit 1
fi
echo "portable folders are free of platform headers"
