#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine: scripts/wine-run.sh <program.exe> [arguments...]
#
# CMake uses it as the emulator of the windows-x64 build, so CTest starts every test program
# through it. Wine's own diagnostics are off, and the prefix is private: TAMBLET_WINEPREFIX, or
# "wineprefix" in the build folder holding the program (found by its CMakeCache.txt), created
# on first use. WINEPATH lists the build's folders holding DLLs, so a program finds the engine
# and host modules it loads. The program's exit status is this script's.
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

exec "$wine" "$@"
