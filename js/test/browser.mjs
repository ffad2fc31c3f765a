// The converter page in Debian's chromium, headless, driven by puppeteer-core: a static server of its own on
// 127.0.0.1 and a browser with a fresh profile that talks to nothing else.
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, resolve } from 'node:path';

import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
};

/** Serves the files of `dir` on 127.0.0.1 at a free port; resolves to { origin, close }. */
export function serve(folder) {
  const dir = resolve(folder);
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const file = join(dir, path.endsWith('/') ? `${path}index.html` : path);
    if (!file.startsWith(dir) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
    response.end(readFileSync(file));
  });
  return new Promise((done) => {
    server.listen(0, '127.0.0.1', () => {
      done({ origin: `http://127.0.0.1:${server.address().port}`, close: () => server.close() });
    });
  });
}

export function chromiumPath() {
  const candidates = [process.env.CHROMIUM, '/usr/bin/chromium', '/usr/lib/chromium/chromium'].filter(Boolean);
  const found = candidates.find((p) => existsSync(p));
  if (!found) throw new Error(`chromium not found (looked at ${candidates.join(', ')}): run scripts/install-deps.sh`);
  return found;
}

/** Headless chromium with a fresh profile; resolves to { browser, close }. */
export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'tirmok-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath(),
    headless: false, // the flags below ask for headless mode themselves
    userDataDir: profile,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${profile}`,
    ],
  });
  return {
    browser,
    close: async () => {
      await browser.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

/** Opens the page and waits until its converters are loaded; every request it makes is listed in `requests`. */
export async function openPage(browser, origin) {
  const page = await browser.newPage();
  const requests = [];
  const problems = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  await page.setViewport({ width: 1200, height: 900 });
  await page.goto(`${origin}/index.html`);
  try {
    await page.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
  } catch (error) {
    throw new Error(`the page did not load: ${problems.join('; ') || error.message}`);
  }
  return { page, requests, problems };
}

/** Puts `text` into a text area as a paste does: one input event with all of it. */
export async function paste(page, selector, text) {
  await page.$eval(
    selector,
    (element, value) => {
      element.focus();
      element.select();
      document.execCommand('insertText', false, value);
    },
    text,
  );
}

/** How long the page takes to convert a paste of about 1 MB of UTF-8 text (from `text`, repeated) to each format. */
export async function measurePaste(pageDir, text) {
  let big = text;
  while (Buffer.byteLength(big) < 1e6) big += text;
  big = Buffer.from(big).subarray(0, 1e6).toString('utf8').replace(/\uFFFD$/, '');
  const server = await serve(pageDir);
  const chromium = await launch();
  try {
    const { page } = await openPage(chromium.browser, server.origin);
    const results = [];
    for (const to of ['TELTRANS', 'ISO15919_UTF_8']) {
      await page.select('#from', 'UTF-8');
      await page.select('#to', to);
      let best = Infinity;
      for (let round = 0; round < 5; round++) {
        await page.$eval('#source', (e) => { e.value = ''; });
        await paste(page, '#source', big);
        best = Math.min(best, Number(await page.$eval('#convert-status', (e) => e.dataset.ms)));
      }
      const characters = Number(await page.$eval('#convert-status', (e) => e.dataset.characters));
      results.push({ to, ms: best, characters, bytes: Buffer.byteLength(big) });
    }
    return results;
  } finally {
    await chromium.close();
    server.close();
  }
}
