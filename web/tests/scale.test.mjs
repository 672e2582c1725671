// The page's twin of the frame's placement (web/scale.js) against the table the native rule is
// checked against (tests/platform/FrameFitTest.cpp).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

const { vorFitFrame } = createRequire(import.meta.url)('../scale.js');

test('the page places the frame as the game draws it', () => {
  const table = fs.readFileSync(new URL('../../tests/data/frame_fit_cases.txt', import.meta.url), 'utf8');
  let cases = 0;
  table.split('\n').forEach((line, i) => {
    if (!line.trim() || line.startsWith('#')) return;
    const [mode, ...numbers] = line.trim().split(/\s+/);
    const [ow, oh, fw, fh, factor, x, y, w, h] = numbers.map(Number);
    assert.deepEqual(vorFitFrame(ow, oh, fw, fh, mode), { factor, x, y, w, h }, `line ${i + 1}: ${line}`);
    ++cases;
  });
  assert.ok(cases > 0);
});
