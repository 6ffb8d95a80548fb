// The page's picture is the renderer's: for the same settings, seed, size
// and frame count, the still picture of a link with frames=N holds the same
// bytes as brindlemar-render's PNG, in the page's frame and on its canvas.
// The text of the show is the bitmap font's on the page, so the renderer is
// asked for it (--bitmap-font) where a case has text.
'use strict';

const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {openPage, paths, readPng, run} = require('./support.js');

const kCases = [
  {name: 'a favorite', link: {favorite: 'Corona'}, render: ['--preset', 'Corona'], seed: 3, size: '320x240',
   frames: 150},
  {name: 'a regenerating configuration from options',
   link: {configuration: 'Spinning Sprayer', grains: '3000', 'dot-style': 'sparkles'},
   render: ['--configuration', 'Spinning Sprayer', '--grains', '3000', '--dot-style', 'sparkles'], seed: 7,
   size: '320x240', frames: 200},
  {name: 'a regenerating favorite with trails', link: {favorite: 'Brindlemar Falls'},
   render: ['--preset', 'Brindlemar Falls'], seed: 11, size: '400x300', frames: 160},
  {name: 'reflections', link: {favorite: 'Crystalline Snowflake'}, render: ['--preset', 'Crystalline Snowflake'],
   seed: 2, size: '320x240', frames: 120},
  {name: 'reflections from options', link: {favorite: 'Corona', reflections: '5', symmetric: null,
                                            dimensionality: 'Recursive', 'dot-style': 'Large Dots'},
   render: ['--preset', 'Corona', '--reflections', '5', '--symmetric', '--dimensionality', 'Recursive',
            '--dot-style', 'Large Dots'], seed: 4, size: '320x200', frames: 100},
  {name: 'dithered trails at a larger size', link: {favorite: "Will-O'-The-Wisp"},
   render: ['--preset', "Will-O'-The-Wisp"], seed: 9, size: '640x480', frames: 90},
  {name: 'the clock face at a fixed time',
   link: {favorite: 'Brindlemar Falls', clock: null, 'start-time': '2026-12-10 10:08:30'},
   render: ['--preset', 'Brindlemar Falls', '--clock', '--start-time', '2026-12-10 10:08:30'], seed: 1,
   size: '480x360', frames: 120},
  {name: 'the zodiac and the frame rate in the bitmap font',
   link: {favorite: 'Clouds of Light', zodiac: null, fps: null, 'start-time': '2026-03-21 21:00:00'},
   render: ['--preset', 'Clouds of Light', '--zodiac', '--fps-text', '--start-time', '2026-03-21 21:00:00',
            '--bitmap-font'], seed: 6, size: '480x360', frames: 100},
  {name: 'a pop-up message',
   link: {favorite: 'Feathers', message: 'Brindlemar\\rspells in grains', 'min-time': '2', 'max-time': '2'},
   render: ['--preset', 'Feathers', '--message', 'Brindlemar\\rspells in grains', '--min-time', '2',
            '--max-time', '2', '--bitmap-font'], seed: 5, size: '400x300', frames: 150},
  {name: 'random favorites with their zoom-outs and captions', link: {random: null, 'min-time': '3', 'max-time': '4'},
   render: ['--random', '--min-time', '3', '--max-time', '4', '--bitmap-font'], seed: 2, size: '240x180',
   frames: 400},
];

function query(link) {
  return '?' + Object.entries(link)
    .map(([name, value]) => encodeURIComponent(name) + (value === null ? '' : '=' + encodeURIComponent(value)))
    .join('&');
}

// What the page's canvas shows, red, green, blue in base64 (run in the page).
function canvasPixels() {
  const canvas = document.getElementById('field');
  const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  const rgb = [];
  for (let k = 0; k < rgba.length; k += 4) rgb.push(String.fromCharCode(rgba[k], rgba[k + 1], rgba[k + 2]));
  return btoa(rgb.join(''));
}

function firstDifference(a, b, width) {
  for (let k = 0; k < Math.min(a.length, b.length); ++k) {
    if (a[k] !== b[k]) return `pixel (${Math.floor(k / 3) % width}, ${Math.floor(k / 3 / width)})`;
  }
  return 'the sizes';
}

run('web page fidelity', async ({server, browser}) => {
  const {render} = paths();
  if (!render || !fs.existsSync(render)) {
    throw new Error(`no native renderer at ${render}: build the native preset (the wasm preset's ` +
                    'BRINDLEMAR_NATIVE_BUILD) first');
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'brindlemar-fidelity-'));
  const failures = [];
  try {
    for (const c of kCases) {
      const link = {...c.link, seed: String(c.seed), size: c.size, frames: String(c.frames)};
      const page = await openPage(browser, server.url + query(link));
      const still = await page.evaluate(() => window.brindlemar.still());
      const pageRgb = Buffer.from(await page.evaluate(() => window.brindlemar.pixels()), 'base64');
      const canvasRgb = Buffer.from(await page.evaluate(canvasPixels), 'base64');
      const problems = await page.$$eval('#problem-list li', (items) => items.map((item) => item.textContent));
      await page.close();

      const png = path.join(work, 'frame.png');
      execFileSync(render, [...c.render, '--seed', String(c.seed), '--size', c.size, '--frames', String(c.frames),
                            '--out', png]);
      const native = readPng(fs.readFileSync(png));
      let differing = 0;
      for (let k = 0; k < Math.min(native.rgb.length, pageRgb.length); ++k) differing += native.rgb[k] !== pageRgb[k];
      const onCanvas = canvasRgb.equals(pageRgb);
      const same = problems.length === 0 && native.width === still.width && native.height === still.height &&
                   native.rgb.equals(pageRgb) && onCanvas;
      console.log(`${same ? 'same' : 'DIFFERENT'}: ${c.name} (${query(link)}): ${differing} of ${pageRgb.length} ` +
                  `bytes differ, page hash ${still.hash}`);
      if (!same) {
        failures.push(`${c.name}: ${problems.length ? 'the link had problems: ' + problems.join('; ') + '; ' : ''}` +
                      `${onCanvas ? '' : 'the canvas shows other bytes than the frame; '}` +
                      `${still.width}x${still.height} against ${native.width}x${native.height}, ` +
                      `${differing} bytes differ, the first at ${firstDifference(native.rgb, pageRgb, native.width)}`);
      }
    }
  } finally {
    fs.rmSync(work, {recursive: true, force: true});
  }
  if (failures.length) throw new Error(`the page's picture is not the renderer's:\n  ${failures.join('\n  ')}`);
});
