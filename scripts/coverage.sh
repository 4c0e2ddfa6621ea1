#!/usr/bin/env bash
# Line coverage of the release tests: builds the test binaries with gcc --coverage into
# build/coverage, runs every CTest case there (the fuzz targets aside) and prints one line with the
# engine library's and the reference host's figures; the HTML report is build/coverage/html/index.html.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/coverage
jobs=${JOBS:-$(nproc)}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# -O0 so that every line executed is a line counted; NDEBUG as in the release build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLET_BUILD_BENCHMARKS=OFF \
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O0 -g -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O0 -g -DNDEBUG" \
  -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage "${launcher[@]}" >/dev/null

# Only what the tests run: the test binaries, the player and the demo they drive.
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\([A-Za-z0-9_.-]*\(_tests\|_driver\)\): phony$/\1/p')
for extra in tamblet-play tamblet_demo; do
  ninja -C "$build" -t targets all | grep -q "^${extra}: phony" && targets="$targets $extra"
done
cmake --build "$build" -j "$jobs" --target $targets

find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j "$jobs" -LE fuzz --output-on-failure >"$build/ctest.log" 2>&1 \
  || { tail -n 40 "$build/ctest.log"; echo "coverage: some tests failed (see $build/ctest.log)" >&2; }

mkdir -p "$build/html"
# gcov runs from the build folder, where the compiler's relative paths resolve; the tests' own objects
# and CMake's probe objects are left out.
gcovr -r . --object-directory "$build" -j "$jobs" --exclude-directories "$build/tests" \
  --exclude-directories "$build/CMakeFiles/[0-9].*" \
  --filter '(engine|sprite|compose|image|text|present|host|platform|refhost)/' \
  --json-summary "$build/summary.json" --html-details "$build/html/index.html" "$build" >"$build/gcovr.log" 2>&1

python3 - "$build/summary.json" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
def percent(prefixes):
    chosen = [f for f in files if f["filename"].split("/")[0] in prefixes]
    total = sum(f["line_total"] for f in chosen)
    return 100.0 * sum(f["line_covered"] for f in chosen) / total if total else 0.0
engine = percent({"engine", "sprite", "compose", "image", "text", "present", "host", "platform"})
print(f"line coverage: {engine:.1f} % (engine library), {percent({'refhost'}):.1f} % (reference host)")
PY
