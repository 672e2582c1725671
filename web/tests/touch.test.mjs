// A touch player on an emulated phone (landscape and portrait, device pixel ratio 3): taps "New
// game", steers by dragging, shoots by tapping, opens the in-game menu with the on-screen key,
// loses, types a name (Cyrillic) through the text field and finds it in the table, with its replay, after a reload.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { States, launch, openPage, readGameFile, serve, state, tempDir, waitForState } from './harness.mjs';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

const { Win, GameOver } = States;
// Points on menu lines: the first ("New game", "Return to game") and "Best results".
const firstLine = [240, 210], bestResults = [240, 405];
const sleep = ms => new Promise(r => setTimeout(r, ms));

// A page emulating a phone of that size, touch only.
async function phone(browser, url, width, height) {
  const page = await browser.newPage();
  page.problems = [];
  page.on('pageerror', e => page.problems.push('exception: ' + e.message));
  page.on('console', m => { if (m.type() === 'error') page.problems.push('console: ' + m.text()); });
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 3, mobile: true });
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  page.cdp = cdp;
  await page.goto(url);
  return page;
}

// The page point of a point of the game's 800 x 600 frame, shown letterboxed in the canvas.
async function at(page, [x, y]) {
  const r = await page.evaluate(() => {
    const c = document.getElementById('canvas').getBoundingClientRect();
    return { left: c.left, top: c.top, width: c.width, height: c.height };
  });
  const scale = Math.min(r.width / 800, r.height / 600);
  return [r.left + (r.width - 800 * scale) / 2 + x * scale, r.top + (r.height - 600 * scale) / 2 + y * scale];
}

async function touch(page, type, points) {
  await page.cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map(([x, y]) => ({ x, y })),
  });
}

// A quick tap (down and up at once) at a point of the frame.
async function tap(page, point) {
  const p = await at(page, point);
  await touch(page, 'touchStart', [p]);
  await touch(page, 'touchEnd', []);
}

async function tapElement(page, selector) {
  const box = await page.$eval(selector, e => {
    const r = e.getBoundingClientRect();
    return r.width > 0 && getComputedStyle(e).display !== 'none' ? [r.left + r.width / 2, r.top + r.height / 2] : null;
  });
  assert.ok(box, `${selector} is not shown`);
  await touch(page, 'touchStart', [box]);
  await touch(page, 'touchEnd', []);
}

async function drag(page, from, to, steps = 12) {
  const a = await at(page, from), b = await at(page, to);
  await touch(page, 'touchStart', [a]);
  for (let i = 1; i <= steps; ++i) {
    await touch(page, 'touchMove', [[a[0] + (b[0] - a[0]) * i / steps, a[1] + (b[1] - a[1]) * i / steps]]);
    await sleep(30);
  }
  await touch(page, 'touchEnd', []);
}

async function until(page, what, check, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  let s;
  while (Date.now() < end) {
    s = await state(page);
    if (s && check(s)) return s;
    await sleep(25);
  }
  throw new Error(`${what}: not seen; last state ${s && s.State}; ${page.problems.join('; ')}`);
}

for (const [width, height] of [[844, 390], [390, 844]]) {
  test(`a touch player at ${width} x ${height} plays a game to the table of records`, async () => {
    const profile = tempDir('vor-profile-');
    let browser = await launch(profile);
    try {
      const page = await phone(browser, server.url + '?seed=3', width, height);
      await waitForState(page, States.MainMenu, 60000);

      await tap(page, firstLine);
      await waitForState(page, States.Playing, 5000);
      await tap(page, [400, 300]);
      const launched = await until(page, 'the tap launched the sight', s => s.SightActive === 1);

      await drag(page, [400, 300], [700, 120]);
      await until(page, 'the drag steered the sight',
                  s => s.SightX !== launched.SightX || s.SightY !== launched.SightY);
      const before = (await state(page)).Bullets;
      await tap(page, [400, 300]);
      await until(page, 'the tap shot', s => s.Bullets < before);

      await tapElement(page, '#vor-touch-menu');
      await waitForState(page, States.GameMenu, 5000);
      await tap(page, firstLine);
      await waitForState(page, States.Playing, 5000);

      // Shooting until the game is over; the screen's key (Enter) goes on to the name.
      const shooting = Date.now();
      // A level may be won on the way: the next one loads and is shot at too. A tap sent as the
      // last shot ends the game may already go on from the result screen to the name.
      for (let s = await state(page); ![Win, GameOver, States.EnterName].includes(s.State);
           s = await state(page)) {
        assert.ok(Date.now() - shooting < 120000, `the game did not end (state ${s.State})`);
        if (s.State === States.Playing) await tap(page, [400, 300]);
        await sleep(60);
      }
      if ((await state(page)).State !== States.EnterName) {
        assert.equal(await page.$eval('#vor-touch-key', e => e.textContent), 'Enter');
        await tapElement(page, '#vor-touch-key');
        await waitForState(page, States.EnterName, 5000);
      }

      assert.equal(await page.evaluate(() => document.activeElement && document.activeElement.id), 'vor-name');
      await page.cdp.send('Input.insertText', { text: 'Палецы' });
      await page.keyboard.press('Backspace');
      await page.keyboard.press('Enter');
      const saved = await waitForState(page, States.Records, 5000);
      assert.ok(saved.Records.some(r => r.used === 1 && r.name.trimEnd() === 'Палец'),
                'the table lacks the name typed: ' + JSON.stringify(saved.Records.map(r => r.name)));
      assert.deepEqual(page.problems, []);

      // Stored, then found after a reload through the menu's "Best results".
      await page.waitForFunction(() => new Promise(resolve => {
        const open = indexedDB.open('/persist');
        open.onsuccess = () => {
          const db = open.result;
          const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/persist/vor/main.tbl');
          get.onsuccess = () => { db.close(); resolve(!!get.result); };
          get.onerror = () => { db.close(); resolve(false); };
        };
        open.onerror = () => resolve(false);
      }), { timeout: 5000 });
      await page.reload();
      await waitForState(page, States.MainMenu, 60000);
      assert.ok(await readGameFile(page, '/vor/main.tbl'));
      await tap(page, bestResults);
      const shown = await waitForState(page, States.Records, 5000);
      const row = shown.Records.findIndex(r => r.used === 1 && r.name.trimEnd() === 'Палец');
      assert.ok(row >= 0);
      assert.equal(shown.RecordReplays[row], 1, "the row's replay was not kept over the reload");
      await tap(page, [400, 300]);
      await waitForState(page, States.MainMenu, 5000);
    } finally {
      await browser.close();
    }
  });
}
