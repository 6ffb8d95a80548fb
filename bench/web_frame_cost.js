// The web page's own time a frame: the page in Debian's headless Chromium at
// a given size in device pixels, one favorite, paced as the page paces
// itself (the saver's 33 ms); after a settling span, the mean and median of
// the time its animation callback spends on a frame (the field's step in
// WebAssembly, the conversion to the canvas's pixels and putting them on the
// canvas) and the share of that which putImageData takes, over the last 240
// frames, and the grains running then (the frame-rate control thins them
// where frames come slower than the saver's target). Run through
// scripts/web_frame_cost.sh, which also gives the native saver's figure
// beside it.
//
//   node bench/web_frame_cost.js [--favorite NAME] [--size WxH] [--seconds N] [--link QUERY]
'use strict';

const path = require('path');
const {launch, openPage, paths, serve} = require(path.join(__dirname, '..', 'tests', 'web', 'support.js'));

function options() {
  const o = {favorite: 'Clouds of Light', size: '1920x1080', seconds: 12, link: ''};
  const args = process.argv.slice(2);
  for (let k = 0; k < args.length; k += 2) {
    const name = args[k].replace(/^--/, '');
    if (!(name in o) || k + 1 >= args.length) {
      console.error(`usage: node bench/web_frame_cost.js [--favorite NAME] [--size WxH] [--seconds N] [--link QUERY]`);
      process.exit(2);
    }
    o[name] = args[k + 1];
  }
  return o;
}

(async () => {
  const o = options();
  const [width, height] = o.size.split('x').map(Number);
  const server = await serve(paths().web);
  const browser = await launch({width, height, deviceScaleFactor: 1});
  try {
    const link = o.link || `?favorite=${encodeURIComponent(o.favorite)}`;
    const page = await openPage(browser, server.url + link);
    await new Promise((resolve) => setTimeout(resolve, Number(o.seconds) * 1000));
    const s = await page.evaluate(() => window.brindlemar.frameStats());
    if (page.errors.length) throw new Error(page.errors.join('; '));
    console.log(`web page ${link} at ${s.width}x${s.height}: ${s.meanMs.toFixed(2)} ms a frame ` +
                `(median ${s.medianMs.toFixed(2)} ms, of which putImageData ${s.drawMeanMs.toFixed(2)} ms), ` +
                `${s.fps.toFixed(1)} frames a second over the last ${s.frames} frames, ${s.grains} grains running`);
  } finally {
    await browser.close();
    server.close();
  }
})().catch((error) => {
  console.error(`web_frame_cost: ${error.stack || error}`);
  process.exit(1);
});
