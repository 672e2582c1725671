// The page in headless Chromium: it reaches the main menu cleanly, plays, keeps the tables across
// reloads and browser restarts, survives a browser that refuses to store them, and draws the same
// frames as the native game. Run by tests/web/run.sh with the native build to compare against.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { States, launch, openPage, pressKey, waitForTick, readGameFile, readPng, runNative, serve, state,
         tempDir, waitForEnd, waitForState } from './harness.mjs';
import fs from 'node:fs';
import path from 'node:path';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

// The used row of a state dump's table with that name, if any.
const row = (s, name) => s.Records.find(r => r.used === 1 && r.name.trimEnd() === name);

test('the page reaches the main menu without an error and Enter starts a game', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    const scroll = await page.evaluate(() => [window.scrollX, window.scrollY]);
    // Alt+Enter is the page's full-screen key: the game's menu never sees the Enter.
    await page.keyboard.down('Alt');
    await pressKey(page, 'Enter');
    await page.keyboard.up('Alt');
    assert.equal((await state(page)).State, States.MainMenu);
    await pressKey(page, 'Enter');
    await waitForState(page, States.Playing, 5000);
    // Keys the game uses never move the page.
    for (const key of ['ArrowDown', 'Space', 'ArrowRight']) await pressKey(page, key);
    assert.deepEqual(await page.evaluate(() => [window.scrollX, window.scrollY]), scroll);
    const canvas = await page.evaluate(() => {
      const c = document.getElementById('canvas').getBoundingClientRect();
      return { width: c.width, height: c.height, help: document.getElementById('help').textContent };
    });
    assert.ok(canvas.width > 0 && canvas.height > 0);
    assert.match(canvas.help, /Full screen/);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('a name typed on the record screen is still in the table after a reload and a new browser', async () => {
  const profile = tempDir('vor-profile-');
  let browser = await launch(profile);
  try {
    const page = await openPage(browser, server.url + '?seed=3&script=record.txt');
    await waitForState(page, States.EnterName, 60000);
    // The script clicks until tick 401; a click after the name would leave the table.
    await waitForTick(page, 402);
    await page.keyboard.type('Tester', { delay: 40 });
    await pressKey(page, 'Enter');
    const saved = await waitForState(page, States.Records, 5000);
    assert.ok(row(saved, 'Tester'), 'the table shown lacks the name');
    // Written through to IndexedDB: wait for the stored copy before leaving the page.
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

    const look = async p => {
      await waitForState(p, States.MainMenu);
      const table = await readGameFile(p, '/vor/main.tbl');
      assert.ok(table && table.includes('Tester'), 'main.tbl lacks the name');
      // Down to "Best results": the table the game shows holds the row it showed before.
      const selected = async () => (await state(p)).MenuLines.find(l => l.Visible && l.Selected);
      for (let i = 0; i < 9 && (await selected())?.Text !== 'Best results'; ++i)
        await pressKey(p, 'ArrowDown');
      assert.equal((await selected())?.Text, 'Best results');
      await pressKey(p, 'Enter');
      const shown = await waitForState(p, States.Records, 5000);
      assert.deepEqual(row(shown, 'Tester'), row(saved, 'Tester'));
      assert.deepEqual(p.problems, []);
    };
    await page.goto(server.url);
    page.problems.length = 0;
    await look(page);

    await browser.close();
    browser = await launch(profile);
    await look(await openPage(browser, server.url));
  } finally {
    await browser.close();
  }
});

test('a browser that refuses to store says so on the page and the game goes on', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      indexedDB.open = () => { throw new DOMException('storage refused', 'QuotaExceededError'); };
    });
    await page.goto(server.url);
    await waitForState(page, States.MainMenu);
    const status = await page.$eval('#status', e => [getComputedStyle(e).display, e.textContent]);
    assert.equal(status[0], 'block');
    assert.match(status[1], /keeps no tables/);
    await pressKey(page, 'Enter');
    await waitForState(page, States.Playing, 5000);
  } finally {
    await browser.close();
  }
});

test('the same script and seed give the same frames natively and in the browser', async () => {
  const vor = process.env.VOR_NATIVE, data = process.env.VOR_NATIVE_DATA;
  assert.ok(vor && data, 'VOR_NATIVE and VOR_NATIVE_DATA name the native game and its data');
  const script = path.resolve('web/scripts/record.txt');
  const args = ['--seed', '3', '--ticks', '320', '--script', script, '--screenshot', 'end.png'];
  const native = runNative(vor, data, args);

  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url + '?seed=3&ticks=320&script=record.txt&screenshot=end.png');
    assert.equal(await waitForEnd(page), 0);
    for (const name of ['play150.png', 'play300.png', 'end.png']) {
      const web = readPng(await readGameFile(page, '/vor/' + name));
      const mine = readPng(fs.readFileSync(path.join(native.dir, name)));
      assert.equal(web.width, 800);
      assert.equal(web.height, 600);
      assert.ok(web.pixels.equals(mine.pixels), `${name} differs from the native frame`);
    }
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
    fs.rmSync(native.dir, { recursive: true, force: true });
  }
});

// The page's stored copy of the built sheets, as { build, timestamp, size }, or null; or, with
// change, the copy replaced by change(copy) first.
async function keptSheets(page, change) {
  return page.evaluate(how => new Promise((resolve, reject) => {
    const open = indexedDB.open('/persist');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const db = open.result, key = '/persist/vor/graph.dat';
      const t = db.transaction('FILE_DATA', 'readwrite'), store = t.objectStore('FILE_DATA');
      const get = store.get(key);
      get.onsuccess = () => {
        let v = get.result;
        if (v && how) {
          v = { ...v, ...(how.build ? { build: how.build } : {}),
                contents: how.garbage ? new Uint8Array(4096).fill(7) : v.contents };
          store.put(v, key);
        }
        t.oncomplete = () => {
          db.close();
          resolve(v ? { build: v.build, timestamp: v.timestamp.getTime(), size: v.contents.length } : null);
        };
      };
    };
  }), change || null);
}

test('the sheets built at a first visit are read at the next visit of the same build only', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    const stored = async () => {
      for (let i = 0; i < 100; ++i) {
        const kept = await keptSheets(page);
        if (kept) return kept;
        await new Promise(r => setTimeout(r, 100));
      }
      return null;
    };
    const first = await stored();
    assert.ok(first && /^[0-9a-f]{16}$/.test(first.build) && first.size > 1e6, JSON.stringify(first));
    const build = first.build;

    // Read again, not built again: the stored copy is not written anew.
    await page.reload();
    await waitForState(page, States.MainMenu);
    await new Promise(r => setTimeout(r, 3000));
    assert.deepEqual(await keptSheets(page), first);

    // Another build's copy (here damaged, which would stop the game) is dropped and built anew.
    await keptSheets(page, { build: 'another', garbage: true });
    await page.reload();
    await waitForState(page, States.MainMenu);
    const rebuilt = await stored();
    assert.ok(rebuilt.build === build && rebuilt.size === first.size && rebuilt.timestamp > first.timestamp);

    // A damaged copy of this build is dropped, and the page starts again by itself, once, with the
    // sheets built anew: the visit goes on.
    await keptSheets(page, { garbage: true });
    page.problems.length = 0;
    await page.reload();
    let reached = null;
    for (let i = 0; i < 600 && !reached; ++i) {
      try {
        const now = await state(page);
        if (now && now.State === States.MainMenu) reached = now;
      } catch (e) { /* the page is starting again */ }
      if (!reached) await new Promise(r => setTimeout(r, 50));
    }
    assert.ok(reached, 'the main menu after the damaged sheets');
    const again = await stored();
    assert.ok(again.build === build && again.size === first.size && again.timestamp > rebuilt.timestamp);
    assert.equal(await page.evaluate(() => window.vorEndStatus), undefined);
    // Only the game's report of the damaged file, nothing else.
    assert.ok(page.problems.every(p => /graph\.dat/.test(p)), page.problems.join('; '));
  } finally {
    await browser.close();
  }
});
