// The npm package against the native library: every format pair on the word sample, sorting, comparison, date
// words, and the errors that JavaScript callers get instead of empty results.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { test } from 'node:test';

import { fromToolBytes, root, runTool, tirmok, toToolBytes } from './native.mjs';

const sampleBytes = readFileSync(resolve(root, 'tests/data/te_words_sample.txt'));
const sample = sampleBytes.toString('utf8');
const { formats } = tirmok;
const inputs = formats.filter((f) => f.input).map((f) => f.name);
const outputs = formats.filter((f) => f.output).map((f) => f.name);

// The sample in each input format as the native library writes it; the keyboard schemes have no encoder, so
// they get the transliteration's letters as keystrokes.
function nativeSample(format) {
  const as = format === 'LPXKBD' || format === 'INSCRIPT' ? 'TELTRANS' : format;
  return fromToolBytes(runTool(['convert', '--from', 'UTF-8', '--to', as], sampleBytes), format);
}

test('every format pair gives what the native library gives', () => {
  for (const from of inputs) {
    const input = nativeSample(from);
    for (const to of outputs) {
      const expected = fromToolBytes(runTool(['convert', '--from', from, '--to', to], toToolBytes(input, from)), to);
      const actual = tirmok.convert(input, from, to);
      assert.deepEqual(actual, expected, `${from} -> ${to}`);
      assert.ok(actual.length > 0, `${from} -> ${to} is not empty`);
    }
  }
});

test('properties reach the converters for this call only', () => {
  const text = 'పాఠం ౧౨\nకృష్ణ²';
  for (const [key, value] of [['LPX_KEY_NEMETH', 'TRUE'], ['LPX_KEY_SUBSCRIPT', 'TRUE'], ['LPX_KEY_SUPERSCRIPT', 'TRUE']]) {
    const expected = fromToolBytes(
      runTool(['convert', '--from', 'UTF-8', '--to', 'BRAILLE', '--set', `${key}=${value}`], Buffer.from(text)),
      'BRAILLE',
    );
    assert.equal(tirmok.convert(text, 'UTF-8', 'BRAILLE', { properties: { [key]: value } }), expected, key);
  }
  assert.equal(tirmok.convert('పాఠం ౧౨', 'UTF-8', 'BRAILLE', { properties: { nemeth: true } }), 'P>W; #12');
  assert.notEqual(tirmok.convert('పాఠం ౧౨', 'UTF-8', 'BRAILLE'), 'P>W; #12');
  const keys = 'lzngig';
  for (const language of ['BENGALI', 'MARATHI']) {
    const expected = fromToolBytes(
      runTool(['convert', '--from', 'INSCRIPT', '--to', 'UTF-8', '--set', `LPX_KEY_LANGUAGE=${language}`], Buffer.from(keys)),
      'UTF-8',
    );
    assert.equal(tirmok.convert(keys, 'INSCRIPT', 'UTF-8', { properties: { language } }), expected, language);
  }
});

test('sort keys and compare sort as the native tool does', () => {
  const words = sample.split('\n').filter((w) => w !== '' && !w.startsWith('#'));
  const expected = Buffer.from(runTool(['sort'], Buffer.from(words.join('\n') + '\n'))).toString('utf8').split('\n');
  expected.pop();
  const byKey = words.map((w) => [tirmok.sortKey(w), w]).sort((a, b) => tirmok.compareKeys(a[0], b[0])).map((p) => p[1]);
  assert.deepEqual(byKey, expected);
  assert.deepEqual([...words].sort(tirmok.compare), expected);
  // Across formats: the same words compare equal whatever their formats.
  for (const word of words.slice(0, 50)) {
    for (const format of formats.filter((f) => f.comparable).map((f) => f.name)) {
      const other = tirmok.convert(word, 'UTF-8', format);
      assert.equal(tirmok.compare(word, other, 'UTF-8', format), 0, `${word} as ${format}`);
      assert.deepEqual(tirmok.sortKey(other, format), tirmok.sortKey(word), `${word} key as ${format}`);
    }
  }
  assert.equal(tirmok.compare('ka', 'ఖ', 'TELTRANS', 'UTF-8'), -1);
  assert.equal(tirmok.compare('కలం', 'ఖగం'), -1);
  assert.equal(tirmok.compare('ఖగం', 'కలం'), 1);
});

test('date words both ways as the native tool converts them', () => {
  for (const phrase of ['Monday, 5 March 2010 10:30 AM', 'sunday december pm', 'Thursday 1 January', '']) {
    const telugu = tirmok.dateToTelugu(phrase);
    assert.equal(telugu, Buffer.from(runTool(['date'], Buffer.from(phrase + '\n'))).toString('latin1').replace(/\n$/, ''));
    assert.equal(
      tirmok.dateToEnglish(telugu),
      Buffer.from(runTool(['date', '--to-english'], Buffer.from(telugu + '\n'))).toString('latin1').replace(/\n$/, ''),
    );
  }
  assert.equal(tirmok.dateToEnglish('sOmavAraM'), 'MONDAY');
});

test('zero units are kept and long text is not cut', () => {
  assert.equal(tirmok.convert('క\0ఖ\0', 'UTF-8', 'TELTRANS'), 'ka\0Ka\0');
  assert.deepEqual(tirmok.convert(new Uint8Array([0, 0]), 'ANSI', 'LPXCODE'), new Uint8Array([0, 0]));
  // Escapes make the result six times as long as the input: more than the first guess at its size.
  assert.equal(tirmok.convert('中'.repeat(1000), 'UTF-8', 'TELTRANS'), '#4E2D;'.repeat(1000));
  const long = sample.repeat(8);
  assert.equal(tirmok.convert(long, 'UTF-8', 'ISO15919'), tirmok.convert(sample, 'UTF-8', 'ISO15919').repeat(8));
});

test('a lone surrogate stays in UTF-16 results and becomes U+FFFD in UTF-8 ones', () => {
  const text = 'క\uD800ఖ';
  assert.equal(tirmok.convert(text, 'UNICODE', 'UNICODE'), text);
  assert.equal(tirmok.convert(text, 'UNICODE', 'TELTRANS'), 'ka#D800;Ka');
  assert.equal(tirmok.convert(text, 'UNICODE', 'UTF-8'), 'క\uFFFDఖ');
  assert.equal(tirmok.convert(text, 'UNICODE', 'ISO15919_UTF_8'), 'ka\uFFFDkha');
  // UTF-8 text cannot hold one: the string's UTF-8 form has U+FFFD in its place.
  assert.equal(tirmok.convert(text, 'UTF-8', 'UNICODE'), 'క\uFFFDఖ');
});

test('Unicode Braille cells follow North American ASCII Braille', () => {
  const cells = [
    [' ', 0x2800], ['A', 0x2801], ['a', 0x2801], ['1', 0x2802], ['B', 0x2803], ['C', 0x2809], ['L', 0x2807],
    ['#', 0x283c], ['=', 0x283f], ['>', 0x281c], [';', 0x2830], ['W', 0x283a], ['@', 0x2808], ['`', 0x2808],
    ['_', 0x2838], ['{', 0x282a], ['~', 0x2818],
  ];
  for (const [ascii, cell] of cells) assert.equal(tirmok.brailleCells(ascii), String.fromCharCode(cell), ascii);
  assert.equal(tirmok.brailleCells('P>W; #12\n'), '⠏⠜⠺⠰⠀⠼⠂⠆\n');
  // Both Braille forms are read back, and carried into each other cell for cell.
  assert.equal(tirmok.convert('P>W; #AB', 'BRAILLE', 'UTF-8'), 'పాఠం ౧౨');
  assert.equal(tirmok.convert('P>W; #12\n', 'BRAILLE', 'BRAILLE_UNICODE'), '⠏⠜⠺⠰⠀⠼⠂⠆\n');
  assert.equal(tirmok.convert('⠏⠜⠺⠰⠀⠼⠂⠆', 'BRAILLE_UNICODE', 'BRAILLE'), 'P>W; #12');
});

test('errors are exceptions with the reason, never empty results', () => {
  const cases = [
    [() => tirmok.convert('x', 'XYZ', 'UTF-8'), RangeError, /Invalid input format/],
    [() => tirmok.convert('x', 'UTF-8', 'XYZ'), RangeError, /Invalid output format/],
    [() => tirmok.convert('x', 'UTF-8', 'LPXKBD'), RangeError, /LPXKBD can only be read/],
    [() => tirmok.convert('x', 'UTF-8', 'INSCRIPT'), RangeError, /INSCRIPT can only be read/],
    [() => tirmok.convert('x', 5, 'UTF-8'), TypeError, /format must be a string/],
    [() => tirmok.convert('abc', 'ANSI', 'UTF-8'), TypeError, /ANSI text must be a Uint8Array/],
    [() => tirmok.convert(new Uint8Array(2), 'UTF-8', 'ANSI'), TypeError, /UTF-8 text must be a string/],
    [() => tirmok.convert(null, 'UTF-8', 'ANSI'), TypeError, /not null/],
    [() => tirmok.convert('కలం', 'TELTRANS', 'UTF-8'), RangeError, /U\+0C15 at position 0/],
    [() => tirmok.convert('x', 'UTF-8', 'BRAILLE', { properties: { nemeth: 1 } }), TypeError, /nemeth/],
    [() => tirmok.convert('x', 'UTF-8', 'BRAILLE', { properties: 'nemeth' }), TypeError, /properties/],
    [() => tirmok.convert('x', 'UTF-8', 'BRAILLE', null), TypeError, /options/],
    [() => tirmok.compare('a', 'b', 'LPXKBD'), RangeError, /Invalid data format. LPXKBD cannot be compared/],
    [() => tirmok.compare('a', 'b', 'UTF-8', 'ISO15919_UTF_8'), RangeError, /ISO15919_UTF_8 cannot be compared/],
    [() => tirmok.compare('a', 'b', 'nonsense'), RangeError, /Invalid data format/],
    [() => tirmok.sortKey('a', 'BRAILLE'), RangeError, /cannot be compared/],
    [() => tirmok.sortKey(7), TypeError, /UTF-8 text must be a string/],
    [() => tirmok.dateToTelugu(undefined), TypeError, /phrase/],
    [() => tirmok.dateToEnglish('సోమవారం'), RangeError, /U\+0C38/],
    [() => tirmok.brailleCells(1), TypeError, /ASCII Braille/],
  ];
  for (const [call, type, message] of cases) assert.throws(call, (e) => e instanceof type && message.test(e.message));
  // Out of memory is an exception too, and the module goes on converting afterwards.
  assert.throws(() => tirmok.convert('a'.repeat(40e6), 'UTF-8', 'TELTRANS'), (e) => e instanceof RangeError && /Out of memory/.test(e.message));
  assert.equal(tirmok.convert('కృష్ణ', 'UTF-8', 'ISO15919_UTF_8'), 'kr̥ṣṇa');
  // Format names are read in any case, as the library reads them.
  assert.equal(tirmok.convert('telugu', 'teltrans', 'utf-8'), 'తెలుగు');
});
