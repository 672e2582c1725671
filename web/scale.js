// Where the game's frame goes in the canvas, and at which whole factor its pixels are enlarged
// first: the twin of FitFrame in src/platform/sdl/FrameFit.h, which draws the frame. The page uses
// it to place what stands beside the frame (the letterbox bars); both are checked against
// tests/data/frame_fit_cases.txt. Sizes are device pixels; mode is 'sharp' or 'integer'.
'use strict';
function vorFitFrame(outW, outH, frameW, frameH, mode) {
  const fit = { factor: 1, x: 0, y: 0, w: 0, h: 0 };
  if (!(outW > 0 && outH > 0 && frameW > 0 && frameH > 0)) return fit;
  const whole = Math.min(Math.floor(outW / frameW), Math.floor(outH / frameH));
  let w, h;
  if (mode === 'integer' && whole >= 1) {
    fit.factor = whole;
    w = frameW * whole;
    h = frameH * whole;
  } else if (outW * frameH <= outH * frameW) {
    // The width decides; the other side is rounded to the nearest pixel.
    w = outW;
    h = Math.min(outH, Math.floor((2 * frameH * outW + frameW) / (2 * frameW)));
  } else {
    h = outH;
    w = Math.min(outW, Math.floor((2 * frameW * outH + frameH) / (2 * frameH)));
  }
  if (mode !== 'integer')
    fit.factor = Math.max(1, Math.ceil(w / frameW), Math.ceil(h / frameH));
  fit.w = w;
  fit.h = h;
  fit.x = Math.floor((outW - w) / 2);
  fit.y = Math.floor((outH - h) / 2);
  return fit;
}
if (typeof module === 'object' && module.exports) module.exports = { vorFitFrame };
