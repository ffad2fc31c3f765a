// Types of the npm package `tirmok`.

/** A format name; the library reads names in any case. */
export type FormatName =
  | 'TELTRANS' | 'LPXCODE' | 'LPXKBD' | 'INSCRIPT' | 'ANSI' | 'UNICODE' | 'UTF-8' | 'COLLCODE'
  | 'ISO15919_ANSI' | 'ISO15919' | 'ISO15919_UTF_8' | 'BRAILLE'
  | 'BRAILLE_UNICODE';

/** The formats whose text is bytes: Uint8Array in and out. */
export type ByteFormatName = 'ANSI' | 'ISO15919_ANSI' | 'LPXCODE';

export interface FormatInfo {
  readonly name: FormatName;
  /** Bytes per unit in the library: 2 for UNICODE, COLLCODE and ISO15919, 1 for the others. */
  readonly units: 1 | 2;
  readonly input: boolean;
  readonly output: boolean;
  readonly comparable: boolean;
  /** True for ANSI, ISO15919_ANSI and LPXCODE, whose text is a Uint8Array. */
  readonly bytes: boolean;
  /** How JavaScript holds the text: UTF-16 string, UTF-8 text as a string, 8-bit string (characters up to U+00FF), or bytes. */
  readonly text: 'utf16' | 'utf8' | 'latin1' | 'bytes';
}

export const formats: readonly FormatInfo[];

/** Converter options, for one call: Braille indicators ("TRUE" or true) and the INSCRIPT layout variant. */
export interface Properties {
  LPX_KEY_NEMETH?: string | boolean;
  LPX_KEY_SUBSCRIPT?: string | boolean;
  LPX_KEY_SUPERSCRIPT?: string | boolean;
  LPX_KEY_LANGUAGE?: string;
  nemeth?: string | boolean;
  subscript?: string | boolean;
  superscript?: string | boolean;
  /** INSCRIPT layout variant: BENGALI, ASSAMESE or MARATHI. */
  language?: string;
  [key: string]: string | boolean | undefined;
}

export interface ConvertOptions {
  properties?: Properties;
}

/**
 * Converts the whole text and returns the whole result. Throws RangeError for an unknown format, a direction the
 * format lacks, a character an 8-bit text format has no byte for, or out of memory; TypeError for a wrong type.
 */
export function convert(text: Uint8Array, from: ByteFormatName, to: ByteFormatName, options?: ConvertOptions): Uint8Array;
export function convert(text: Uint8Array, from: ByteFormatName, to: FormatName, options?: ConvertOptions): string;
export function convert(text: string, from: FormatName, to: ByteFormatName, options?: ConvertOptions): Uint8Array;
export function convert(text: string, from: FormatName, to: FormatName, options?: ConvertOptions): string;
export function convert(text: string | Uint8Array, from: string, to: string, options?: ConvertOptions): string | Uint8Array;

/** Telugu dictionary order: -1, 0 or 1. `format` defaults to UTF-8; `formatB` (the second's format) to `format`. */
export function compare(a: string | Uint8Array, b: string | Uint8Array, format?: string, formatB?: string): -1 | 0 | 1;

/** A key whose byte order (compareKeys) is the order of compare. */
export function sortKey(text: string | Uint8Array, format?: string): Uint8Array;

/** Byte order of two sort keys: negative, 0 or positive. */
export function compareKeys(a: Uint8Array, b: Uint8Array): number;

/** English weekday and month names and AM/PM replaced by Telugu words (TELTRANS transliteration). */
export function dateToTelugu(phrase: string): string;

/** Telugu date words (TELTRANS transliteration) replaced by English names. */
export function dateToEnglish(phrase: string): string;

/** North American ASCII Braille as Unicode Braille cells (U+2800 block); other characters unchanged. */
export function brailleCells(ascii: string): string;
