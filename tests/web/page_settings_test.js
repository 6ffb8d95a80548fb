// A link's settings show on the live page: with "clock" in it, the clock
// face's hands meet at the centre of the screenshot and the "12" stands at
// the top, drawn in white as the renderer draws them.
'use strict';

const {openPage, readPng, run, waitFor} = require('./support.js');

const kWidth = 800;
const kHeight = 600;

function white(png, x, y) {
  const at = (y * png.width + x) * 3;
  return png.rgb[at] === 255 && png.rgb[at + 1] === 255 && png.rgb[at + 2] === 255;
}

run('web page settings', async ({server, browser}) => {
  const page = await openPage(browser, `${server.url}?favorite=Clouds%20of%20Color&clock`);
  await waitFor('the first frames', () => page.evaluate(() => window.brindlemar.frameStats().frames >= 3));
  const shot = readPng(await page.screenshot({type: 'png'}));
  // The face is drawn on the frame image, whose first two rows are hidden.
  const cx = kWidth / 2;
  const cy = kHeight / 2 - 2;
  if (!white(shot, cx, cy)) throw new Error(`the clock's centre (${cx}, ${cy}) is not white`);
  const size = Math.floor(kHeight / 27);
  const top = Math.round(cy - 0.45 * kHeight);
  let strokes = 0;
  for (let y = top - size - 2; y <= top + size + 2; ++y) {
    for (let x = cx - 2 * size; x <= cx + 2 * size; ++x) strokes += white(shot, x, y) ? 1 : 0;
  }
  if (strokes < 2 * size) throw new Error(`only ${strokes} white pixels where the "12" stands`);
  const query = await page.evaluate(() => window.brindlemar.query());
  if (query !== '?favorite=Clouds%20of%20Color&clock') throw new Error(`the page reads the link as ${query}`);
  const overlay = await page.$eval('#control-overlay', (select) => select.selectedOptions[0].textContent);
  if (overlay !== 'Clock face') throw new Error(`the panel says the clock is "${overlay}"`);
  if (page.errors.length) throw new Error(`the page reported: ${page.errors.join('; ')}`);
}, {width: kWidth, height: kHeight});
