// tirmok for JavaScript: the library's C interface, compiled to WebAssembly, behind JavaScript types.
// Importing the module loads the WebAssembly code once (top-level await); every function is synchronous after that.
import createTirmokCore from './tirmok_core.mjs';

/** The formats in the library's order, with what each can do and how JavaScript holds its text. */
export const formats = Object.freeze(
  [
    // name, units (1 or 2 bytes), input, output, comparable, JavaScript type
    ['TELTRANS', 1, true, true, true, 'latin1'],
    ['LPXCODE', 1, true, true, true, 'bytes'],
    ['LPXKBD', 1, true, false, false, 'latin1'],
    ['INSCRIPT', 1, true, false, false, 'latin1'],
    ['ANSI', 1, true, true, true, 'bytes'],
    ['UNICODE', 2, true, true, true, 'utf16'],
    ['UTF-8', 1, true, true, true, 'utf8'],
    ['COLLCODE', 2, true, true, true, 'utf16'],
    ['ISO15919_ANSI', 1, true, true, true, 'bytes'],
    ['ISO15919', 2, true, true, true, 'utf16'],
    ['ISO15919_UTF_8', 1, true, true, false, 'utf8'],
    ['BRAILLE', 1, true, true, false, 'latin1'],
    ['BRAILLE_UNICODE', 2, true, true, false, 'utf16'],
  ].map(([name, units, input, output, comparable, text]) =>
    Object.freeze({ name, units, input, output, comparable, bytes: text === 'bytes', text })),
);

const byName = new Map(formats.map((f) => [f.name, f]));

// Short names for the property keys, as the Python package accepts them.
const propertyKeys = {
  nemeth: 'LPX_KEY_NEMETH',
  subscript: 'LPX_KEY_SUBSCRIPT',
  superscript: 'LPX_KEY_SUPERSCRIPT',
  language: 'LPX_KEY_LANGUAGE',
};

const core = await createTirmokCore({
  wasmBinary: await wasmBytes(new URL('./tirmok_core.wasm', import.meta.url)),
  // The library prints only for invalid format names, which are refused here first.
  print: () => {},
  printErr: () => {},
});

// Node's fetch cannot read file: URLs, so Node reads the file; browsers and workers fetch it.
async function wasmBytes(url) {
  if (url.protocol === 'file:' && typeof process === 'object' && process.versions?.node) {
    const { readFile } = await import('node:fs/promises');
    return readFile(url);
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`tirmok: cannot load ${url}: HTTP ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

const utf8Encoder = new TextEncoder();
const utf8Decoder = new TextDecoder('utf-8');

/** The format called `name` (any case); RangeError with the library's message for an unknown name. */
function formatOf(name, role) {
  if (typeof name !== 'string') {
    throw new TypeError(`${role} format must be a string, not ${typeName(name)}`);
  }
  const format = byName.get(name.toUpperCase());
  if (format === undefined) {
    const message = role === 'input' ? 'Invalid input format.' : role === 'output' ? 'Invalid output format.'
      : 'Invalid data format.';
    throw new RangeError(`${message} '${name}' is not a format; formats: ${[...byName.keys()].join(', ')}`);
  }
  return format;
}

function typeName(value) {
  if (value === null) return 'null';
  if (typeof value === 'object') return value.constructor?.name ?? 'object';
  return typeof value;
}

function checkText(text, format) {
  if (format.bytes) {
    if (!(text instanceof Uint8Array)) {
      throw new TypeError(`${format.name} text must be a Uint8Array, not ${typeName(text)}`);
    }
  } else if (typeof text !== 'string') {
    throw new TypeError(`${format.name} text must be a string, not ${typeName(text)}`);
  }
}

// Memory of the WebAssembly module; the views are replaced when memory grows, so they are read after every call.
function heap8() {
  return core.HEAPU8;
}

function allocate(bytes) {
  const pointer = core._malloc(Math.max(bytes, 1));
  if (pointer === 0) throw new RangeError('Out of memory.');
  return pointer;
}

/** Copies `text` of `format` into module memory as the library's zero-terminated string; returns the pointer. */
function store(text, format) {
  switch (format.text) {
    case 'bytes': {
      const pointer = allocate(text.length + 1);
      const memory = heap8();
      memory.set(text, pointer);
      memory[pointer + text.length] = 0;
      return pointer;
    }
    case 'utf8': {
      const room = text.length * 3 + 1;
      const pointer = allocate(room);
      const { written } = utf8Encoder.encodeInto(text, heap8().subarray(pointer, pointer + room - 1));
      heap8()[pointer + written] = 0;
      return pointer;
    }
    case 'utf16': {
      const pointer = allocate(2 * text.length + 2);
      const units = new Uint16Array(heap8().buffer, pointer, text.length + 1);
      for (let i = 0; i < text.length; i++) units[i] = text.charCodeAt(i);
      units[text.length] = 0;
      return pointer;
    }
    default: {
      // The ASCII schemes: one byte per character, so a character beyond U+00FF has no byte.
      const pointer = allocate(text.length + 1);
      const memory = heap8();
      for (let i = 0; i < text.length; i++) {
        const c = text.charCodeAt(i);
        if (c > 0xff) {
          core._free(pointer);
          throw new RangeError(
            `${format.name} text is 8-bit: character U+${c.toString(16).toUpperCase().padStart(4, '0')} ` +
              `at position ${i} has no byte (Telugu script goes in as UTF-8 or UNICODE)`,
          );
        }
        memory[pointer + i] = c;
      }
      memory[pointer + text.length] = 0;
      return pointer;
    }
  }
}

// fromCharCode in slices keeps every unit as it is (TextDecoder would replace lone surrogates, and its
// "latin1" is windows-1252).
function unitsToString(units) {
  let result = '';
  for (let i = 0; i < units.length; i += 8192) {
    result += String.fromCharCode.apply(null, units.subarray(i, i + 8192));
  }
  return result;
}

/** The result of `length` units at `pointer`, as JavaScript holds text of `format`. */
function load(pointer, length, format) {
  switch (format.text) {
    case 'bytes':
      return heap8().slice(pointer, pointer + length);
    case 'utf8':
      return utf8Decoder.decode(heap8().subarray(pointer, pointer + length));
    case 'utf16':
      return unitsToString(new Uint16Array(heap8().buffer, pointer, length));
    default:
      return unitsToString(heap8().subarray(pointer, pointer + length));
  }
}

/** The properties as the library's null-terminated list of key and value strings in module memory. */
function storeProperties(properties, pointers) {
  if (properties === undefined || properties === null) return 0;
  if (typeof properties !== 'object') {
    throw new TypeError(`properties must be an object, not ${typeName(properties)}`);
  }
  const entries = Object.entries(properties);
  if (entries.length === 0) return 0;
  const strings = [];
  for (const [key, value] of entries) {
    if (typeof value !== 'string' && typeof value !== 'boolean') {
      throw new TypeError(`property ${key} must be a string or a boolean, not ${typeName(value)}`);
    }
    strings.push(propertyKeys[key] ?? key, value === true ? 'TRUE' : value === false ? 'FALSE' : value);
  }
  const list = allocate(4 * (strings.length + 1));
  pointers.push(list);
  strings.forEach((s, i) => {
    const bytes = utf8Encoder.encode(s);
    const pointer = allocate(bytes.length + 1);
    pointers.push(pointer);
    heap8().set(bytes, pointer);
    heap8()[pointer + bytes.length] = 0;
    new Uint32Array(heap8().buffer, list, strings.length + 1)[i] = pointer;
  });
  new Uint32Array(heap8().buffer, list, strings.length + 1)[strings.length] = 0;
  return list;
}

function withNames(names, body) {
  const pointers = names.map((name) => {
    const pointer = allocate(name.length + 1);
    utf8Encoder.encodeInto(name, heap8().subarray(pointer, pointer + name.length));
    heap8()[pointer + name.length] = 0;
    return pointer;
  });
  try {
    return body(...pointers);
  } finally {
    pointers.forEach((p) => core._free(p));
  }
}

// The library's strings end at their first zero unit; longer text is converted piece by piece between its
// zero units, which are kept, so nothing is lost.
function splitAtZeros(text, format) {
  const pieces = [];
  let start = 0;
  for (;;) {
    const zero = format.bytes ? text.indexOf(0, start) : text.indexOf('\0', start);
    if (zero < 0) break;
    pieces.push(text.subarray ? text.subarray(start, zero) : text.slice(start, zero));
    start = zero + 1;
  }
  pieces.push(start === 0 ? text : text.subarray ? text.subarray(start) : text.slice(start));
  return pieces;
}

function joinPieces(pieces, format) {
  if (pieces.length === 1) return pieces[0];
  if (!format.bytes) return pieces.join('\0');
  const total = pieces.reduce((n, p) => n + p.length, 0) + pieces.length - 1;
  const joined = new Uint8Array(total);
  let at = 0;
  for (const piece of pieces) {
    joined.set(piece, at);
    at += piece.length + 1;
  }
  return joined;
}

// What TirmokConvertStatus reports.
const DONE = 0;
const CUT = 1;
const OUT_OF_MEMORY = 2;

function convertPiece(text, from, to, fromName, toName, propertyList) {
  const input = store(text, from);
  let report = 0;
  let output = 0;
  try {
    // Status and required size, two 32-bit values.
    report = allocate(8);
    // Most text grows at most fourfold; a result that needs more is told its exact size and converted once more.
    let capacity = Math.min(4 * text.length + 64, 0x7fffffff);
    for (let attempt = 0; attempt < 2; attempt++) {
      output = allocate(capacity * to.units);
      const length = core._TirmokConvertStatus(input, fromName, output, toName, capacity, propertyList, report, report + 4);
      const [status, required] = new Int32Array(heap8().buffer, report, 2);
      if (status === DONE) return load(output, length, to);
      if (status === OUT_OF_MEMORY) throw new RangeError('Out of memory.');
      if (status !== CUT) throw new RangeError(`input too large for the library (${text.length} units)`);
      core._free(output);
      output = 0;
      capacity = required;
    }
    throw new RangeError(`${from.name} to ${to.name}: the result did not fit the size the library asked for`);
  } finally {
    core._free(input);
    if (report !== 0) core._free(report);
    if (output !== 0) core._free(output);
  }
}

/**
 * Converts `text` from format `from` to format `to` and returns the whole result.
 * Text formats are strings; ANSI, ISO15919_ANSI and LPXCODE are Uint8Array, in and out.
 * `options.properties`: LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT, LPX_KEY_SUPERSCRIPT (Braille, true or "TRUE"),
 * LPX_KEY_LANGUAGE (INSCRIPT), or their short names nemeth, subscript, superscript, language; for this call only.
 */
export function convert(text, from, to, options = {}) {
  const source = formatOf(from, 'input');
  const target = formatOf(to, 'output');
  if (!source.input) throw new RangeError(`Invalid input format. ${source.name} can only be written, not read`);
  if (!target.output) throw new RangeError(`Invalid output format. ${target.name} can only be read, not written`);
  checkText(text, source);
  if (options === null || typeof options !== 'object') {
    throw new TypeError(`options must be an object, not ${typeName(options)}`);
  }
  const pointers = [];
  try {
    const propertyList = storeProperties(options.properties, pointers);
    // A JavaScript string is UTF-16 already: the library reads and writes the UTF-8 formats by way of their
    // 16-bit forms, so well-formed text goes through those directly, saving a conversion each way.
    const reader = source.text === 'utf8' && wellFormed(text) ? byName.get(sixteenBit[source.name]) : source;
    const writer = target.text === 'utf8' ? byName.get(sixteenBit[target.name]) : target;
    const result = convertWhole(text, reader, writer, propertyList);
    // A lone surrogate, which UTF-8 has no form for, is left to the library's own UTF-8 writer.
    return writer === target || wellFormed(result) ? result : convertWhole(text, reader, target, propertyList);
  } finally {
    pointers.forEach((p) => core._free(p));
  }
}

const sixteenBit = { 'UTF-8': 'UNICODE', ISO15919_UTF_8: 'ISO15919' };

const loneSurrogate = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;

function wellFormed(text) {
  return typeof text.isWellFormed === 'function' ? text.isWellFormed() : !loneSurrogate.test(text);
}

function convertWhole(text, source, target, propertyList) {
  return withNames([source.name, target.name], (fromName, toName) => {
    const pieces = splitAtZeros(text, source).map((piece) =>
      convertPiece(piece, source, target, fromName, toName, propertyList),
    );
    return joinPieces(pieces, target);
  });
}

function comparableFormat(name) {
  const format = formatOf(name, 'data');
  if (!format.comparable) {
    const comparable = formats.filter((f) => f.comparable).map((f) => f.name);
    throw new RangeError(`Invalid data format. ${format.name} cannot be compared; formats: ${comparable.join(', ')}`);
  }
  return format;
}

// Comparison and sort keys read up to the first zero unit, as the library does.
function upToZero(text, format) {
  const zero = format.bytes ? text.indexOf(0) : text.indexOf('\0');
  return zero < 0 ? text : format.bytes ? text.subarray(0, zero) : text.slice(0, zero);
}

/**
 * Telugu dictionary order of `a` and `b`: -1, 0 or 1. Both are of `format` unless `formatB` names the second's
 * (so `words.sort(compare)` sorts UTF-8 text).
 */
export function compare(a, b, format = 'UTF-8', formatB = format) {
  const fa = comparableFormat(format);
  const fb = comparableFormat(formatB);
  checkText(a, fa);
  checkText(b, fb);
  const pa = store(upToZero(a, fa), fa);
  let pb = 0;
  try {
    pb = store(upToZero(b, fb), fb);
    const order = withNames([fa.name, fb.name], (na, nb) => core._LpxCompare(pa, na, pb, nb));
    // The library answers 0 also when it runs out of memory; equal sort keys tell the two apart.
    if (order === 0 && !equalKeys(sortKey(a, fa.name), sortKey(b, fb.name))) throw new RangeError('Out of memory.');
    return order;
  } finally {
    core._free(pa);
    if (pb !== 0) core._free(pb);
  }
}

function equalKeys(x, y) {
  return x.length === y.length && x.every((v, i) => v === y[i]);
}

/** A Uint8Array whose byte order (shorter first on a common prefix) is the order of `compare`. */
export function sortKey(text, format = 'UTF-8') {
  const f = comparableFormat(format);
  checkText(text, f);
  const input = store(upToZero(text, f), f);
  let key = 0;
  try {
    return withNames([f.name], (name) => {
      const size = core._TirmokSortKey(input, name, 0, 0);
      if (size < 0) throw new RangeError(`cannot make a sort key for ${f.name} text`);
      key = allocate(size);
      const written = core._TirmokSortKey(input, name, key, size);
      if (written !== size) throw new RangeError('Out of memory.');
      return heap8().slice(key, key + size);
    });
  } finally {
    core._free(input);
    if (key !== 0) core._free(key);
  }
}

/** Byte order of two sort keys: negative, 0 or positive, for `keys.sort(compareKeys)`. */
export function compareKeys(x, y) {
  const n = Math.min(x.length, y.length);
  for (let i = 0; i < n; i++) if (x[i] !== y[i]) return x[i] - y[i];
  return x.length - y.length;
}

function dateConvert(phrase, fromEnglish) {
  if (typeof phrase !== 'string') throw new TypeError(`phrase must be a string, not ${typeName(phrase)}`);
  const input = store(upToZero(phrase, byName.get('TELTRANS')), byName.get('TELTRANS'));
  let output = 0;
  try {
    for (let capacity = 4 * phrase.length + 64; ; capacity *= 2) {
      if (capacity > 0x7fffffff) throw new RangeError('Out of memory.');
      output = allocate(capacity);
      const length = core._LpxDateConvert(input, fromEnglish ? 1 : 0, output, capacity);
      // Telugu words are written whole or not at all: a result near the end of the room is redone with more.
      if (length + 40 < capacity) return load(output, length, byName.get('TELTRANS'));
      core._free(output);
      output = 0;
    }
  } finally {
    core._free(input);
    if (output !== 0) core._free(output);
  }
}

/** English weekday and month names and AM/PM replaced by Telugu words in the TELTRANS transliteration. */
export function dateToTelugu(phrase) {
  return dateConvert(phrase, true);
}

/** Telugu date words (TELTRANS) replaced by English names. */
export function dateToEnglish(phrase) {
  return dateConvert(phrase, false);
}

// North American ASCII Braille: the character for each six-dot cell, in the order of the Unicode Braille block
// (U+2800 + dots as bits, dot 1 = bit 0 ... dot 6 = bit 5).
const asciiBrailleCells = ' A1B\'K2L@CIF/MSP"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)=';

/** ASCII Braille as Unicode Braille cells (U+2800 block); characters that are not cells stay as they are. */
export function brailleCells(ascii) {
  if (typeof ascii !== 'string') throw new TypeError(`ASCII Braille must be a string, not ${typeName(ascii)}`);
  let cells = '';
  for (const ch of ascii) {
    const c = ch.charCodeAt(0);
    // Lower-case letters and ` { | } ~ are the same cells as their upper-case partners @ A-Z [ \ ] ^.
    const index = c >= 0x20 && c < 0x80 ? asciiBrailleCells.indexOf(String.fromCharCode(c >= 0x60 ? c - 0x20 : c)) : -1;
    cells += index >= 0 && c !== 0x7f ? String.fromCharCode(0x2800 + index) : ch;
  }
  return cells;
}
