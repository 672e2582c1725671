// The web figures of the README: tick cost in the browser against native on the same script
// (the game's own --bench line), the size of build-web/ raw and gzipped, and the time from opening
// the page to the main menu in headless Chromium. Run by web/bench.sh after ./web.sh.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { States, launch, openPage, runNative, serve, site, tempDir, waitForEnd,
         waitForState } from './tests/harness.mjs';

const runs = Number(process.env.VOR_BENCH_RUNS || 3);
const ticks = 400;
const script = path.resolve('web/scripts/record.txt');
const parse = line => Object.fromEntries([...line.matchAll(/(\w+)_ms ([\d.]+)/g)].map(m => [m[1], +m[2]]));
const fmt = (v, d = 3) => v.toFixed(d);

const native = [];
for (let i = 0; i < runs; ++i) {
  const { dir, out } = runNative(path.resolve('build/vor'), path.resolve('build/data'),
                                 ['--bench', '--seed', '3', '--ticks', String(ticks), '--script', script]);
  native.push(parse(out.split('\n').find(l => l.startsWith('bench'))));
  fs.rmSync(dir, { recursive: true, force: true });
}

const server = await serve();
const web = [], toMenu = [];
for (let i = 0; i < runs; ++i) {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const start = Date.now();
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    toMenu.push((Date.now() - start) / 1000);
    await page.goto(`${server.url}?bench&seed=3&ticks=${ticks}&script=record.txt`);
    await waitForEnd(page);
    const out = await page.evaluate(() => Module.vorOutput);
    web.push(parse(out.find(l => l.startsWith('bench'))));
  } finally {
    await browser.close();
  }
}
await server.close();

const median = xs => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const pick = (list, key) => median(list.map(r => r[key]));
let raw = 0, gz = 0;
for (const f of fs.readdirSync(site)) {
  const bytes = fs.readFileSync(path.join(site, f));
  raw += bytes.length;
  gz += zlib.gzipSync(bytes, { level: 9 }).length;
}
const mb = n => fmt(n / 1e6, 2);
console.log(`Medians of ${runs} runs, ${ticks} ticks of web/scripts/record.txt, seed 3:\n`);
console.log('| | mean ms | p99 ms |\n|---|---|---|');
console.log(`| native headless | ${fmt(pick(native, 'mean'))} | ${fmt(pick(native, 'p99'))} |`);
console.log(`| headless Chromium | ${fmt(pick(web, 'mean'))} | ${fmt(pick(web, 'p99'))} |`);
console.log(`| ratio | ${fmt(pick(web, 'mean') / pick(native, 'mean'), 2)} | ${fmt(pick(web, 'p99') / pick(native, 'p99'), 2)} |`);
console.log(`\nbuild-web/: ${mb(raw)} MB raw, ${mb(gz)} MB gzipped (gzip -9 per file)`);
console.log(`Page opened to main menu: ${fmt(median(toMenu), 2)} s (runs: ${toMenu.map(t => fmt(t, 2)).join(', ')})`);
