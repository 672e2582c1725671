// A shared table's replay played on the page: the native game makes a replay, vor-records on
// 127.0.0.1 stores it, and the page opened with ?replay=<its address> plays it to the same result
// as the native "--replay" of the same file; an address that fails or a replay the game refuses
// says why on the page.
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { States, launch, openPage, runNative, serve, site, tempDir, waitForEnd, waitForState } from './harness.mjs';

const vor = process.env.VOR_NATIVE, data = process.env.VOR_NATIVE_DATA;
// The server: VOR_RECORDS, or the one built beside the native game, or the tests' build's (the
// site's own native build makes only the game).
const records = process.env.VOR_RECORDS ||
  [vor && path.join(path.dirname(vor), 'vor-records'), path.resolve('build-test/vor-records')]
    .find(f => f && fs.existsSync(f));

// vor-records on a free port of 127.0.0.1 with its tables in `folder`, serving the site at /play/.
function startRecords(folder) {
  const child = spawn(records, ['--data', data, '--db', `sqlite:${folder}/records.sqlite`,
                                '--listen', '127.0.0.1:0', '--web', site],
                      { env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' }, stdio: ['ignore', 'ignore', 'pipe'] });
  return new Promise((resolve, reject) => {
    let said = '';
    child.stderr.on('data', chunk => {
      said += chunk;
      const port = said.match(/listening on 127\.0\.0\.1:(\d+)/);
      if (port) resolve({ url: `http://127.0.0.1:${port[1]}`, stop: () => child.kill() });
    });
    child.on('exit', status => reject(new Error(`vor-records ended (${status}): ${said}`)));
  });
}

// What the page says: its end, or its status line (while the game shows its own message box).
async function said(page, wanted, timeout = 60000) {
  const read = () => page.evaluate(() => ['status', 'endText'].map(id => document.getElementById(id).textContent).join('\n'));
  const end = Date.now() + timeout;
  let text = '';
  while (Date.now() < end) {
    text = await read();
    if (wanted.test(text)) return text;
    await new Promise(r => setTimeout(r, 100));
  }
  return text;
}

let pageSite, native, folder, server, replay, stored, end;
before(async () => {
  assert.ok(vor && data, 'VOR_NATIVE and VOR_NATIVE_DATA name the native game and its data');
  assert.ok(records && fs.existsSync(records), 'vor-records is built (VOR_RECORDS names it)');
  folder = tempDir('vor-replay-');
  // "New game" with the mouse: a click launches the sight, the next hits a target on its path, the
  // later ones miss until the game is over; then the name.
  const lines = ['10 key Enter down', '11 key Enter up', '30 button 0 down', '31 button 0 up',
                 '215 button 0 down', '216 button 0 up'];
  for (let t = 240; t <= 990; t += 6) lines.push(`${t} button 0 down`, `${t + 1} button 0 up`);
  lines.push('1010 text Browser', '1030 char 13');
  fs.writeFileSync(path.join(folder, 'game.txt'), lines.join('\n') + '\n');
  native = runNative(vor, data, ['--seed', '21', '--ticks', '1040', '--script', path.join(folder, 'game.txt')]);
  const kept = fs.readdirSync(path.join(native.dir, 'main.replays'));
  assert.equal(kept.length, 1, 'the game kept one replay');
  replay = fs.readFileSync(path.join(native.dir, 'main.replays', kept[0]));
  execFileSync(vor, ['--headless', '--replay', path.join('main.replays', kept[0]), '--dump-state', 'end.json'],
               { cwd: native.dir, env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' } });
  end = JSON.parse(fs.readFileSync(path.join(native.dir, 'end.json'), 'utf8'));
  assert.ok(end.State === States.GameOver || end.State === States.Win, 'the replay ends on its result');
  assert.ok(end.Score > 0, 'the game hits a target');

  server = await startRecords(folder);
  const posted = await fetch(server.url + '/api/v1/results', { method: 'POST', body: replay });
  stored = await posted.json();
  assert.equal(posted.status, 201, JSON.stringify(stored));
  pageSite = await serve();
});
after(async () => {
  if (pageSite) await pageSite.close();
  if (server) server.stop();
  for (const f of [folder, native && native.dir]) if (f) fs.rmSync(f, { recursive: true, force: true });
});

test('the page plays a stored replay by its address to the native result', async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const address = `${server.url}/api/v1/replays/${stored.replay}`;
    const page = await openPage(browser, pageSite.url + '?replay=' + encodeURIComponent(address));
    const shown = await waitForState(page, end.State, 120000);
    for (const key of ['Score', 'TargetsHit', 'Medals', 'Misses', 'Level', 'Difficulty', 'Bullets'])
      assert.equal(shown[key], end[key], `${key} on the page differs from the native replay`);
    assert.equal(shown.Score, stored.score, 'the server stored another score');
    assert.equal(await waitForEnd(page), 0);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test("the shared table's play link opens the page on the replay", async () => {
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const table = await (await fetch(server.url + '/')).text();
    const link = table.match(/<a href="([^"]*)">play<\/a>/);
    assert.ok(link, 'the table has a play link');
    const href = link[1].replaceAll('&amp;', '&');
    assert.ok(href.includes('replay=' + encodeURIComponent(`/api/v1/replays/${stored.replay}`).replaceAll('%2F', '/')),
              href);
    const page = await openPage(browser, new URL(href, server.url).href);
    const playing = await waitForState(page, States.Playing, 60000);
    assert.equal(playing.Difficulty, end.Difficulty);
    assert.deepEqual(page.problems, []);
  } finally {
    await browser.close();
  }
});

test('the page says why a replay cannot be played', async () => {
  const text = replay.toString('utf8');
  const elsewhere = text.replace(/^# vor-replay scenario [0-9a-f]{64}/m, '# vor-replay scenario ' + 'e'.repeat(64));
  const cases = [
    { what: 'no such replay', replay: `${server.url}/api/v1/replays/${'0'.repeat(64)}`, says: /404.*no such replay/ },
    { what: 'no server', replay: 'http://127.0.0.1:9/vor.replay', says: /could not be loaded/ },
    { what: 'a scenario not here', replay: 'data:text/plain;base64,' + Buffer.from(elsewhere).toString('base64'),
      says: /scenario main\.lev \(eeeeeeeeeeeeeeee\.\.\.\) is not installed/ },
    { what: 'not a replay', replay: 'data:text/plain,hello', says: /not a replay/ },
  ];
  const browser = await launch(tempDir('vor-profile-'));
  try {
    for (const c of cases) {
      const page = await browser.newPage();
      await page.goto(pageSite.url + '?replay=' + encodeURIComponent(c.replay));
      assert.match(await said(page, c.says), c.says, c.what);
      await page.close();
    }
  } finally {
    await browser.close();
  }
});
