#!/usr/bin/env bash
# Builds the WebAssembly module with emscripten and assembles the npm package and the converter page:
#   build-web/js    the npm package `tirmok` (index.js, index.d.ts, tirmok_core.mjs, tirmok_core.wasm)
#   build-web/page  the converter page (static files; the package is in its tirmok/ folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-web}
jobs=${JOBS:-2}
# Debian's emscripten runs its JavaScript optimiser with the system's Node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The top-level project asks for a shared library, which emscripten builds as a static one; only the static one
# is used here, so that notice is not shown.
emcmake cmake -S "$root/js/wasm" -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
cmake --build "$out/wasm" -j "$jobs"

rm -rf "$out/js" "$out/page"
mkdir -p "$out/js" "$out/page/tirmok"
cp "$root/js/package.json" "$root/js/index.js" "$root/js/index.d.ts" "$root/js/README.md" "$out/js/"
cp "$out/wasm/tirmok_core.mjs" "$out/wasm/tirmok_core.wasm" "$out/js/"
cp "$root"/web/* "$out/page/"
cp "$out/js/index.js" "$out/js/tirmok_core.mjs" "$out/js/tirmok_core.wasm" "$out/page/tirmok/"
