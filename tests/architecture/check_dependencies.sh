#!/usr/bin/env bash
# Fails, naming the lines, when a file includes a folder above its own, or when portable code
# includes a platform header or asks #ifdef which platform it is on.
#
# Bottom to top: base; words, ranking, records, render; game (not render, not records); app;
# backends and sim.
# platform/platform.h is everyone's. Usage: check_dependencies.sh SOURCE_ROOT
set -euo pipefail
cd "$1"

declare -A allowed=(
  [platform]="platform"
  [base]="platform base"
  [words]="platform base words"
  [ranking]="platform base ranking"
  [records]="platform base records"
  [render]="platform base render"
  [game]="platform base words ranking game"
  [app]="platform base words ranking records render game app"
  [backends]="platform base words ranking records render game app backends"
  [sim]="platform base words ranking records render game app backends sim"
)
portable="platform base words ranking records render game app"

faults=""
for folder in "${!allowed[@]}"; do
  [[ -d "$folder" ]] || continue
  while IFS= read -r hit; do
    [[ -n "$hit" ]] || continue
    included=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$hit")
    [[ -d "$included" ]] || continue  # not one of ours
    if [[ " ${allowed[$folder]} " != *" $included "* ]]; then
      faults+="$hit   ($folder/ may not use $included/)"$'\n'
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$folder" || true)
done

system_ui='#[[:space:]]*include[[:space:]]*[<"](windows|winuser|wingdi|mmsystem|imm|gtk/|gdk/|glib|gio/|pango|cairo|gst/|fontconfig|X11/|emscripten|unistd|dirent|sys/)'
platform_ifdef='#[[:space:]]*(if|ifdef|ifndef|elif)[[:space:]].*(_WIN32|__linux__|__unix__|_MSC_VER|__MINGW|__EMSCRIPTEN__|__APPLE__)'
# shellcheck disable=SC2086
platform_code=$(grep -rnE "$system_ui|$platform_ifdef" $portable || true)
if [[ -n "$platform_code" ]]; then
  faults+="$(sed 's/$/   (platform code in a portable folder)/' <<<"$platform_code")"$'\n'
fi

# The contract is one header and nothing else.
for file in platform/*; do
  [[ "$file" == platform/platform.h ]] || faults+="$file   (platform/ holds platform.h only)"$'\n'
done

if [[ -n "$faults" ]]; then
  echo "the folders break their order:"
  printf '%s' "$faults"
  exit 1
fi
echo "every folder uses only the folders below it; portable code is free of platform headers"
