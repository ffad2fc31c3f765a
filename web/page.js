// The converter page: live conversion, typing mode, files in a worker, sorting, date words.
import * as tirmok from './tirmok/index.js';
import { formatInfo, fromTextArea, toTextArea } from './text.js';

const $ = (id) => document.getElementById(id);
const typingFormats = new Set(['LPXKBD', 'INSCRIPT']);

const help = {
  'UTF-8': 'Telugu script, as any Unicode text.',
  UNICODE: 'Telugu script, as any Unicode text.',
  TELTRANS: 'ASCII transliteration, case-sensitive: telugu, sOmavAraM.',
  LPXKBD: 'Keys of the phonetic keyboard scheme: kRXfNa is కృష్ణ.',
  INSCRIPT: 'Keys of the INSCRIPT layout on a US keyboard: lzngig is తెలుగు.',
  ANSI: 'Glyph text of a legacy Telugu font, as the characters of Windows-1252.',
  ISO15919: 'ISO 15919 romanisation: kr̥ṣṇa.',
  ISO15919_UTF_8: 'ISO 15919 romanisation: kr̥ṣṇa.',
  ISO15919_ANSI: 'ISO 15919 in an 8-bit font layout, as the characters of Windows-1252.',
  COLLCODE: 'Collation code: private-use characters that sort in dictionary order.',
  LPXCODE: 'The internal code, as the characters of Windows-1252.',
};

function fillSelect(select, names, selected) {
  for (const name of names) select.add(new Option(name, name, false, name === selected));
}

function showError(id, error) {
  $(id).textContent = error ? `Error: ${error.message ?? error}` : '';
}

// ---- Convert text ----------------------------------------------------------------------------------------------

const source = $('source');
const result = $('result');
const cells = $('cells');
// In typing mode the text area shows Telugu and the keys typed are kept here; Backspace takes back one key.
let keys = '';

function typingMode() {
  return typingFormats.has($('from').value) && $('typing').checked;
}

function properties() {
  const props = {};
  if ($('to').value === 'BRAILLE') {
    for (const key of ['nemeth', 'subscript', 'superscript']) if ($(key).checked) props[key] = true;
  }
  if ($('from').value === 'INSCRIPT' && $('language').value) props.language = $('language').value;
  return props;
}

function sourceText() {
  return typingMode() ? keys : source.value;
}

function convertNow() {
  const from = $('from').value;
  const to = $('to').value;
  const start = performance.now();
  try {
    const text = sourceText();
    if (typingMode()) {
      source.value = tirmok.convert(keys, from, 'UTF-8', { properties: properties() });
      $('keys').textContent = keys;
    }
    const converted = toTextArea(tirmok.convert(fromTextArea(text, from), from, to, { properties: properties() }), to);
    result.value = converted;
    cells.value = to === 'BRAILLE' ? tirmok.brailleCells(converted) : '';
    const ms = performance.now() - start;
    const status = $('convert-status');
    status.dataset.ms = ms.toFixed(2);
    status.dataset.characters = String(text.length);
    status.textContent = text.length > 0 ? `Converted ${text.length.toLocaleString('en')} characters in ${ms.toFixed(0)} ms.` : '';
    source.removeAttribute('aria-invalid');
    showError('convert-error', null);
  } catch (error) {
    result.value = '';
    cells.value = '';
    $('convert-status').textContent = '';
    source.setAttribute('aria-invalid', 'true');
    showError('convert-error', error);
  }
}

function updateControls() {
  const from = $('from').value;
  const to = $('to').value;
  const typingFormat = typingFormats.has(from);
  $('typing-option').hidden = !typingFormat;
  $('language-option').hidden = from !== 'INSCRIPT';
  $('braille-options').hidden = to !== 'BRAILLE';
  $('cells-pane').hidden = to !== 'BRAILLE';
  $('keystrokes').hidden = !typingMode();
  $('source-label').textContent = typingMode()
    ? `Type ${from} keys here: they appear as Telugu`
    : `Text to convert (${from})`;
  $('result-label').textContent = to === 'BRAILLE' ? 'Result (ASCII Braille)' : `Result (${to})`;
  $('source-help').textContent = typingMode()
    ? `${help[from]} Each key becomes Telugu as you type; Backspace removes the last key.`
    : (help[from] ?? '');
}

// Keys typed, pasted or deleted in typing mode change the list of keys; the text area is redrawn from it.
source.addEventListener('beforeinput', (event) => {
  if (!typingMode()) return;
  event.preventDefault();
  let added = '';
  switch (event.inputType) {
    case 'insertText':
    case 'insertReplacementText':
      added = event.data ?? '';
      break;
    case 'insertLineBreak':
    case 'insertParagraph':
      added = '\n';
      break;
    case 'insertFromPaste':
    case 'insertFromDrop':
      added = event.dataTransfer?.getData('text/plain') ?? event.data ?? '';
      break;
    case 'deleteContentBackward':
    case 'deleteContentForward':
    case 'deleteByCut':
      // Deleting all of the text (select all, then delete) starts again; any other deletion takes back one key.
      keys = source.selectionStart === 0 && source.selectionEnd === source.value.length && source.value !== ''
        ? '' : [...keys].slice(0, -1).join('');
      break;
    default:
      return;
  }
  const foreign = [...added].find((ch) => ch.charCodeAt(0) > 0x7e && ch !== '\n');
  if (foreign !== undefined) {
    showError('convert-error', new RangeError(`typing mode reads the keys of a US keyboard; “${foreign}” is not one`));
    return;
  }
  keys += added;
  convertNow();
  source.setSelectionRange(source.value.length, source.value.length);
});
source.addEventListener('input', () => {
  if (!typingMode()) convertNow();
});

$('clear').addEventListener('click', () => {
  keys = '';
  source.value = '';
  convertNow();
  source.focus();
});

function changeFormats() {
  const wasTyping = source.dataset.typing === 'true';
  if (wasTyping && !typingMode()) source.value = keys;
  if (!wasTyping && typingMode()) keys = source.value;
  source.dataset.typing = String(typingMode());
  updateControls();
  convertNow();
}
for (const id of ['from', 'to', 'typing', 'language', 'nemeth', 'subscript', 'superscript']) {
  $(id).addEventListener('change', changeFormats);
}

$('swap').addEventListener('click', () => {
  const from = $('from');
  const to = $('to');
  const info = (name) => formatInfo.get(name);
  if (!info(to.value).input || !info(from.value).output) {
    showError('convert-error', new RangeError(`${to.value} cannot be read or ${from.value} cannot be written, so the two cannot swap`));
    return;
  }
  const text = result.value;
  [from.value, to.value] = [to.value, from.value];
  source.dataset.typing = 'false';
  source.value = text;
  updateControls();
  convertNow();
});

// ---- Copy buttons ----------------------------------------------------------------------------------------------

for (const button of document.querySelectorAll('button[data-copy]')) {
  button.addEventListener('click', async () => {
    const field = $(button.dataset.copy);
    try {
      await navigator.clipboard.writeText(field.value);
      button.textContent = 'Copied';
    } catch {
      // Without clipboard permission, select the text so that the keyboard's copy works.
      field.focus();
      field.select();
      button.textContent = 'Selected: press Ctrl+C';
    }
    setTimeout(() => { button.textContent = button.dataset.label; }, 2000);
  });
  button.dataset.label = button.textContent;
}

// ---- Convert a file --------------------------------------------------------------------------------------------

const worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
worker.addEventListener('error', (event) => {
  $('file-progress').hidden = true;
  showError('file-error', new Error(`the file converter stopped: ${event.message ?? 'it could not be loaded'}`));
});
let job = 0;
let downloadUrl = null;

function convertFile(file) {
  const from = $('from').value;
  const to = $('to').value;
  const id = ++job;
  showError('file-error', null);
  const link = $('download');
  link.hidden = true;
  if (downloadUrl) URL.revokeObjectURL(downloadUrl);
  const progress = $('file-progress');
  progress.hidden = false;
  progress.value = 0;
  $('file-status').textContent = `Converting ${file.name} (${file.size.toLocaleString('en')} bytes) from ${from} to ${to}…`;
  const start = performance.now();
  file.arrayBuffer().then((buffer) => {
    worker.onmessage = ({ data }) => {
      if (data.id !== id) return;
      if (data.progress !== undefined) {
        progress.value = data.progress;
        return;
      }
      progress.hidden = true;
      if (data.error) {
        $('file-status').textContent = '';
        showError('file-error', new Error(`${file.name}: ${data.error}`));
        return;
      }
      const stem = file.name.replace(/\.[^.]*$/, '') || 'converted';
      downloadUrl = URL.createObjectURL(data.blob);
      link.href = downloadUrl;
      link.download = `${stem}.${to.toLowerCase()}.txt`;
      link.textContent = `Download ${link.download} (${data.blob.size.toLocaleString('en')} bytes)`;
      link.hidden = false;
      $('file-status').textContent =
        `Converted ${file.name} in ${((performance.now() - start) / 1000).toFixed(2)} s: ${link.download} is ready to download.`;
    };
    worker.postMessage({ id, buffer, from, to, properties: properties() }, [buffer]);
  }, (error) => showError('file-error', error));
}

$('file').addEventListener('change', (event) => {
  const [file] = event.target.files;
  if (file) convertFile(file);
});
const dropZone = $('drop-zone');
dropZone.addEventListener('click', () => $('file').click());
dropZone.addEventListener('keydown', (event) => {
  if (event.key === 'Enter' || event.key === ' ') {
    event.preventDefault();
    $('file').click();
  }
});
dropZone.addEventListener('dragover', (event) => {
  event.preventDefault();
  dropZone.classList.add('over');
});
dropZone.addEventListener('dragleave', () => dropZone.classList.remove('over'));
dropZone.addEventListener('drop', (event) => {
  event.preventDefault();
  dropZone.classList.remove('over');
  const [file] = event.dataTransfer.files;
  if (file) convertFile(file);
});

// ---- Sort a word list ------------------------------------------------------------------------------------------

$('sort').addEventListener('click', () => {
  const format = $('sort-format').value;
  try {
    const words = $('sort-input').value.split(/\r?\n/).filter((w) => w.trim() !== '');
    const keyed = words.map((word) => [tirmok.sortKey(fromTextArea(word, format), format), word]);
    keyed.sort((a, b) => tirmok.compareKeys(a[0], b[0]));
    $('sort-output').value = keyed.map((pair) => pair[1]).join('\n');
    $('sort-status').textContent = `Sorted ${words.length.toLocaleString('en')} words.`;
    showError('sort-error', null);
  } catch (error) {
    $('sort-output').value = '';
    $('sort-status').textContent = '';
    showError('sort-error', error);
  }
});

// ---- Date words ------------------------------------------------------------------------------------------------

function dateWords(toTelugu) {
  try {
    let phrase = $('date-input').value;
    // Telugu script is read through the transliteration, in which the date words are written.
    if (!toTelugu && /[^\x00-\xff]/.test(phrase)) phrase = tirmok.convert(phrase, 'UTF-8', 'TELTRANS');
    const words = toTelugu ? tirmok.dateToTelugu(phrase) : tirmok.dateToEnglish(phrase);
    $('date-output').value = words;
    $('date-script').value = toTelugu ? tirmok.convert(words, 'TELTRANS', 'UTF-8') : '';
    showError('date-error', null);
  } catch (error) {
    $('date-output').value = '';
    $('date-script').value = '';
    showError('date-error', error);
  }
}
$('date-telugu').addEventListener('click', () => dateWords(true));
$('date-english').addEventListener('click', () => dateWords(false));

// ---- Start -----------------------------------------------------------------------------------------------------

fillSelect($('from'), tirmok.formats.filter((f) => f.input).map((f) => f.name), 'UTF-8');
fillSelect($('to'), tirmok.formats.filter((f) => f.output).map((f) => f.name), 'ISO15919_UTF_8');
fillSelect($('sort-format'), tirmok.formats.filter((f) => f.comparable).map((f) => f.name), 'UTF-8');
source.dataset.typing = 'false';
updateControls();
$('loading').textContent = '';
document.body.dataset.ready = 'true';
