// Touch controls of the page: once a finger is used (or the screen is a touch screen), keys the
// game needs besides the finger on the frame stay on screen: a menu key (Escape: the in-game menu,
// back) and the key the screen waits for; on the name screen a text field brings up the phone's
// keyboard. The finger on the frame itself is the game's (SDL's touch events, the game's own
// mapping). The keys go in the page's #controls box when it has one, else in a corner.
'use strict';
(() => {
  const Module = window.Module || (window.Module = {});
  // The game's states and key codes the controls speak of.
  const MainMenu = 2, EnterName = 9;
  const Escape = 0x01, Enter = 0x1C, Space = 0x39;
  const keyNames = { [Escape]: 'Esc', [Enter]: 'Enter', [Space]: 'Space' };

  const keys = [], chars = [];
  Module.vorTakeKey = () => keys.shift() || 0;
  Module.vorTakeChar = () => chars.shift() || 0;

  const style = document.createElement('style');
  style.textContent = `
    #vor-touch { display: none; gap: .5em; align-items: center; flex-wrap: wrap;
                 justify-content: flex-end; z-index: 10; }
    #vor-touch.shown { display: flex; }
    /* Stacked, so they stay in the bar beside a landscape frame, or under a portrait one. */
    #vor-touch.corner { position: fixed; right: .5em; bottom: 2.3em; flex-direction: column;
                        align-items: flex-end; }
    #vor-touch button { font: 16px/1 sans-serif; min-width: 3.2em; min-height: 2.6em;
                        color: #d0d0d0; background: #262626cc; border: 1px solid #555;
                        border-radius: 6px; padding: 0 .8em; touch-action: manipulation; }
    #vor-touch button[hidden], #vor-touch input[hidden] { display: none; }
    #vor-touch input { font: 16px sans-serif; width: 8em; height: 2.2em; padding: 0 .4em;
                       color: #e0e0e0; background: #1e1e1e; border: 1px solid #777;
                       border-radius: 4px; }
  `;
  document.head.appendChild(style);

  const box = document.createElement('div');
  box.id = 'vor-touch';
  const menu = document.createElement('button');
  menu.type = 'button';
  menu.id = 'vor-touch-menu';
  menu.textContent = 'Menu';
  menu.title = 'Escape';
  const waited = document.createElement('button');
  waited.type = 'button';
  waited.id = 'vor-touch-key';
  waited.hidden = true;
  const name = document.createElement('input');
  name.id = 'vor-name';
  name.type = 'text';
  name.maxLength = 10;
  name.autocomplete = 'off';
  name.spellcheck = false;
  name.setAttribute('autocapitalize', 'off');
  name.setAttribute('enterkeyhint', 'done');
  name.setAttribute('aria-label', 'Your name');
  name.placeholder = 'Your name';
  name.hidden = true;
  box.append(name, waited, menu);

  function place() {
    const controls = document.getElementById('controls');
    if (controls) {
      box.classList.remove('corner');
      if (box.parentNode !== controls) controls.appendChild(box);
    } else {
      box.classList.add('corner');
      if (box.parentNode !== document.body) document.body.appendChild(box);
    }
  }
  if (document.body) place();
  else document.addEventListener('DOMContentLoaded', place);

  let shown = false;
  function show() {
    if (shown) return;
    shown = true;
    place();
    box.classList.add('shown');
  }
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches) show();
  window.addEventListener('touchstart', show, { capture: true, passive: true });

  // A key of the page is the game's; pressing one keeps the focus where it is (the text field
  // keeps the phone's keyboard up).
  for (const button of [menu, waited]) {
    button.addEventListener('mousedown', e => e.preventDefault());
    button.addEventListener('click', () => {
      const code = Number(button.dataset.key);
      if (code) keys.push(code);
    });
  }
  menu.dataset.key = String(Escape);

  // ---- The name: what the field holds is what the game was sent ----

  let sent = [];
  function codePoints(text) {
    return Array.from(text, c => c.codePointAt(0));
  }
  name.addEventListener('input', () => {
    if (name.hidden) return;
    const now = codePoints(name.value);
    let same = 0;
    while (same < now.length && same < sent.length && now[same] === sent[same]) ++same;
    for (let i = same; i < sent.length; ++i) chars.push(8);
    for (let i = same; i < now.length; ++i) chars.push(now[i]);
    sent = now;
  });
  // The field's keys are not the game's keys: only what they type reaches the game.
  for (const type of ['keydown', 'keypress', 'keyup']) {
    name.addEventListener(type, e => {
      e.stopPropagation();
      if (type !== 'keydown' || e.isComposing) return;
      if (e.key === 'Enter') {
        e.preventDefault();
        chars.push(13);
      } else if (e.key === 'Backspace' && name.value === '') {
        // Nothing of the field's to delete: the name the game had before.
        chars.push(8);
      }
    });
  }
  function openName(open) {
    if (open === !name.hidden) return;
    name.hidden = !open;
    name.value = '';
    sent = [];
    if (open) {
      show();
      name.focus({ preventScroll: true });
    } else {
      name.blur();
      const canvas = document.getElementById('canvas');
      if (canvas) canvas.focus({ preventScroll: true });
    }
  }
  // A touch on the game while the name is asked for brings the keyboard back (browsers show it
  // only for a focus given in answer to a touch).
  document.addEventListener('touchend', e => {
    if (!name.hidden && e.target !== name) name.focus({ preventScroll: true });
  }, true);

  // The game tells every screen it shows: its state and the key it waits for (0 for none).
  Module.vorScreen = (state, waitedKey) => {
    menu.hidden = state <= MainMenu || state === EnterName;
    waited.hidden = !waitedKey;
    waited.dataset.key = String(waitedKey);
    waited.textContent = keyNames[waitedKey] || 'Key';
    openName(state === EnterName);
  };
})();
