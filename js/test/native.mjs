// The native command-line tool, to give the expected results of the tests: TIRMOK_TOOL (default build/tirmok).
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { dirname, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const tool = resolve(process.env.TIRMOK_TOOL ?? resolve(root, 'build/tirmok'));
export const packageDir = resolve(process.env.TIRMOK_PACKAGE ?? resolve(root, 'build-web/js'));
if (!existsSync(tool)) throw new Error(`native tool ${tool} not found: run make build or set TIRMOK_TOOL`);
if (!existsSync(resolve(packageDir, 'tirmok_core.wasm'))) {
  throw new Error(`package ${packageDir} not built: run make web or set TIRMOK_PACKAGE`);
}

export const tirmok = await import(pathToFileURL(resolve(packageDir, 'index.js')));

/** Runs the tool with `input` on standard input; its standard output as bytes. */
export function runTool(args, input = Buffer.alloc(0)) {
  return new Uint8Array(execFileSync(tool, args, { input, maxBuffer: 1 << 28 }));
}

/** The tool's bytes for a text of `format` as the package holds it (16-bit formats go through the tool as UTF-8). */
export function fromToolBytes(bytes, format) {
  const f = tirmok.formats.find((x) => x.name === format);
  if (f.bytes) return bytes;
  if (f.text === 'latin1') return String.fromCharCode(...bytes);
  return Buffer.from(bytes).toString('utf8');
}

export function toToolBytes(text, format) {
  const f = tirmok.formats.find((x) => x.name === format);
  if (f.bytes) return Buffer.from(text);
  if (f.text === 'latin1') return Buffer.from(text, 'latin1');
  return Buffer.from(text, 'utf8');
}
