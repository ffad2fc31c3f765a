// `make bench-js`: the npm package's speed against the native library on the same text, the .wasm size, and
// (with a browser) how long the page takes to convert a 1 MB paste.
//   node js/bench/bench.mjs PACKAGE_DIR NATIVE_BENCH TEXT_FILE [PAGE_DIR]
import { execFileSync } from 'node:child_process';
import { readFileSync, statSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [packageDir, nativeBench, textFile, pageDir] = process.argv.slice(2);
const tirmok = await import(pathToFileURL(resolve(packageDir, 'index.js')));
const text = readFileSync(textFile, 'utf8');
const bytes = Buffer.byteLength(text);
const targets = ['TELTRANS', 'ISO15919_UTF_8'];

const native = new Map(
  execFileSync(nativeBench, [textFile, ...targets], { encoding: 'utf8' })
    .trim()
    .split('\n')
    .map((line) => JSON.parse(line))
    .map((r) => [r.to, r]),
);

const mb = (n, seconds) => (n / 1e6 / seconds).toFixed(1);
console.log(`text: ${textFile}, ${bytes} bytes of UTF-8`);
let met = true;
for (const to of targets) {
  let best = Infinity;
  for (let round = 0; round < 40; round++) {
    const start = process.hrtime.bigint();
    tirmok.convert(text, 'UTF-8', to);
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
  }
  const n = native.get(to);
  const ratio = n.seconds / best;
  met &&= ratio >= 1 / 3;
  console.log(
    `UTF-8 -> ${to}: Node ${mb(bytes, best)} MB/s (${(best * 1e3).toFixed(2)} ms), native ${mb(bytes, n.seconds)} MB/s ` +
      `(${(n.seconds * 1e3).toFixed(2)} ms): ${(ratio * 100).toFixed(0)} % of native (target >= 33 %): ${ratio >= 1 / 3 ? 'met' : 'NOT met'}`,
  );
}
const wasm = readFileSync(join(packageDir, 'tirmok_core.wasm'));
console.log(`tirmok_core.wasm: ${wasm.length} bytes, ${gzipSync(wasm, { level: 9 }).length} gzipped (aim < 1 MB): ` +
  `${wasm.length < 1e6 ? 'met' : 'NOT met'}`);
console.log(`tirmok_core.mjs: ${statSync(join(packageDir, 'tirmok_core.mjs')).size} bytes, index.js: ` +
  `${statSync(join(packageDir, 'index.js')).size} bytes`);

if (pageDir) {
  const { measurePaste } = await import('../test/browser.mjs');
  const ms = await measurePaste(pageDir, text);
  const ok = ms.every((m) => m.ms < 100);
  met &&= ok;
  for (const m of ms) {
    console.log(`page: 1 MB paste (${m.characters} characters, ${m.bytes} bytes of UTF-8) to ${m.to}: ` +
      `${m.ms.toFixed(1)} ms (target < 100 ms): ${m.ms < 100 ? 'met' : 'NOT met'}`);
  }
}
process.exitCode = met ? 0 : 1;
