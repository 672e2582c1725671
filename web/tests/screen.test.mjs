// The page on phones, tablets and desktops: the canvas at device pixels, the upright layout,
// sharp pixels on a fractional fit, a hidden tab, the loading bar on a slow connection.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { States, launch, openPage, pressKey, readGameFile, readPng, serve, state, tempDir,
         waitForEnd, waitForState, waitForTick } from './harness.mjs';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

// A box inside the viewport (or inside another box).
const inside = (box, view) => box && box.x >= (view.x || 0) && box.y >= (view.y || 0) &&
  box.x + box.width <= (view.x || 0) + view.width + 0.5 && box.y + box.height <= (view.y || 0) + view.height + 0.5;

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
      assert.ok(inside(look.help, view) && inside(look.full, view) && inside(look.full, look.help), what);
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

// Mean difference per channel between a screenshot's rectangle and a model of it, over the pixels
// drawn from frame pixels the game kept still (a changing pixel in `moving` spoils its neighbours).
function difference(shot, fit, model, moving) {
  let sum = 0, n = 0;
  for (let y = 0; y < fit.h; ++y) {
    for (let x = 0; x < fit.w; ++x) {
      const sx = Math.floor((x + 0.5) * 800 / fit.w), sy = Math.floor((y + 0.5) * 600 / fit.h);
      let still = true;
      for (let dy = -2; dy <= 2 && still; ++dy)
        for (let dx = -2; dx <= 2 && still; ++dx)
          still = !moving[Math.min(599, Math.max(0, sy + dy)) * 800 + Math.min(799, Math.max(0, sx + dx))];
      if (!still) continue;
      for (let c = 0; c < 3; ++c)
        sum += Math.abs(shot.pixels[((fit.y + y) * shot.width + fit.x + x) * shot.channels + c] -
                        model[(y * fit.w + x) * 3 + c]);
      ++n;
    }
  }
  return sum / (n * 3);
}

// The 800 x 600 rectangle at (x, y) of a screenshot, as a frame.
function cut(shot, x, y) {
  const pixels = Buffer.alloc(800 * 600 * 3);
  for (let j = 0; j < 600; ++j)
    for (let i = 0; i < 800; ++i)
      for (let c = 0; c < 3; ++c) pixels[(j * 800 + i) * 3 + c] = shot.pixels[((y + j) * shot.width + x + i) * shot.channels + c];
  return { width: 800, height: 600, channels: 3, pixels };
}

test('at 1280 x 720 the frame is scaled sharply, or by whole factors when chosen', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, 'about:blank');
    await page.setViewport({ width: 1280, height: 720, deviceScaleFactor: 1 });
    await page.goto(server.url);
    assert.equal(await page.$eval('#scale', e => e.value), 'sharp');
    await waitForState(page, States.MainMenu);
    // The choice is kept for the next visit.
    await page.select('#scale', 'integer');
    await page.reload();
    assert.equal(await page.$eval('#scale', e => e.value), 'integer');
    await waitForState(page, States.MainMenu);
    const look = async mode => {
      await waitForTick(page, (await state(page)).Tick + 10);
      const { rect, fit } = await page.evaluate(m => {
        const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
        return { rect: { x: r.x, y: r.y, width: r.width, height: r.height },
                 fit: vorFitFrame(c.width, c.height, 800, 600, m) };
      }, mode);
      return { fit, shot: readPng(Buffer.from(await page.screenshot({ clip: rect, type: 'png' }))) };
    };
    // A whole factor of 1 shows the frame as the game drew it; what moves between two looks
    // (the chosen line's marker) is left out of the comparisons.
    const first = await look('integer');
    const what = JSON.stringify(first.fit);
    assert.deepEqual(first.fit, { factor: 1, x: 240, y: 47, w: 800, h: 600 }, what);
    const frame = cut(first.shot, first.fit.x, first.fit.y);
    const again = cut((await look('integer')).shot, first.fit.x, first.fit.y);
    const moving = new Uint8Array(800 * 600);
    for (let p = 0; p < 800 * 600; ++p)
      moving[p] = frame.pixels.subarray(p * 3, p * 3 + 3).equals(again.pixels.subarray(p * 3, p * 3 + 3)) ? 0 : 1;
    assert.ok(moving.reduce((a, b) => a + b, 0) < 800 * 600 / 50, 'the main menu moves too much to compare');
    // Black bars beside it.
    const black = (shot, x, y) => [...shot.pixels.subarray((y * shot.width + x) * shot.channels, (y * shot.width + x) * shot.channels + 3)];
    for (const [x, y] of [[239, 300], [1040, 300], [640, 46], [640, 647]]) assert.deepEqual(black(first.shot, x, y), [0, 0, 0], `${x}, ${y}`);

    // Sharp: 694 lines high, every pixel enlarged twice, then smoothed down to 925 x 694.
    await page.select('#scale', 'sharp');
    const { fit, shot } = await look('sharp');
    const sharp = difference(shot, fit, modelled(frame, fit, true), moving);
    const nearest = difference(shot, fit, modelled(frame, fit, false), moving);
    const seen = `${JSON.stringify(fit)}, sharp model ${sharp.toFixed(2)}, nearest neighbour ${nearest.toFixed(2)}`;
    assert.equal(fit.factor, 2, seen);
    assert.ok(fit.h === shot.height && fit.w > 800 && fit.w < 1600, seen);
    // The model of sharp scaling matches to rounding; nearest-neighbour at 1.157 does not (its
    // equal pixels come out one or two screen pixels wide).
    assert.ok(sharp < 0.1 && nearest > 0.2, seen);
    assert.deepEqual(black(shot, fit.x - 1, 300), [0, 0, 0], seen);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});
