// A page out of sight: the browser stops its animation callbacks, and while
// it is away the computer "sleeps" three hours (the calendar jumps, as after
// a sleep). Back in sight, the page runs on at once, with its grains (its
// frame-rate control did not take the pause for a slow machine), and the
// clock face shows the calendar's hour, not the one before the pause.
'use strict';

const {openPage, readPng, run, waitFor} = require('./support.js');

const kWidth = 800;
const kHeight = 600;
const kBefore = Date.UTC(2026, 5, 1, 10, 0, 30);  // the hour hand at 10, the second hand at 6
const kAfter = kBefore + 3 * 3600 * 1000;       // at 1
const kAwayMs = 10000;

// White pixels in a thin band along the hour hand's direction at hour, where
// its outline runs from the shoulder to the tip.
function whiteAlongHourHand(png, hour) {
  const cx = kWidth / 2;
  const cy = kHeight / 2 - 2;  // the frame image's first two rows are hidden
  const angle = (hour / 12) * 2 * Math.PI - Math.PI / 2;
  let white = 0;
  for (let r = 0.12 * kHeight; r <= 0.24 * kHeight; r += 1) {
    for (let side = -8; side <= 8; ++side) {
      const x = Math.round(cx + r * Math.cos(angle) - side * Math.sin(angle));
      const y = Math.round(cy + r * Math.sin(angle) + side * Math.cos(angle));
      const at = (y * png.width + x) * 3;
      white += png.rgb[at] === 255 && png.rgb[at + 1] === 255 && png.rgb[at + 2] === 255 ? 1 : 0;
    }
  }
  return white;
}

async function expectHour(page, hour, other, when) {
  const shot = readPng(await page.screenshot({type: 'png'}));
  const [on, off] = [whiteAlongHourHand(shot, hour), whiteAlongHourHand(shot, other)];
  if (on < 40 || off > 10) {
    throw new Error(`${when}: ${on} white pixels along the hour hand at ${hour} and ${off} at ${other}; ` +
                    `the clock should read ${hour} o'clock`);
  }
}

run('web page pause', async ({server, browser}) => {
  // The page's calendar, held still so that the hands stand where the test
  // looks for them; window.setMoment moves it.
  const holdCalendar = async (page) => {
    await page.emulateTimezone('UTC');
    await page.evaluateOnNewDocument((moment) => {
      const RealDate = Date;
      window.Date = class extends RealDate {
        constructor(...args) {
          if (args.length) super(...args); else super(moment);
        }
        static now() {
          return moment;
        }
      };
      window.setMoment = (ms) => { moment = ms; };
    }, kBefore);
  };
  const stats = (p) => p.evaluate(() => window.brindlemar.frameStats());

  const shown = await openPage(browser, `${server.url}?favorite=Corona&no-trails&grains=1500&clock`, holdCalendar);
  const at = await waitFor('the first hundred frames', async () => {
    const s = await stats(shown);
    return s.shown >= 100 ? s : null;
  });
  await expectHour(shown, 10, 1, 'before the pause');

  const other = await browser.newPage();
  await other.bringToFront();
  await waitFor('the page out of sight', () => shown.evaluate(() => document.visibilityState === 'hidden'), 20000);
  const away = await stats(shown);
  await shown.evaluate((ms) => window.setMoment(ms), kAfter);
  await new Promise((resolve) => setTimeout(resolve, kAwayMs));  // the length of the pause, not a wait for it
  const still = await stats(shown);
  if (still.shown !== away.shown) throw new Error(`the page ran ${still.shown - away.shown} frames out of sight`);

  await shown.bringToFront();
  // Past two of the frame-rate control's checks, two seconds apart.
  const back = await waitFor('frames after the pause', async () => {
    const s = await stats(shown);
    return s.shown >= away.shown + 150 ? s : null;
  });
  if (back.grains !== at.grains) {
    throw new Error(`the page runs ${back.grains} grains after the pause, ${at.grains} before: ` +
                    'the pause was taken for a slow machine');
  }
  await expectHour(shown, 1, 10, 'after the pause');
  if (shown.errors.length) throw new Error(`the page reported: ${shown.errors.join('; ')}`);
}, {width: kWidth, height: kHeight});
