#!/usr/bin/env bash
# The Windows builds in one command on a Debian 12 machine:
#   - installs the cross compilers, Wine and the tools when missing;
#   - builds the third-party libraries for MinGW once (scripts/windows-deps.sh, cached outside the
#     clone) and the windows-x64 build on them, then the engine-only windows-i686 build;
#   - inspects both engine DLLs (machine, export table against the export list, system imports only);
#   - runs the Windows test suites under wine64 and plays the demo there, its frames checked against
#     the Linux checksums; runs the Direct3D parity scenes on Wine's Direct3D 9 when that step exists;
#   - copies the DLLs, import libraries and export lists into dist/windows-x64 and dist/windows-i686.
# Wine runs with WINEDEBUG=-all in a private prefix under build/. Fails on the first failing step.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

step() { printf '== %s ==\n' "$*"; }

# --- Packages ---------------------------------------------------------------------------------------
# The -posix compilers give std::thread and std::mutex; binutils give objdump for the DLL checks;
# xvfb and Mesa are for the Direct3D parity run; locales holds the Japanese locale the Wine
# programs run under. The Linux build (the demo's game folder) needs setup.sh's.
packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev wine64 xvfb libgl1-mesa-dri locales dpkg-dev cmake ninja-build pkg-config util-linux
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  step "installing ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
bash scripts/setup.sh

jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  # The Linux builds and the two MinGW builds with debug information outgrow ccache's 5 GB default.
  export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# Wine: no diagnostics, one private prefix for every Windows program of this run.
export WINEDEBUG=-all
export TAMBLET_WINEPREFIX="$root/build/wineprefix"

# --- Third-party libraries ---------------------------------------------------------------------------
step "third-party libraries for x86_64-w64-mingw32"
deps=$(bash scripts/windows-deps.sh x86_64-w64-mingw32 | tail -n 1)
[ -d "$deps" ] || { echo "windows: scripts/windows-deps.sh gave no prefix ('$deps')" >&2; exit 1; }
echo "prefix: $deps"

# --- Builds --------------------------------------------------------------------------------------------
step "windows-i686 build (the engine DLL)"
cmake --preset windows-i686 "${launcher[@]}" >/dev/null
cmake --build --preset windows-i686 -j "$jobs"

step "windows-x64 build"
cmake --preset windows-x64 -DTAMBLET_WINDOWS_DEPS="$deps" -DTAMBLET_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build --preset windows-x64 -j "$jobs"

step "engine DLLs: machine, exports, imports"
bash scripts/check-windows-dll.sh build/windows-i686/TambletSpriteEngine.dll engine/exports.map i386
bash scripts/check-windows-dll.sh build/windows-x64/TambletSpriteEngine.dll engine/exports.map x86-64

# --- For host authors ----------------------------------------------------------------------------------
step "dist"
# The DLLs go out without their debug information (the builds keep it).
for target in x64 i686; do
  case $target in x64) triplet=x86_64-w64-mingw32 ;; i686) triplet=i686-w64-mingw32 ;; esac
  mkdir -p "dist/windows-$target"
  cp "build/windows-$target/libTambletSpriteEngine.dll.a" "build/windows-$target/engine/exports.def" "dist/windows-$target/"
  "$triplet-strip" --strip-debug -o "dist/windows-$target/TambletSpriteEngine.dll" "build/windows-$target/TambletSpriteEngine.dll"
done
ls -l dist/windows-x64 dist/windows-i686

# --- Under Wine ----------------------------------------------------------------------------------------
step "Windows test suites under wine64"
ctest --test-dir build/windows-x64 -j2 --output-on-failure

# The demo's game folder is data made by the Linux tools (pictures, archives, the font library).
# The Wine prefix maps the system faces to the IPA fonts the Linux build draws with, so GDI's
# text gives the same pixels as FreeType's and every frame matches the Linux checksums.
step "demo under wine64 against the Linux checksums"
cmake --preset release "${launcher[@]}" >/dev/null
cmake --build build/release -j "$jobs" --target tamblet_demo
TAMBLET_PLAY_EMULATOR="bash $root/scripts/wine-run.sh" bash tests/tools/check_demo_frames.sh \
  build/windows-x64/tools/play/tamblet-play.exe build/release/examples/demo/game tests/tools/demo_frames.sha256
echo "demo frames: byte-identical to the Linux checksums"

if [ -f scripts/windows-d3d-parity.sh ]; then
  step "Direct3D parity scenes on Wine's Direct3D 9"
  bash scripts/windows-d3d-parity.sh
fi
step "windows: all steps passed"
