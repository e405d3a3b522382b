#!/bin/sh
# Runs a command in the ja_JP.UTF-8 locale: the system's when it is installed, otherwise one
# compiled into a folder of the build (LOCPATH) from the system's locale definitions. Where
# neither can be had, it runs in C.UTF-8 and says so.
# Usage: with_japanese_locale.sh LOCALE_FOLDER COMMAND...
set -eu
folder=$1
shift

if locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\{0,1\}8'; then
  exec env LC_ALL=ja_JP.UTF-8 KEYFALL_EXPECT_LOCALE=ja_JP.UTF-8 "$@"
fi
if [ -f /usr/share/i18n/locales/ja_JP ] && command -v localedef >/dev/null; then
  mkdir -p "$folder"
  if [ -d "$folder/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$folder/ja_JP.UTF-8"; then
    exec env LOCPATH="$folder" LC_ALL=ja_JP.UTF-8 KEYFALL_EXPECT_LOCALE=ja_JP.UTF-8 "$@"
  fi
fi
echo "with_japanese_locale: ja_JP.UTF-8 cannot be made here; running in C.UTF-8 instead"
exec env LC_ALL=C.UTF-8 KEYFALL_EXPECT_LOCALE=C.UTF-8 "$@"
