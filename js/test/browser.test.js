// The converter page in a real browser: typing, pasting, a legacy-font file through the worker and its download,
// sorting, Braille cells and date words, each checked against the native tool. Leaves a screenshot for review in
// TIRMOK_TEST_OUTPUT (default build-web/test-output).
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { after, before, test } from 'node:test';

import { launch, openPage, paste, serve } from './browser.mjs';
import { root, runTool, tirmok } from './native.mjs';

const pageDir = resolve(process.env.TIRMOK_PAGE ?? resolve(root, 'build-web/page'));
const outputDir = resolve(process.env.TIRMOK_TEST_OUTPUT ?? resolve(root, 'build-web/test-output'));
const sampleBytes = readFileSync(resolve(root, 'tests/data/te_words_sample.txt'));
const words = sampleBytes.toString('utf8').split('\n').filter((w) => w !== '' && !w.startsWith('#'));

let server;
let chromium;
let page;
let requests;
let problems;

before(async () => {
  server = await serve(pageDir);
  chromium = await launch();
  ({ page, requests, problems } = await openPage(chromium.browser, server.origin));
});

after(async () => {
  await chromium?.close();
  server?.close();
});

const value = (selector) => page.$eval(selector, (e) => e.value);
const text = (selector) => page.$eval(selector, (e) => e.textContent);

test('phonetic typing mode: keys become Telugu as typed, Backspace takes back one key', async () => {
  await page.select('#from', 'LPXKBD');
  await page.select('#to', 'ISO15919_UTF_8');
  await page.click('#source');
  await page.keyboard.type('kRXfNa');
  assert.equal(await value('#source'), 'కృష్ణ');
  assert.equal(await value('#result'), tirmok.convert('kRXfNa', 'LPXKBD', 'ISO15919_UTF_8'));
  assert.equal(await text('#keys'), 'kRXfNa');
  // Only what belongs to the chosen formats is shown.
  const shown = (selector) => page.$eval(selector, (e) => getComputedStyle(e).display !== 'none');
  assert.deepEqual(
    [await shown('#typing-option'), await shown('#keystrokes'), await shown('#braille-options'), await shown('#cells-pane')],
    [true, true, false, false],
  );
  await page.keyboard.press('Backspace');
  assert.equal(await value('#source'), tirmok.convert('kRXfN', 'LPXKBD', 'UTF-8'));
  await page.keyboard.type('a');
  assert.equal(await value('#source'), 'కృష్ణ');
  // Select all and delete starts again; so does the Clear button.
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('Control');
  await page.keyboard.press('Backspace');
  assert.equal(await text('#keys'), '');
  await page.keyboard.type('telugu');
  assert.equal(await value('#source'), 'తెలుగు');
  await page.click('#clear');
  assert.deepEqual([await value('#source'), await text('#keys'), await value('#result')], ['', '', '']);
  assert.equal(await text('#convert-error'), '');
});

test('pasted Telugu becomes ISO 15919 as the native tool writes it', async () => {
  await page.select('#from', 'UTF-8');
  await page.select('#to', 'ISO15919_UTF_8');
  const pasted = words.slice(0, 40).join('\n');
  await paste(page, '#source', pasted);
  const expected = Buffer.from(runTool(['convert', '--from', 'UTF-8', '--to', 'ISO15919_UTF_8'], Buffer.from(pasted)));
  assert.equal(await value('#result'), expected.toString('utf8'));
  assert.equal(await text('#convert-error'), '');
});

test('a legacy-font file converted in the worker downloads as the native tool converts it', async () => {
  const work = mkdtempSync(join(tmpdir(), 'tirmok-download-'));
  try {
    const ansi = runTool(['convert', '--from', 'UTF-8', '--to', 'ANSI'], sampleBytes);
    const file = join(work, 'legacy-font.txt');
    writeFileSync(file, ansi);
    const expected = runTool(['convert', '--from', 'ANSI', '--to', 'UTF-8'], Buffer.from(ansi));
    const downloads = join(work, 'downloads');
    mkdirSync(downloads);
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await page.select('#from', 'ANSI');
    await page.select('#to', 'UTF-8');
    const input = await page.$('#file');
    await input.uploadFile(file);
    await page.waitForSelector('#download:not([hidden])', { timeout: 30000 });
    assert.match(await text('#file-status'), /legacy-font\.utf-8\.txt is ready/);
    await page.click('#download');
    const saved = join(downloads, 'legacy-font.utf-8.txt');
    for (let i = 0; i < 100 && !existsSync(saved); i++) await new Promise((r) => setTimeout(r, 100));
    assert.deepEqual(readdirSync(downloads), ['legacy-font.utf-8.txt']);
    assert.ok(Buffer.from(expected).equals(readFileSync(saved)), 'downloaded UTF-8 equals the native result');
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

test('a word list sorts in dictionary order as the native tool sorts it', async () => {
  const list = words.slice(0, 300).reverse();
  await paste(page, '#sort-input', list.join('\n'));
  await page.click('#sort');
  const expected = Buffer.from(runTool(['sort'], Buffer.from(list.join('\n') + '\n'))).toString('utf8').trimEnd();
  assert.equal(await value('#sort-output'), expected);
  assert.equal(await text('#sort-status'), 'Sorted 300 words.');
});

test('Braille beside its Unicode cells, date words, and a clear message for invalid input', async (t) => {
  await page.select('#from', 'UTF-8');
  await page.select('#to', 'BRAILLE');
  await page.click('#nemeth');
  await paste(page, '#source', 'పాఠం ౧౨');
  assert.equal(await value('#result'), 'P>W; #12');
  assert.equal(await value('#cells'), '⠏⠜⠺⠰⠀⠼⠂⠆');

  await page.click('#date-input');
  await page.keyboard.type('Monday, 5 March 2010 10:30 AM');
  await page.click('#date-telugu');
  assert.equal(await value('#date-output'), 'sOmavAraM, 5 mArci 2010 10:30 pUrvAhna');
  assert.equal(await value('#date-script'), tirmok.convert('sOmavAraM, 5 mArci 2010 10:30 pUrvAhna', 'TELTRANS', 'UTF-8'));
  await page.$eval('#date-input', (e) => { e.value = 'సోమవారం'; });
  await page.click('#date-english');
  assert.equal(await value('#date-output'), 'MONDAY');

  mkdirSync(outputDir, { recursive: true });
  await page.screenshot({ path: join(outputDir, 'page.png'), fullPage: true });
  t.diagnostic(`screenshot of the page for review: ${join(outputDir, 'page.png')}`);

  await page.select('#from', 'TELTRANS');
  await paste(page, '#source', 'తెలుగు');
  assert.match(await text('#convert-error'), /^Error: TELTRANS text is 8-bit: character U\+0C24 at position 0/);
  assert.equal(await page.$eval('#source', (e) => e.getAttribute('aria-invalid')), 'true');
  assert.equal(await value('#result'), '');
});

test('opened from a file, the page says to serve it instead of staying silent', async () => {
  const local = await chromium.browser.newPage();
  try {
    await local.goto(`file://${pageDir}/index.html`);
    await local.waitForFunction(() => document.getElementById('loading').getAttribute('role') === 'alert');
    assert.match(await local.$eval('#loading', (e) => e.textContent), /only from a web server/);
  } finally {
    await local.close();
  }
});

test('the page asks nothing of any other site and reports no errors', () => {
  const foreign = requests.filter((url) => !url.startsWith(server.origin) && !url.startsWith('blob:') && !url.startsWith('data:'));
  assert.deepEqual(foreign, []);
  assert.deepEqual(problems, []);
});
