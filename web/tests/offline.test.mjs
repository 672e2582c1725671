// Installable and offline: the manifest as the browser reads it, the site kept after one visit
// and played with no server, a newer build taking the old one's place without touching the tables.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { States, launch, openPage, pressKey, readGameFile, serve, site, tempDir,
         waitForState } from './harness.mjs';

// Waits until a service worker controls the page and has kept the whole site.
async function kept(page) {
  await page.waitForFunction(async () => {
    if (!navigator.serviceWorker.controller) return false;
    const names = await caches.keys();
    return names.some(n => n.startsWith('vor-'));
  }, { timeout: 30000, polling: 100 });
}

test('the manifest names the game, its start and icons that exist', async () => {
  const server = await serve();
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url);
    await waitForState(page, States.MainMenu);
    await kept(page);
    const cdp = await page.createCDPSession();
    const { url, errors, data } = await cdp.send('Page.getAppManifest');
    assert.ok(url.endsWith('/manifest.webmanifest'), url);
    assert.deepEqual(errors, []);
    const manifest = JSON.parse(data);
    assert.equal(manifest.name, 'Vor');
    assert.equal(manifest.display, 'fullscreen');
    assert.equal(manifest.orientation, 'landscape');
    assert.equal(new URL(manifest.start_url, url).href, server.url);
    assert.ok(manifest.icons.some(i => parseInt(i.sizes, 10) >= 144), 'no icon large enough to install');
    for (const icon of manifest.icons) {
      const bytes = fs.readFileSync(path.join(site, icon.src));
      assert.equal(bytes.subarray(1, 4).toString('latin1'), 'PNG', icon.src);
      assert.equal(`${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}`, icon.sizes, icon.src);
    }
    // The browser's own verdict: nothing keeps the page from being installed.
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
  } finally {
    await browser.close();
    await server.close();
  }
});

test('after one visit the page plays with no server, and a new build keeps the tables', async () => {
  const profile = tempDir('vor-profile-');
  const first = await serve();
  // The same address for every server of this test: the offline copy belongs to its origin.
  const port = new URL(first.url).port;
  let browser = await launch(profile);
  try {
    let page = await openPage(browser, first.url);
    await waitForState(page, States.MainMenu);
    await kept(page);
    // A table kept in the browser's database, as the page keeps them.
    await page.evaluate(() => new Promise((resolve, reject) => {
      const open = indexedDB.open('/persist');
      open.onsuccess = () => {
        const t = open.result.transaction('FILE_DATA', 'readwrite');
        t.objectStore('FILE_DATA').put({ timestamp: new Date(), mode: 0o100666, contents: new Uint8Array([1, 2, 3]) },
                                        '/persist/vor/kept.tbl');
        t.oncomplete = () => { open.result.close(); resolve(); };
        t.onerror = () => reject(t.error);
      };
      open.onerror = () => reject(open.error);
    }));
    await browser.close();
    await first.close();

    // No server at all: the kept copy starts and reaches the main menu.
    browser = await launch(profile);
    page = await openPage(browser, 'about:blank');
    page.problems.length = 0;
    await page.goto(first.url);
    await waitForState(page, States.MainMenu, 60000);
    await pressKey(page, 'Enter');
    await waitForState(page, States.Playing, 5000);
    assert.deepEqual(page.problems, []);
    await browser.close();

    // A new build on the same address: installed on the next visit, played on the one after.
    const newer = tempDir('vor-site-');
    fs.cpSync(site, newer, { recursive: true });
    const sw = fs.readFileSync(path.join(site, 'sw.js'), 'utf8');
    const oldName = sw.match(/const cacheName = '(vor-[^']+)'/)[1];
    fs.writeFileSync(path.join(newer, 'sw.js'), sw.replace(oldName, 'vor-newer'));
    for (const f of ['sw.js.gz', 'sw.js.br']) fs.rmSync(path.join(newer, f), { force: true });
    const second = await serve(newer, port);
    browser = await launch(profile);
    page = await openPage(browser, second.url);
    await waitForState(page, States.MainMenu);
    // The browser's own check for a newer worker (on visits, at least daily) comes when it
    // pleases; the test asks for it.
    await page.evaluate(() => navigator.serviceWorker.getRegistration().then(r => r.update()));
    await page.waitForFunction(async () => {
      const names = await caches.keys();
      return names.includes('vor-newer') && names.length === 1;
    }, { timeout: 30000, polling: 100 });
    assert.deepEqual([...(await readGameFile(page, '/vor/kept.tbl')) || []], [1, 2, 3], 'the tables were touched');
    await second.close();
  } finally {
    await browser.close();
  }
});
