// How the page and its worker hold the text of each format: text areas show glyph bytes (ANSI, ISO15919_ANSI,
// LPXCODE) as Windows-1252 characters, the code page the legacy fonts were made for; files are bytes.
import { formats } from './tirmok/index.js';

export const formatInfo = new Map(formats.map((f) => [f.name, f]));

// Windows-1252 characters of the bytes 0x80 to 0x9F; the five bytes it leaves undefined keep their C1 control.
const cp1252High = '€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ';
const cp1252Bytes = new Map([...cp1252High].map((ch, i) => [ch, 0x80 + i]));

export function bytesToCp1252(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192) {
    const slice = bytes.subarray(i, i + 8192);
    text += String.fromCharCode.apply(null, slice).replace(/[\x80-\x9f]/g, (c) => cp1252High[c.charCodeAt(0) - 0x80]);
  }
  return text;
}

export function cp1252ToBytes(text, name) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) {
    const c = text.charCodeAt(i);
    const b = c < 0x80 || (c >= 0xa0 && c <= 0xff) ? c : cp1252Bytes.get(text[i]);
    if (b === undefined) {
      throw new RangeError(`${name} text is glyph bytes: “${text[i]}” (U+${c.toString(16).toUpperCase().padStart(4, '0')}) ` +
        `at position ${i} is not one of them`);
    }
    bytes[i] = b;
  }
  return bytes;
}

/** The text of a text area as the package takes text of `name`. */
export function fromTextArea(text, name) {
  return formatInfo.get(name).bytes ? cp1252ToBytes(text, name) : text;
}

/** A result of the package as a text area shows it. */
export function toTextArea(value, name) {
  return formatInfo.get(name).bytes ? bytesToCp1252(value) : value;
}

const utf8 = new TextDecoder('utf-8');
const utf8Encoder = new TextEncoder();

/** File bytes as the package takes text of `name` (16-bit formats are UTF-8 in files, as for the command-line tool). */
export function fromFileBytes(bytes, name) {
  const f = formatInfo.get(name);
  if (f.bytes) return bytes;
  if (f.text === 'latin1') {
    let text = '';
    for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return text;
  }
  return utf8.decode(bytes);
}

/** A result of the package as file bytes. */
export function toFileBytes(value, name) {
  const f = formatInfo.get(name);
  if (f.bytes) return value;
  if (f.text === 'latin1') return Uint8Array.from(value, (ch) => ch.charCodeAt(0));
  return utf8Encoder.encode(value);
}
