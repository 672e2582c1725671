// What the browser tests and the benchmark share: the site served on 127.0.0.1 from this process,
// Debian's Chromium driven headless through puppeteer-core, the game's state read from the page,
// native headless runs of the same build and a PNG reader for comparing frames.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import zlib from 'node:zlib';

// puppeteer-core lives in the build tree (web/tests/run.sh installs it), not beside the sources.
const require = createRequire(path.resolve(process.env.VOR_NODE_MODULES || 'build-emcc/npm/node_modules') + '/');
const puppeteer = require('puppeteer-core');

export const site = path.resolve(process.env.VOR_WEB_SITE || 'build-web');
// The game's states by name, read from the game's own header: "gsMainMenu = 2," is States.MainMenu.
export const States = (() => {
  const header = fs.readFileSync(new URL('../../src/game/GameUnit.h', import.meta.url), 'utf8');
  const body = header.match(/enum TGameState[^{]*\{([^}]*)\}/);
  if (!body) throw new Error('src/game/GameUnit.h declares no enum TGameState');
  const states = {};
  for (const [, name, value] of body[1].matchAll(/\bgs(\w+)\s*=\s*(\d+)/g)) states[name] = Number(value);
  for (const name of ['MainMenu', 'Playing', 'EnterName', 'Records', 'GameMenu', 'Win', 'GameOver'])
    if (!(name in states)) throw new Error(`src/game/GameUnit.h names no state gs${name}`);
  return Object.freeze(states);
})();

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream', '.webmanifest': 'application/manifest+json',
                '.png': 'image/png' };

// Serves the site on a free port of 127.0.0.1 as web/serve.py does (a .br or .gz copy where the
// browser accepts it), on a free port unless one is given; resolves to { url, close }. close also
// drops the open connections.
export function serve(root = site, port = 0) {
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404).end();
      return;
    }
    const accepted = String(req.headers['accept-encoding'] || '').split(',').map(e => e.split(';')[0].trim());
    const copy = [['br', '.br'], ['gzip', '.gz']].find(([e, suffix]) =>
      accepted.includes(e) && fs.existsSync(file + suffix));
    const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                      'Cache-Control': 'no-cache', 'Vary': 'Accept-Encoding' };
    if (copy) headers['Content-Encoding'] = copy[0];
    res.writeHead(200, headers);
    fs.createReadStream(copy ? file + copy[1] : file).pipe(res);
  });
  return new Promise(resolve => server.listen(port, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise(r => {
      server.close(r);
      server.closeAllConnections();
    }),
  })));
}

// Headless Chromium with its own profile folder (kept across launches when one is given).
export async function launch(profile) {
  return puppeteer.launch({
    executablePath: process.env.VOR_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--autoplay-policy=no-user-gesture-required',
           '--window-size=1024,768'],
  });
}

export function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A page whose uncaught exceptions and console errors are collected in page.problems.
export async function openPage(browser, url) {
  const page = await browser.newPage();
  page.problems = [];
  page.on('pageerror', e => page.problems.push('exception: ' + e.message));
  page.on('console', m => { if (m.type() === 'error') page.problems.push('console: ' + m.text()); });
  await page.goto(url);
  return page;
}

// The game's state dump, or null while no game runs.
export async function state(page) {
  const text = await page.evaluate(() =>
    typeof Module !== 'undefined' && Module.calledRun ? UTF8ToString(Module._vor_state_json()) : '');
  return text ? JSON.parse(text) : null;
}

export async function waitForState(page, wanted, timeoutMs = 30000) {
  const end = Date.now() + timeoutMs;
  let last = null;
  while (Date.now() < end) {
    last = await state(page);
    if (last && last.State === wanted) return last;
    await new Promise(r => setTimeout(r, 20));
  }
  throw new Error(`state ${wanted} not reached; last ${last && last.State}; ${page.problems.join('; ')}`);
}

export async function waitForTick(page, tick, timeoutMs = 30000) {
  const end = Date.now() + timeoutMs;
  while ((await state(page)).Tick < tick) {
    if (Date.now() > end) throw new Error(`tick ${tick} not reached`);
    await new Promise(r => setTimeout(r, 20));
  }
}

// A key held until the game has run two ticks with it down, and released for two more: the game
// reads the keys' state once a tick, so a shorter press could fall between two reads.
export async function pressKey(page, key) {
  const ticks = async n => {
    const start = (await state(page)).Tick;
    while ((await state(page)).Tick < start + n) await new Promise(r => setTimeout(r, 5));
  };
  await page.keyboard.down(key);
  await ticks(2);
  await page.keyboard.up(key);
  await ticks(2);
}

export async function readGameFile(page, name) {
  const bytes = await page.evaluate(n => {
    try { return Array.from(FS.readFile(n)); } catch (e) { return null; }
  }, name);
  return bytes && Buffer.from(bytes);
}

export async function waitForEnd(page, timeoutMs = 60000) {
  await page.waitForFunction(() => window.vorEndStatus !== undefined, { timeout: timeoutMs });
  return page.evaluate(() => window.vorEndStatus);
}

// Runs the native game headless in a folder of links to its data; returns that folder.
export function runNative(vor, data, args) {
  const dir = tempDir('vor-native-');
  for (const f of fs.readdirSync(data)) fs.symlinkSync(path.join(data, f), path.join(dir, f));
  const out = execFileSync(vor, ['--headless', ...args], { cwd: dir, encoding: 'utf8',
    env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' } });
  return { dir, out };
}

// The pixels of an 8-bit RGB or RGBA PNG as { width, height, channels, pixels }.
export function readPng(bytes) {
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0)
        throw new Error('unsupported PNG');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels, pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = v & 255;
    }
  }
  return { width, height, channels, pixels };
}
