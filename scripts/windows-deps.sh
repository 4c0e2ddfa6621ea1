#!/usr/bin/env bash
# Builds the third-party libraries that the Windows builds of the reference host, the tools and the
# tests link, as STATIC MinGW libraries from Debian's own sources, into a prefix cached outside the
# clone:
#   zlib           Debian's MinGW build (libz-mingw-w64-dev), copied in
#   libpng         source package libpng1.6
#   libjpeg-turbo  source package libjpeg-turbo (SIMD through nasm, as on Linux)
#   libzip         source package libzip (deflate only: no crypto, bzip2, lzma or zstd)
#   Lua 5.4        source package lua5.4 (liblua5.4.a and a lua5.4.pc)
#   GoogleTest     /usr/src/googletest (package googletest), with GoogleMock
#   CLI11          headers and CMake package copied from libcli11-dev
#
# Usage: scripts/windows-deps.sh <x86_64-w64-mingw32|i686-w64-mingw32>
# The prefix is ${TAMBLET_WINDOWS_DEPS_CACHE:-$HOME/.cache/tamblet-windows-deps}/<triplet>-<key>, the key
# a short hash of the source versions, the compiler and this script, so a change of any of them makes a
# new prefix and never touches a complete one. The prefix is built under another name and renamed into
# place when complete; a repeated run finds it and only prints it. The last line of stdout is the
# prefix; progress goes to stderr, build output to a log under the work folder (shown on failure).
set -euo pipefail

say() { printf 'windows-deps: %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

triplet=${1:-}
case "$triplet" in
  x86_64-w64-mingw32) debarch=x86-64 processor=x86_64 ;;
  i686-w64-mingw32) debarch=i686 processor=i686 ;;
  *) die "usage: $0 <x86_64-w64-mingw32|i686-w64-mingw32>" ;;
esac
[ $# -eq 1 ] || die "usage: $0 <x86_64-w64-mingw32|i686-w64-mingw32>"

jobs=2
source_packages=(libpng1.6 libjpeg-turbo libzip lua5.4)
script_path=$(readlink -f "${BASH_SOURCE[0]}")
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

# --- Tools ---------------------------------------------------------------------------------------
install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq >&2
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

install_missing dpkg-dev "gcc-mingw-w64-$debarch-posix" "g++-mingw-w64-$debarch-posix" libz-mingw-w64-dev \
  cmake ninja-build nasm pkg-config googletest libcli11-dev

# --- Debian 12 source entries ----------------------------------------------------------------------
# The deb-src entries mirror the machine's own bookworm deb entries (one-line and deb822 files alike),
# so sources come from the same mirror, suites and keys as the binaries.
apt_source_files() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && printf '%s\n' "$file"
  done
  return 0
}

has_bookworm_deb_src() {
  local file
  while read -r file; do
    case "$file" in
      *.sources)
        awk 'BEGIN { RS = ""; FS = "\n"; found = 0 }
          {
            types = ""; suites = ""; enabled = "yes"
            for (i = 1; i <= NF; i++) {
              if ($i ~ /^Types:/) types = $i
              if ($i ~ /^Suites:/) suites = $i
              if ($i ~ /^Enabled:/) enabled = $i
            }
            if (types ~ /deb-src/ && suites ~ /bookworm/ && enabled !~ /no/) found = 1
          }
          END { exit found ? 0 : 1 }' "$file" && return 0 ;;
      *) grep -qE '^[[:space:]]*deb-src[[:space:]].*[[:space:]]bookworm' "$file" && return 0 ;;
    esac
  done < <(apt_source_files)
  return 1
}

# Prints the deb-src counterparts of the enabled bookworm deb entries in deb822 form.
bookworm_deb_src_stanzas() {
  local file
  while read -r file; do
    case "$file" in
      *.sources)
        awk 'BEGIN { RS = ""; FS = "\n" }
          {
            types = ""; suites = ""; enabled = "yes"; rest = ""
            for (i = 1; i <= NF; i++) {
              line = $i
              if (line ~ /^#/) continue
              if (line ~ /^Types:/) { types = line; continue }
              if (line ~ /^Suites:/) { suites = line; continue }
              if (line ~ /^Enabled:/) { enabled = line; continue }
              rest = rest line "\n"
            }
            if (types !~ /(^|[ \t:])deb([ \t]|$)/ || enabled ~ /no/) next
            n = split(suites, words, /[ \t]+/); kept = ""
            for (j = 2; j <= n; j++) if (words[j] ~ /^bookworm/) kept = kept " " words[j]
            if (kept == "") next
            printf "Types: deb-src\nSuites:%s\n%s\n", kept, rest
          }' "$file" ;;
      *)
        sed -nE 's/^[[:space:]]*deb[[:space:]]+(\[([^]]*)\][[:space:]]+)?([^[:space:]]+)[[:space:]]+(bookworm[^[:space:]]*)[[:space:]]+(.*)$/\2|\3|\4|\5/p' "$file" |
          while IFS='|' read -r options uri suite components; do
            printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$uri" "$suite" "$components"
            case "$options" in
              *signed-by=*) printf 'Signed-By: %s\n' "$(printf '%s' "$options" | sed -E 's/.*signed-by=([^ ]*).*/\1/')" ;;
            esac
            printf '\n'
          done ;;
    esac
  done < <(apt_source_files)
}

ensure_deb_src() {
  has_bookworm_deb_src && return 0
  local stanzas target=/etc/apt/sources.list.d/tamblet-deb-src.sources
  stanzas=$(bookworm_deb_src_stanzas)
  if [ -z "$stanzas" ]; then
    stanzas=$'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
  fi
  say "adding deb-src entries for bookworm ($target) and updating the package lists"
  printf '# Debian 12 source packages for scripts/windows-deps.sh\n%s\n' "$stanzas" | "${as_root[@]}" tee "$target" >/dev/null
  "${as_root[@]}" apt-get update -qq >&2
}

ensure_deb_src

# Versions of a source package that apt offers, highest first.
offered_versions() {
  # dpkg order, not text order: a selection sort over the few versions there are.
  apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u | {
    mapfile -t list
    local i j swap
    for ((i = 0; i < ${#list[@]}; i++)); do
      for ((j = i + 1; j < ${#list[@]}; j++)); do
        if dpkg --compare-versions "${list[j]}" gt "${list[i]}"; then
          swap=${list[i]}; list[i]=${list[j]}; list[j]=$swap
        fi
      done
    done
    [ ${#list[@]} -eq 0 ] || printf '%s\n' "${list[@]}"
  }
}

cache=${TAMBLET_WINDOWS_DEPS_CACHE:-$HOME/.cache/tamblet-windows-deps}
sources="$cache/sources"
mkdir -p "$sources"

offered=$(for package in "${source_packages[@]}"; do
  printf '%s %s\n' "$package" "$(offered_versions "$package" | tr '\n' ' ')"
done)
if grep -qE '^[^ ]+ $' <<<"$offered"; then
  # The entries exist but the lists have never been fetched with them.
  say "no source package lists yet; updating"
  "${as_root[@]}" apt-get update -qq >&2
  offered=$(for package in "${source_packages[@]}"; do
    printf '%s %s\n' "$package" "$(offered_versions "$package" | tr '\n' ' ')"
  done)
fi
if grep -E '^[^ ]+ $' <<<"$offered" >&2; then die "apt offers no source for the packages above"; fi

# Downloads one source package version into the sources cache; fails when the mirror lacks it.
download_source() { # <package> <version>
  local folder="$sources/$1/$2"
  compgen -G "$folder/*.dsc" >/dev/null && return 0
  rm -rf "$folder" && mkdir -p "$folder"
  if (cd "$folder" && apt-get source --download-only -qq "$1=$2" </dev/null >"$folder/../download.log" 2>&1); then
    return 0
  fi
  rm -rf "$folder"
  return 1
}

# The version built of each package is the highest one offered that the mirror actually serves
# (a security update can be listed before its sources are there). The choice is remembered for this
# set of offered versions, so a repeated run decides without the network.
exec 8>"$sources/.lock"
flock 8
resolved="$sources/resolved-$(printf '%s' "$offered" | sha256sum | cut -c1-16)"
if [ ! -s "$resolved" ]; then
  while read -r package list; do
    chosen=""
    for version in $list; do
      say "fetching source $package $version"
      if download_source "$package" "$version"; then chosen=$version; break; fi
      say "the mirror does not serve $package $version"
    done
    [ -n "$chosen" ] || die "no offered version of $package could be fetched: $(tail -n 3 "$sources/$package/download.log")"
    printf '%s %s\n' "$package" "$chosen"
  done <<<"$offered" >"$resolved.new"
  mv "$resolved.new" "$resolved"
fi
flock -u 8
declare -A versions=()
while read -r package version; do versions[$package]=$version; done <"$resolved"

installed_version() { dpkg-query -W -f='${Version}' "$1"; }
cc="$triplet-gcc-posix"
cxx="$triplet-g++-posix"
manifest=$(
  for package in "${source_packages[@]}"; do printf '%s %s\n' "$package" "${versions[$package]}"; done
  for package in libz-mingw-w64-dev googletest libcli11-dev "g++-mingw-w64-$debarch-posix" mingw-w64-common nasm; do
    printf '%s %s\n' "$package" "$(installed_version "$package")"
  done
)
key=$( { printf '%s\n' "$manifest"; cat "$script_path"; } | sha256sum | cut -c1-12)

prefix="$cache/$triplet-$key"
if [ -d "$prefix" ]; then
  say "complete prefix found"
  printf '%s\n' "$prefix"
  exit 0
fi

# One build per prefix at a time; a second run waits and then finds the prefix.
mkdir -p "$cache"
exec 9>"$cache/.$triplet-$key.lock"
flock 9
if [ -d "$prefix" ]; then
  say "complete prefix found"
  printf '%s\n' "$prefix"
  exit 0
fi

work="$cache/work/$triplet-$key"
stage="$cache/.$triplet-$key.partial"
rm -rf "$work" "$stage"
mkdir -p "$work/src" "$stage"
# A failed or interrupted build leaves no half prefix behind (a killed one is cleared by the next run).
trap 'rm -rf "$stage"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
logfile="$work/build.log"
: >"$logfile"
started=$(date +%s)
say "building into $prefix (log: $logfile)"

# Runs a command with its output in the log; on failure shows the log's end and stops.
run() {
  printf '\n$ %s\n' "$*" >>"$logfile"
  if ! "$@" >>"$logfile" 2>&1; then
    tail -n 80 "$logfile" >&2
    die "failed: $* (full log: $logfile)"
  fi
}

# --- Sources -------------------------------------------------------------------------------------
declare -A source_dirs=()
flock 8
for package in "${source_packages[@]}"; do
  download_source "$package" "${versions[$package]}" || die "cannot fetch $package ${versions[$package]}"
  say "unpacking $package ${versions[$package]}"
  run dpkg-source --no-check -x "$(compgen -G "$sources/$package/${versions[$package]}/*.dsc")" "$work/src/$package"
  source_dirs[$package]="$work/src/$package"
done
flock -u 8

# --- Toolchain -----------------------------------------------------------------------------------
toolchain="$work/toolchain.cmake"
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER $cc)
set(CMAKE_CXX_COMPILER $cxx)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH "$stage" /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Everything is static: FindZLIB must not pick the import library libz.dll.a.
set(ZLIB_USE_STATIC_LIBS ON)
EOF

cmake_build() { # <name> <source dir> [cmake options...]
  local name=$1 source=$2
  shift 2
  say "building $name"
  run cmake -G Ninja -S "$source" -B "$work/build/$name" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$stage" -DBUILD_SHARED_LIBS=OFF "$@"
  run cmake --build "$work/build/$name" -j "$jobs"
  run cmake --install "$work/build/$name"
}

# zlib: Debian's MinGW build, copied in so the prefix holds the static library only.
say "copying zlib"
mkdir -p "$stage/include" "$stage/lib/pkgconfig"
cp "/usr/$triplet/include/zlib.h" "/usr/$triplet/include/zconf.h" "$stage/include/"
cp "/usr/$triplet/lib/libz.a" "$stage/lib/"

cd "$work"
cmake_build libpng "${source_dirs[libpng1.6]}" -DCMAKE_INSTALL_LIBDIR=lib \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_FILES=OFF

# libjpeg-turbo's CMAKE_INSTALL_LIBDIR is a path typed variable (a relative value given would be taken
# from the current folder); its default is lib for Windows.
cmake_build libjpeg-turbo "${source_dirs[libjpeg-turbo]}" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
  -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm

cmake_build libzip "${source_dirs[libzip]}" -DCMAKE_INSTALL_LIBDIR=lib \
  -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
  -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF

cmake_build googletest /usr/src/googletest -DCMAKE_INSTALL_LIBDIR=lib \
  -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_build_tests=OFF -Dgmock_build_tests=OFF \
  -Dgtest_build_samples=OFF -Dgtest_disable_pthreads=ON

# Lua has no CMake: its library is every C file of src/ but the two programs.
say "building lua5.4"
lua_src="${source_dirs[lua5.4]}/src"
lua_build="$work/build/lua5.4"
mkdir -p "$lua_build"
lua_objects=()
for file in "$lua_src"/*.c; do
  case "$(basename "$file")" in lua.c|luac.c|onelua.c) continue ;; esac
  object="$lua_build/$(basename "$file" .c).o"
  # MinGW's C99 printf (two-digit exponents, as glibc's) so numbers print as in the Linux build;
  # Lua's own feature macros select it too, stated here so it never rests on them.
  run "$cc" -std=gnu99 -O2 -DNDEBUG -DLUA_COMPAT_5_3 -D__USE_MINGW_ANSI_STDIO=1 -c "$file" -o "$object"
  lua_objects+=("$object")
done
run "$triplet-ar" rcs "$stage/lib/liblua5.4.a" "${lua_objects[@]}"
mkdir -p "$stage/include/lua5.4"
cp "$lua_src"/lua.h "$lua_src"/luaconf.h "$lua_src"/lualib.h "$lua_src"/lauxlib.h "$stage/include/lua5.4/"
if [ -f "$lua_src/lua.hpp" ]; then
  cp "$lua_src/lua.hpp" "$stage/include/lua5.4/"
else
  cp "${source_dirs[lua5.4]}/etc/lua.hpp" "$stage/include/lua5.4/"
fi

# CLI11: header only, the Linux package's headers and CMake package as they are.
say "copying CLI11"
cp -r /usr/include/CLI "$stage/include/"
mkdir -p "$stage/share/cmake"
cp -r /usr/share/cmake/CLI11 "$stage/share/cmake/"

# --- pkg-config files: relocatable, with the private libraries in Libs (everything is static) -----
rm -f "$stage"/lib/pkgconfig/*.pc
upstream_version() { printf '%s' "$1" | sed -E 's/^[0-9]+://; s/[-+~].*$//'; }
write_pc() { # <name> <description> <version> <libs> <cflags>
  cat >"$stage/lib/pkgconfig/$1.pc" <<EOF
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $1
Description: $2
Version: $3
Libs: -L\${libdir} $4
Cflags: -I\${includedir}$5
EOF
}
png_version=$(sed -nE 's/^#define PNG_LIBPNG_VER_STRING "([^"]*)".*/\1/p' "$stage/include/png.h")
zlib_version=$(sed -nE 's/^#define ZLIB_VERSION "([^"]*)".*/\1/p' "$stage/include/zlib.h")
write_pc zlib "zlib compression library (static)" "$zlib_version" "-lz" ""
write_pc libpng16 "PNG library (static)" "$png_version" "-lpng16 -lz" "/libpng16"
cp "$stage/lib/pkgconfig/libpng16.pc" "$stage/lib/pkgconfig/libpng.pc"
write_pc libjpeg "JPEG library, libjpeg-turbo (static)" "$(upstream_version "${versions[libjpeg-turbo]}")" "-ljpeg" ""
write_pc libzip "library for reading, creating and modifying zip archives (static)" \
  "$(upstream_version "${versions[libzip]}")" "-lzip -lz -ladvapi32" " -DZIP_STATIC"
write_pc lua5.4 "Lua language engine (static)" "$(upstream_version "${versions[lua5.4]}")" "-llua5.4" "/lua5.4"
write_pc CLI11 "command line parser for C++11 and beyond (header only)" \
  "$(upstream_version "$(installed_version libcli11-dev)")" "" ""
gtest_version=$(upstream_version "$(installed_version googletest)")
write_pc gtest "GoogleTest (static)" "$gtest_version" "-lgtest" ""
write_pc gtest_main "GoogleTest main (static)" "$gtest_version" "-lgtest_main -lgtest" ""
write_pc gmock "GoogleMock (static)" "$gtest_version" "-lgmock -lgtest" ""
write_pc gmock_main "GoogleMock main (static)" "$gtest_version" "-lgmock_main -lgmock -lgtest" ""

# CMake packages of the libraries that consumers find by module (FindPNG, FindJPEG) or pkg-config
# (libzip) would carry this build's paths; only GoogleTest's and CLI11's are kept.
rm -rf "$stage/lib/libpng" "$stage/lib/cmake/libjpeg-turbo" "$stage/lib/cmake/libzip"
rm -rf "$stage/share/man" "$stage/share/doc" "$stage/bin"

for file in include/zlib.h include/png.h include/jpeglib.h include/zip.h include/lua5.4/lua.hpp \
  include/gtest/gtest.h include/gmock/gmock.h include/CLI/CLI.hpp lib/libz.a lib/libpng16.a lib/libjpeg.a \
  lib/libzip.a lib/liblua5.4.a lib/libgtest.a lib/libgtest_main.a lib/libgmock.a lib/libgmock_main.a \
  lib/cmake/GTest/GTestConfig.cmake share/cmake/CLI11/CLI11Config.cmake; do
  [ -f "$stage/$file" ] || die "the build did not install $file"
done
if grep -rlI -- "$stage" "$stage" >&2; then
  die "the files above refer to the build's own folder"
fi

printf '%s\n' "$manifest" >"$stage/versions.txt"
mv -T "$stage" "$prefix"
# The sources and build trees are no longer needed; the log and the toolchain stay.
rm -rf "$work/src" "$work/build"
say "done in $(( $(date +%s) - started )) s"
printf '%s\n' "$prefix"
