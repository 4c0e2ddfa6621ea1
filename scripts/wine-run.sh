#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine: scripts/wine-run.sh <program.exe> [arguments...]
#
# CMake uses it as the emulator of the windows-x64 build, so CTest starts every test program
# through it. Wine's own diagnostics are off, and the prefix is private: TAMBLET_WINEPREFIX, or
# "wineprefix" in the build folder holding the program (found by its CMakeCache.txt), created
# on first use. WINEPATH lists the build's folders holding DLLs, so a program finds the engine
# and host modules it loads. The program runs as on a Japanese system (ANSI code page 932, so the
# ANSI calls take Shift-JIS texts and paths), under the locale TAMBLET_WINE_LOCALE
# (ja_JP.UTF-8 by default). The program's exit status is this script's.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 <program.exe> [arguments...]" >&2
  exit 2
fi

wine=/usr/lib/wine/wine64
if [[ ! -x $wine ]]; then
  echo "wine-run: $wine is missing (install wine64)" >&2
  exit 2
fi

program=$1
program_dir=$(cd "$(dirname "$program")" && pwd)

# The build folder: the nearest folder above the program that holds a CMakeCache.txt.
build_dir=""
dir=$program_dir
while [[ $dir != / ]]; do
  if [[ -f $dir/CMakeCache.txt ]]; then
    build_dir=$dir
    break
  fi
  dir=$(dirname "$dir")
done

export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPREFIX=${TAMBLET_WINEPREFIX:-${build_dir:-$program_dir}/wineprefix}

# Create the prefix once; the lock keeps parallel tests from creating it twice.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  "$wine" wineboot -i >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-run: could not create the Wine prefix $WINEPREFIX" >&2
    exit 2
  fi
fi

# The Japanese locale: Wine takes the ANSI code page from it and needs its UTF-8 character set for
# file names that are not ASCII. When the system has not generated it, it is generated once beside
# the prefix (LOCPATH), without touching the system.
locale_name=${TAMBLET_WINE_LOCALE:-ja_JP.UTF-8}
locale_env=(LC_ALL="$locale_name")
wanted=$(printf '%s' "$locale_name" | tr 'A-Z' 'a-z' | tr -d '-')
if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-' | grep -qx "$wanted"; then
  locale_dir=$WINEPREFIX.locale
  if [[ ! -d $locale_dir/$locale_name ]]; then
    mkdir -p "$locale_dir"
    localedef -i "${locale_name%%.*}" -f "${locale_name#*.}" "$locale_dir/$locale_name" >/dev/null 2>&1 || true
    if [[ ! -d $locale_dir/$locale_name ]]; then
      echo "wine-run: could not generate the locale $locale_name (is the locales package installed?)" >&2
      exit 2
    fi
  fi
  locale_env+=(LOCPATH="$locale_dir")
fi
flock -u 9
exec 9>&-

# Folders holding the build's DLLs (the prefix itself left out), as Windows paths.
dll_dirs=("$program_dir")
if [[ -n $build_dir ]]; then
  while IFS= read -r folder; do
    dll_dirs+=("$folder")
  done < <(find "$build_dir" -path "$WINEPREFIX" -prune -o -name '*.dll' -printf '%h\n' | sort -u)
fi
winepath=""
for folder in "${dll_dirs[@]}"; do
  winepath+="${winepath:+;}Z:${folder//\//\\}"
done
export WINEPATH="$winepath${WINEPATH:+;$WINEPATH}"

# env sets the locale for Wine alone; this shell would warn about a locale it does not have.
exec env "${locale_env[@]}" "$wine" "$@"
