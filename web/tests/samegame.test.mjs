// The same seed and script give the same game in the browser, which builds graph.dat at every
// start, and natively with graph.dat read from the data folder: the state at several ticks of a
// game is identical.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, openPage, readGameFile, readPng, runNative, serve, tempDir, waitForEnd } from './harness.mjs';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

test('the game is the same in the browser and natively, whatever graph.dat the run has', async () => {
  const vor = process.env.VOR_NATIVE, data = process.env.VOR_NATIVE_DATA;
  assert.ok(vor && data, 'VOR_NATIVE and VOR_NATIVE_DATA name the native game and its data');
  // A first native start leaves graph.dat in its folder (or finds it there); the game is then
  // played in that folder with graph.dat read, as a player's later starts are.
  const native = runNative(vor, data, ['--ticks', '2']);
  assert.ok(fs.existsSync(path.join(native.dir, 'graph.dat')), 'the native run keeps graph.dat');
  const script = path.resolve('web/scripts/samegame.txt');
  execFileSync(vor, ['--headless', '--seed', '5', '--ticks', '320', '--script', script],
               { cwd: native.dir, env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' } });
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url + '?seed=5&ticks=320&script=samegame.txt');
    assert.equal(await waitForEnd(page), 0);
    for (const tick of [13, 60, 150, 300]) {
      const name = `same-${tick}.json`;
      const web = JSON.parse((await readGameFile(page, '/vor/' + name)).toString('utf8'));
      const mine = JSON.parse(fs.readFileSync(path.join(native.dir, name), 'utf8'));
      assert.deepEqual(web, mine, `the state at tick ${tick} differs`);
    }
  } finally {
    await browser.close();
    fs.rmSync(native.dir, { recursive: true, force: true });
  }
});

// Wind, night, magnets and falling targets steer and draw with sines, cosines and arc tangents:
// whole games on those levels end in the same state and frames in the browser and natively.
test('games with wind, night, magnets and falling targets are the same in the browser', async () => {
  const vor = process.env.VOR_NATIVE, data = process.env.VOR_NATIVE_DATA;
  assert.ok(vor && data, 'VOR_NATIVE and VOR_NATIVE_DATA name the native game and its data');
  const script = path.resolve('web/scripts/levels.txt');
  const native = runNative(vor, data, ['--seed', '9', '--ticks', '1280', '--script', script, 'plimb']);
  const browser = await launch(tempDir('vor-profile-'));
  try {
    const page = await openPage(browser, server.url + '?seed=9&ticks=1280&script=levels.txt&plimb');
    assert.equal(await waitForEnd(page, 180000), 0);
    const levels = [7, 10, 11, 19, 24];
    const last = JSON.parse(fs.readFileSync(path.join(native.dir, 'level-24.json'), 'utf8'));
    assert.ok(last.Level >= 19 || last.State !== 3, 'the script reached the later levels');
    for (const level of levels) {
      const name = `level-${level}`;
      const web = JSON.parse((await readGameFile(page, `/vor/${name}.json`)).toString('utf8'));
      const mine = JSON.parse(fs.readFileSync(path.join(native.dir, `${name}.json`), 'utf8'));
      assert.deepEqual(web, mine, `the state after level ${level} differs`);
      const webFrame = readPng(await readGameFile(page, `/vor/${name}.png`));
      const myFrame = readPng(fs.readFileSync(path.join(native.dir, `${name}.png`)));
      assert.ok(webFrame.pixels.equals(myFrame.pixels), `the frame after level ${level} differs`);
    }
  } finally {
    await browser.close();
    fs.rmSync(native.dir, { recursive: true, force: true });
  }
});
