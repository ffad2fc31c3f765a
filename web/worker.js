// Converts whole files away from the page, in pieces of whole lines, reporting progress after each piece.
import { convert } from './tirmok/index.js';
import { formatInfo, fromFileBytes, toFileBytes } from './text.js';

const pieceBytes = 1 << 20;

// Where the piece that starts at `start` ends: after its last line feed, or for one very long line at a
// character boundary of UTF-8 text.
function pieceEnd(bytes, start, from) {
  const end = Math.min(bytes.length, start + pieceBytes);
  if (end === bytes.length) return end;
  const lineFeed = bytes.lastIndexOf(0x0a, end - 1);
  if (lineFeed >= start) return lineFeed + 1;
  let cut = end;
  if (formatInfo.get(from).text === 'utf8' || formatInfo.get(from).text === 'utf16') {
    while (cut > start + 1 && (bytes[cut] & 0xc0) === 0x80) cut--;
  }
  return cut;
}

self.onmessage = ({ data }) => {
  const { id, buffer, from, to, properties } = data;
  try {
    const bytes = new Uint8Array(buffer);
    const parts = [];
    for (let start = 0; start < bytes.length; ) {
      const end = pieceEnd(bytes, start, from);
      const piece = convert(fromFileBytes(bytes.subarray(start, end), from), from, to, { properties });
      parts.push(toFileBytes(piece, to));
      start = end;
      self.postMessage({ id, progress: end / bytes.length });
    }
    const blob = new Blob(parts, { type: formatInfo.get(to).bytes ? 'application/octet-stream' : 'text/plain' });
    self.postMessage({ id, blob });
  } catch (error) {
    self.postMessage({ id, error: error.message });
  }
};
self.postMessage({ ready: true });
