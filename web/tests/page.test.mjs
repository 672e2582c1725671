// The page around the game: the click that captures the mouse, the end of the game, failures to
// load, and two tabs saving results into the same tables.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { States, launch, openPage, pressKey, readGameFile, serve, site, state, tempDir,
         waitForEnd, waitForState, waitForTick } from './harness.mjs';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

// What the first click could change: the screen and every setting of the menu.
const settings = s => ({ State: s.State, Difficulty: s.Difficulty, Brightness: s.Brightness,
                         ControlType: s.ControlType, ControlSpeed: s.ControlSpeed, SoundOn: s.SoundOn,
                         Selected: s.MenuLines.find(l => l.Visible && l.Selected)?.Text });

const endPanel = page => page.$eval('#end', e => ({
  shown: getComputedStyle(e).display !== 'none', text: e.textContent,
  help: getComputedStyle(document.getElementById('help')).display !== 'none',
}));

async function clickCanvas(page) {
  const box = await (await page.$('#canvas')).boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2, { delay: 30 });
}

test('the first click on a fresh page captures the mouse and is no click in the game', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, 'about:blank');
    for (let load = 0; load < 8; ++load) {
      await page.goto(server.url);
      const before = await waitForState(page, States.MainMenu);
      await clickCanvas(page);
      await waitForTick(page, (await state(page)).Tick + 10);
      const now = await state(page);
      assert.deepEqual(settings(now), settings(before), `load ${load}`);
      assert.equal(await page.evaluate(() => window.vorEndStatus), undefined, `load ${load}`);
      // The hint follows the lock: held, Esc frees it; not held, click again.
      const [locked, hint] = await page.evaluate(() =>
        [!!document.pointerLockElement, document.getElementById('hint').textContent]);
      assert.match(hint, locked ? /Esc frees/ : /[Cc]lick the game/);
      // Into full screen and out again from the main menu: the game goes on.
      for (let i = 0; i < 2; ++i) {
        await page.keyboard.down('Alt');
        await pressKey(page, 'Enter');
        await page.keyboard.up('Alt');
      }
      await waitForTick(page, (await state(page)).Tick + 10);
      assert.deepEqual(settings(await state(page)), settings(before), `load ${load}, full screen`);
    }
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('a lock the browser refuses leaves the game going and asks for another click', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await browser.newPage();
    page.problems = [];
    page.on('pageerror', e => page.problems.push('exception: ' + e.message));
    // The refusals Chromium gives: a change with no lock first, then a rejected promise (as
    // within a second of Escape), or an exception.
    await page.evaluateOnNewDocument(() => {
      let n = 0;
      HTMLCanvasElement.prototype.requestPointerLock = function () {
        document.dispatchEvent(new Event('pointerlockchange'));
        if (++n % 2) throw new DOMException('not in this document', 'WrongDocumentError');
        setTimeout(() => document.dispatchEvent(new Event('pointerlockerror')));
        return Promise.reject(new DOMException('The user has exited the lock before this request ' +
                                               'was completed.', 'SecurityError'));
      };
    });
    await page.goto(server.url);
    const before = await waitForState(page, States.MainMenu);
    for (let i = 0; i < 4; ++i) {
      await clickCanvas(page);
      await pressKey(page, 'ArrowDown');
      await pressKey(page, 'ArrowUp');
    }
    // The clicks changed no setting and chose nothing (the game is still in the main menu); the
    // keys moved the selection, which a slow machine may see repeat, so it is not compared.
    const { Selected: now, ...after } = settings(await state(page));
    const { Selected: was, ...start } = settings(before);
    assert.deepEqual(after, start, `selection ${was} -> ${now}`);
    assert.match(await page.$eval('#hint', e => e.textContent), /click the game again/);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('a lock the browser takes back in play is the game\'s Escape', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    await pressKey(page, 'Enter');
    await waitForState(page, States.Playing, 5000);
    await clickCanvas(page);
    await page.waitForFunction(() => !!document.pointerLockElement, { timeout: 5000 });
    assert.equal((await state(page)).State, States.Playing);
    await page.evaluate(() => document.exitPointerLock());
    await waitForState(page, States.GameMenu, 5000);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('the end of the game shows a message and a button that starts it again', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    // Escape in the main menu is Exit.
    await pressKey(page, 'Escape').catch(() => {});
    assert.equal(await waitForEnd(page, 10000), 0);
    const end = await endPanel(page);
    assert.ok(end.shown && !end.help, JSON.stringify(end));
    assert.match(end.text, /ended.*Play again/s);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'again');
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
    await waitForState(page, States.MainMenu);
    assert.equal((await endPanel(page)).shown, false);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

// The packed folder's byte range of one file, from the loader's list in vor.js.
function packedRange(name) {
  const js = fs.readFileSync(path.join(site, 'vor.js'), 'utf8');
  const m = js.match(new RegExp(`"filename":\\s*"/vor/${name.replace('.', '\\.')}",\\s*"start":\\s*(\\d+),\\s*"end":\\s*(\\d+)`));
  assert.ok(m, `${name} is not in the packed folder`);
  return [Number(m[1]), Number(m[2])];
}

test('a page that cannot load names the cause and says to reload', async () => {
  const data = fs.readFileSync(path.join(site, 'vor.data'));
  const [start, end] = packedRange('targets.ccg');
  const broken = Buffer.from(data);
  broken.fill(0, start, end);
  const cases = [
    { name: 'a missing vor.wasm', file: 'vor.wasm', respond: { status: 404, body: '' },
      cause: /vor\.wasm could not be loaded \(404/ },
    { name: 'a missing vor.js', file: 'vor.js', respond: { status: 404, body: '' },
      cause: /vor\.js could not be loaded/ },
    { name: 'damaged data', file: 'vor.data',
      respond: { status: 200, contentType: 'application/octet-stream', body: broken },
      cause: /targets\.ccg/ },
  ];
  const browser = await launch(tempDir('vor-profile-'));
  try {
    for (const c of cases) {
      const page = await browser.newPage();
      // The offline copy an earlier case left would answer in place of the broken file.
      await page.setBypassServiceWorker(true);
      await page.setRequestInterception(true);
      page.on('request', r => r.url().endsWith('/' + c.file) ? r.respond(c.respond) : r.continue());
      await page.goto(server.url);
      await page.waitForFunction(() => getComputedStyle(document.getElementById('end')).display !== 'none',
                                 { timeout: 60000 });
      const shown = await endPanel(page);
      assert.match(shown.text, c.cause, c.name);
      assert.match(shown.text, /Reload the page/, c.name);
      assert.doesNotMatch(shown.text, /ASSERTIONS|Aborted|status 1/, c.name);
      await page.close();
    }
  } finally {
    await browser.close();
  }
});

test('two tabs that each save a result keep both', async () => {
  const profile = tempDir('vor-profile-');
  let browser = await launch(profile);
  try {
    // Both tabs read the tables before either saves.
    const tabs = [];
    for (let i = 0; i < 2; ++i) tabs.push(await openPage(browser, server.url + '?seed=3&script=record.txt'));
    // A hidden tab holds its game still: each plays to the name screen in front.
    for (const tab of tabs) {
      await tab.bringToFront();
      await waitForState(tab, States.EnterName, 90000);
    }
    const names = ['Alpha', 'Bravo'];
    for (let i = 0; i < 2; ++i) {
      const tab = tabs[i];
      await tab.bringToFront();
      // The script clicks until tick 401; a click after the name would leave the table.
      await waitForTick(tab, 402);
      await tab.keyboard.type(names[i], { delay: 40 });
      await pressKey(tab, 'Enter');
      await waitForState(tab, States.Records, 5000);
      await tab.evaluate(() => new Promise(r => setTimeout(r, 300)));
    }
    for (const tab of tabs) await tab.close();
    await browser.close();

    browser = await launch(profile);
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    const table = (await readGameFile(page, '/vor/main.tbl')).toString('latin1');
    for (const name of names) assert.ok(table.includes(name), `main.tbl lacks ${name}`);
  } finally {
    await browser.close();
  }
});
