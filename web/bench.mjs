// The web figures of the README: tick cost in the browser against native on the same script
// (the game's own --bench line), the size of build-web/ raw and gzipped, the bytes a first visit
// transfers from a server that sends the compressed copies, and the time from opening the page to
// the main menu in headless Chromium, on a local and on a slow connection (VOR_BENCH_SLOW bytes a
// second, 50 KB/s unless set), first and repeated. The page hands a frame to the screen when the
// browser paints, outside the tick: the cost of that is given apart. Run by web/bench.sh after
// ./web.sh.
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

// Native headless, ticks one after another and (--paced) one every 25 ms as the page plays them:
// a tick after a pause finds the caches cold.
const native = [], nativePaced = [];
for (let i = 0; i < runs; ++i) {
  for (const [into, extra] of [[native, []], [nativePaced, ['--paced']]]) {
    const { dir, out } = runNative(path.resolve('build/vor'), path.resolve('build/data'),
                                   ['--bench', ...extra, '--seed', '3', '--ticks', String(ticks), '--script', script]);
    into.push(parse(out.split('\n').find(l => l.startsWith('bench'))));
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

const server = await serve();
const web = [], webHeadless = [], toMenu = [], toMenuAgain = [], toMenuSlow = [], transferred = [];
const shownMs = [];
const slow = Number(process.env.VOR_BENCH_SLOW || 50e3);
// A first visit in a fresh profile: seconds to the main menu and bytes over the wire.
const firstVisit = async (conditions) => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await browser.newPage();
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    let bytes = 0;
    cdp.on('Network.loadingFinished', e => { bytes += e.encodedDataLength; });
    if (conditions) await page.emulateNetworkConditions(conditions);
    const start = Date.now();
    await page.goto(server.url);
    await waitForState(page, States.MainMenu, 600000);
    return { seconds: (Date.now() - start) / 1000, bytes };
  } finally {
    await browser.close();
  }
};
for (let i = 0; i < runs; ++i) {
  const fast = await firstVisit(null);
  transferred.push(fast.bytes);
  toMenuSlow.push((await firstVisit({ download: slow, upload: slow, latency: 100 })).seconds);
}
const benchPage = async (page, query, into) => {
  await page.goto(`${server.url}?bench&seed=3&ticks=${ticks}&script=record.txt${query}`);
  await waitForEnd(page);
  const { out, shown } = await page.evaluate(() => ({ out: Module.vorOutput, shown: Module.vorShown }));
  into.push(parse(out.find(l => l.startsWith('bench'))));
  if (into === web && shown && shown.frames) shownMs.push(shown.ms / shown.frames);
};
for (let i = 0; i < runs; ++i) {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const start = Date.now();
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    toMenu.push((Date.now() - start) / 1000);
    // Again in the same profile: what the browser keeps (its caches, the page's stored files).
    const again = Date.now();
    await page.reload();
    await waitForState(page, States.MainMenu);
    toMenuAgain.push((Date.now() - again) / 1000);
    await benchPage(page, '', web);
    await benchPage(page, '&headless', webHeadless);
  } finally {
    await browser.close();
  }
}
await server.close();

const median = xs => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const pick = (list, key) => median(list.map(r => r[key]));
let raw = 0, gz = 0;
for (const f of fs.readdirSync(site).filter(f => !/\.(gz|br)$/.test(f) && fs.statSync(path.join(site, f)).isFile())) {
  const bytes = fs.readFileSync(path.join(site, f));
  raw += bytes.length;
  gz += zlib.gzipSync(bytes, { level: 9 }).length;
}
const mb = n => fmt(n / 1e6, 2);
console.log(`Medians of ${runs} runs, ${ticks} ticks of web/scripts/record.txt, seed 3:\n`);
const row = (name, list) => console.log(`| ${name} | ${fmt(pick(list, 'mean'))} | ${fmt(pick(list, 'median'))} | ` +
  `${fmt(pick(list, 'p99'))} | ${fmt(pick(list, 'mean') / pick(native, 'mean'), 2)} | ` +
  `${fmt(pick(list, 'median') / pick(native, 'median'), 2)} | ${fmt(pick(list, 'median') / pick(nativePaced, 'median'), 2)} |`);
console.log('| | mean ms | median ms | p99 ms | mean / native | median / native | median / native paced |\n' +
            '|---|---|---|---|---|---|---|');
row('native headless', native);
row('native headless, a tick every 25 ms (--paced)', nativePaced);
row('headless Chromium, frames shown (?bench)', web);
row('headless Chromium, frames not shown (?bench&headless)', webHeadless);
console.log(`\nA frame handed to the screen at the browser's paint (one texture update): ` +
            `${fmt(median(shownMs))} ms (median of the runs' means)`);
console.log(`\nbuild-web/: ${mb(raw)} MB raw, ${mb(gz)} MB gzipped (gzip -9 per file)`);
console.log(`Page opened to main menu: ${fmt(median(toMenu), 2)} s (runs: ${toMenu.map(t => fmt(t, 2)).join(', ')})`);
console.log(`Page opened again to main menu: ${fmt(median(toMenuAgain), 2)} s (runs: ${toMenuAgain.map(t => fmt(t, 2)).join(', ')})`);
console.log(`Page opened to main menu at ${fmt(slow / 1e3, 0)} KB/s, 100 ms latency: ${fmt(median(toMenuSlow), 1)} s ` +
            `(runs: ${toMenuSlow.map(t => fmt(t, 1)).join(', ')})`);
console.log(`First visit transfers ${mb(median(transferred))} MB (the page's requests, compressed copies)`);
let br = 0;
for (const f of fs.readdirSync(site).filter(f => f.endsWith('.br'))) br += fs.statSync(path.join(site, f)).size;
console.log(`build-web/*.br: ${mb(br)} MB (brotli -q 11)`);
