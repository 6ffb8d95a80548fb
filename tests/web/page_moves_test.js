// The live page: the field fills the page at the device's pixels, also once
// the page is resized, and its grains move (two screenshots of the page
// differ, and neither is black).
'use strict';

const {openPage, readPng, run, waitFor} = require('./support.js');

function litPixels(png) {
  let lit = 0;
  for (let k = 0; k < png.rgb.length; k += 3) lit += png.rgb[k] || png.rgb[k + 1] || png.rgb[k + 2] ? 1 : 0;
  return lit;
}

run('web page moves', async ({server, browser}) => {
  const page = await openPage(browser, `${server.url}?favorite=Swirling%20Sparkles`);
  const fills = () => page.evaluate(() => {
    const canvas = document.getElementById('field');
    const size = {width: canvas.width, height: canvas.height, ratio: devicePixelRatio, page: [innerWidth, innerHeight]};
    size.fills = size.width === Math.round(innerWidth * devicePixelRatio) &&
                 size.height === Math.round(innerHeight * devicePixelRatio);
    return size;
  });
  for (const viewport of [null, {width: 500, height: 420, deviceScaleFactor: 1.5}]) {
    if (viewport) await page.setViewport(viewport);
    await waitFor('the canvas to fill the page', async () => (await fills()).fills, 20000).catch(async () => {
      throw new Error(`the canvas does not fill the page: ${JSON.stringify(await fills())}`);
    });
  }
  const frames = () => page.evaluate(() => window.brindlemar.frameStats().frames);
  await waitFor('the first frames', async () => (await frames()) >= 5);
  const first = readPng(await page.screenshot({type: 'png'}));
  const seen = await frames();
  await waitFor('ten more frames', async () => (await frames()) >= Math.min(seen + 10, 240));
  const second = readPng(await page.screenshot({type: 'png'}));
  if (litPixels(first) < 100 || litPixels(second) < 100) throw new Error('the page shows no grains');
  if (first.rgb.equals(second.rgb)) throw new Error('two screenshots ten frames apart are the same: nothing moves');
  if (page.errors.length) throw new Error(`the page reported: ${page.errors.join('; ')}`);
}, {width: 640, height: 400, deviceScaleFactor: 2});
