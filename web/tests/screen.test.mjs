// The page on phones, tablets and desktops: the canvas at device pixels, the upright layout,
// sharp pixels on a fractional fit, a hidden tab, the loading bar on a slow connection.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { States, launch, openPage, pressKey, readGameFile, readPng, serve, state, tempDir,
         waitForEnd, waitForState, waitForTick } from './harness.mjs';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

const inside = (box, view) => box && box.x >= 0 && box.y >= 0 && box.x + box.width <= view.width + 0.5 &&
  box.y + box.height <= view.height + 0.5;

test('the canvas has the device\'s pixels, and upright nothing is cut off', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    for (const view of [{ width: 844, height: 390 }, { width: 390, height: 844 }]) {
      const page = await browser.newPage();
      page.problems = [];
      page.on('pageerror', e => page.problems.push('exception: ' + e.message));
      await page.setViewport({ ...view, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
      await page.goto(server.url);
      await waitForState(page, States.MainMenu);
      // The backing store follows the CSS size as soon as the game has sized it.
      await page.waitForFunction(() => {
        const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
        return Math.abs(c.width - r.width * 3) <= 1 && Math.abs(c.height - r.height * 3) <= 1;
      }, { timeout: 5000 }).catch(() => {});
      const look = await page.evaluate(() => {
        const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
        const box = id => {
          const b = document.getElementById(id).getBoundingClientRect();
          return getComputedStyle(document.getElementById(id)).display === 'none' ? null
            : { x: b.x, y: b.y, width: b.width, height: b.height };
        };
        return { ratio: devicePixelRatio, backing: [c.width, c.height], css: [r.width, r.height],
                 top: r.top, help: box('help'), full: box('full'), turn: box('turn'),
                 controls: box('controls') };
      });
      const what = `${view.width} x ${view.height}: ${JSON.stringify(look)}`;
      assert.equal(look.ratio, 3, what);
      assert.ok(Math.abs(look.backing[0] - look.css[0] * 3) <= 1 && Math.abs(look.backing[1] - look.css[1] * 3) <= 1,
                what);
      assert.ok(inside(look.help, view) && inside(look.full, view), what);
      assert.ok(look.controls, what);
      if (view.height > view.width) {
        // The frame fills the width; help and a hint to turn the phone below it.
        assert.equal(look.css[0], view.width, what);
        assert.ok(Math.abs(look.css[1] - view.width * 0.75) <= 1, what);
        assert.ok(look.help.y >= look.top + look.css[1] - 1, what);
        assert.ok(inside(look.turn, view), what);
      } else {
        assert.equal(look.turn, null, what);
      }
      // The game goes on at this size.
      await pressKey(page, 'Enter');
      await waitForState(page, States.Playing, 5000);
      assert.deepEqual(page.problems, [], what);
      await page.close();
    }
  } finally {
    await browser.close();
  }
});

// Hides the tab or shows it again as a browser does when another tab comes to the front.
async function setHidden(page, hidden) {
  await page.evaluate(h => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => h ? 'hidden' : 'visible' });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}
const pause = ms => new Promise(r => setTimeout(r, ms));

test('a hidden tab does not tick; shown again during a level it opens the game\'s menu', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    // In the main menu the game only stops: shown again it is still there (Escape there would end it).
    await waitForState(page, States.MainMenu);
    await setHidden(page, true);
    const menuTick = (await state(page)).Tick;
    await pause(1000);
    assert.ok((await state(page)).Tick <= menuTick + 1, 'the main menu ticked while hidden');
    await setHidden(page, false);
    await waitForTick(page, menuTick + 20);
    assert.equal((await state(page)).State, States.MainMenu);

    await pressKey(page, 'Enter');
    await waitForState(page, States.Playing, 5000);
    await setHidden(page, true);
    const hiddenAt = await state(page);
    await pause(1500);
    const later = await state(page);
    assert.ok(later.Tick <= hiddenAt.Tick + 1, `ticked while hidden: ${hiddenAt.Tick} -> ${later.Tick}`);
    assert.equal(later.State, States.Playing);
    await setHidden(page, false);
    await waitForState(page, States.GameMenu, 5000);
    // Escape there goes back to the level, as it does after the player's own Escape.
    await pressKey(page, 'Escape');
    await waitForState(page, States.Playing, 5000);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('on a slow connection the page shows how much has arrived before the game appears', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await browser.newPage();
    page.problems = [];
    page.on('pageerror', e => page.problems.push('exception: ' + e.message));
    // 300 KB/s: several seconds for the whole site.
    await page.emulateNetworkConditions({ download: 3e5, upload: 3e5, latency: 100 });
    await page.goto(server.url);
    const seen = await page.waitForFunction(() => {
      const bar = document.getElementById('loading'), text = document.getElementById('loadingText').textContent;
      const m = text.match(/([\d.]+) of ([\d.]+) MB \((\d+)%\)/);
      return getComputedStyle(bar).display !== 'none' && m && +m[3] > 0 && +m[3] < 100 &&
        parseFloat(document.getElementById('loadingBar').style.width) === +m[3] &&
        (typeof Module === 'undefined' || !Module.calledRun) && text;
    }, { timeout: 60000, polling: 50 });
    assert.match(await seen.jsonValue(), /Loading the game: [\d.]+ of [\d.]+ MB/);
    await waitForState(page, States.MainMenu, 120000);
    assert.equal(await page.$eval('#loading', e => getComputedStyle(e).display), 'none');
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

// The frame as the game draws it on an output: each pixel enlarged by `factor` (nearest), then
// sampled linearly at the centres of the rectangle's pixels (sharp); or each screen pixel taking
// the frame pixel under its centre (nearest-neighbour at a fractional factor).
function modelled(frame, fit, sharp) {
  const { width: fw, height: fh, channels: fc, pixels: fp } = frame;
  const out = Buffer.alloc(fit.w * fit.h * 3);
  const at = (x, y, c) => fp[(y * fw + x) * fc + c];
  const k = fit.factor, bw = fw * k, bh = fh * k;
  const big = (i, j, c) => at(Math.min(fw - 1, Math.max(0, Math.floor(i / k))),
                              Math.min(fh - 1, Math.max(0, Math.floor(j / k))), c);
  for (let y = 0; y < fit.h; ++y) {
    for (let x = 0; x < fit.w; ++x) {
      for (let c = 0; c < 3; ++c) {
        let v;
        if (sharp) {
          const u = Math.max(0, Math.min(bw - 1, (x + 0.5) * bw / fit.w - 0.5));
          const w = Math.max(0, Math.min(bh - 1, (y + 0.5) * bh / fit.h - 0.5));
          const i = Math.floor(u), j = Math.floor(w), a = u - i, b = w - j;
          const i1 = Math.min(bw - 1, i + 1), j1 = Math.min(bh - 1, j + 1);
          v = (big(i, j, c) * (1 - a) + big(i1, j, c) * a) * (1 - b) + (big(i, j1, c) * (1 - a) + big(i1, j1, c) * a) * b;
        } else {
          v = at(Math.floor((x + 0.5) * fw / fit.w), Math.floor((y + 0.5) * fh / fit.h), c);
        }
        out[(y * fit.w + x) * 3 + c] = Math.round(v);
      }
    }
  }
  return out;
}

// Mean difference per channel between a screenshot's rectangle and a model of it.
function difference(shot, fit, model) {
  let sum = 0;
  for (let y = 0; y < fit.h; ++y)
    for (let x = 0; x < fit.w; ++x)
      for (let c = 0; c < 3; ++c)
        sum += Math.abs(shot.pixels[((fit.y + y) * shot.width + fit.x + x) * shot.channels + c] -
                        model[(y * fit.w + x) * 3 + c]);
  return sum / (fit.w * fit.h * 3);
}

test('at 1280 x 720 the frame is scaled sharply, or by whole factors when chosen', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, 'about:blank');
    await page.setViewport({ width: 1280, height: 720, deviceScaleFactor: 1 });
    for (const mode of ['sharp', 'integer']) {
      // The game ends on the main menu and leaves its last frame on the canvas and in end.png.
      await page.goto(server.url + '?seed=3&ticks=300&screenshot=end.png');
      assert.equal(await page.$eval('#scale', e => e.value), mode, 'the choice is kept');
      assert.equal(await waitForEnd(page), 0);
      const frame = readPng(await readGameFile(page, '/vor/end.png'));
      const { rect, fit } = await page.evaluate(m => {
        for (const id of ['end', 'status']) document.getElementById(id).style.display = 'none';
        const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
        return { rect: { x: r.x, y: r.y, width: r.width, height: r.height },
                 fit: vorFitFrame(c.width, c.height, 800, 600, m) };
      }, mode);
      assert.deepEqual([rect.width, rect.height], [1280, await page.evaluate(() => document.getElementById('canvas').height)]);
      const shot = readPng(Buffer.from(await page.screenshot({ clip: rect, type: 'png' })));
      const sharp = difference(shot, fit, modelled(frame, fit, true));
      const nearest = difference(shot, fit, modelled(frame, fit, false));
      const what = `${mode}: ${JSON.stringify(fit)}, sharp model ${sharp.toFixed(2)}, nearest ${nearest.toFixed(2)}`;
      if (mode === 'sharp') {
        // 695 lines high: every pixel enlarged twice, then smoothed down to 927 x 695.
        assert.equal(fit.factor, 2, what);
        assert.ok(fit.w > 800 && fit.w < 1600, what);
        assert.ok(sharp < 2 && nearest > 2 * sharp, what);
      } else {
        assert.deepEqual([fit.factor, fit.w, fit.h], [1, 800, 600], what);
        assert.ok(sharp < 0.5 && nearest < 0.5, what);
      }
      // Black bars beside the frame.
      for (const x of [fit.x - 1, fit.x + fit.w]) {
        const i = ((fit.y + 10) * shot.width + x) * shot.channels;
        if (x >= 0 && x < shot.width) assert.deepEqual([...shot.pixels.subarray(i, i + 3)], [0, 0, 0], what);
      }
      await page.select('#scale', 'integer');
    }
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});
