// A bad parameter in the link: a visible message names it and says why, the
// page runs with the rest of the link, and what the link holds is shown as
// text, never made into the page's markup. A link of more parameters than
// the page reads names the first it left out.
'use strict';

const {openPage, run, waitFor} = require('./support.js');

run('web page problems', async ({server, browser}) => {
  const link = '?grains=lots&favorite=Corona&%3Cimg%20src%3Dx%20onerror%3Dalert(1)%3E=1&clock=on';
  const dialogs = [];
  const page = await openPage(browser, server.url + link);
  page.on('dialog', async (dialog) => {
    dialogs.push(dialog.message());
    await dialog.dismiss();
  });
  const box = await page.$('#problems');
  if (!box || !(await box.isVisible())) throw new Error('no message is shown');
  const lines = await page.$$eval('#problem-list li', (items) => items.map((item) => item.textContent));
  const expect = [
    ['grains=lots', '--grains expects a whole number'],
    ['<img src=x onerror=alert(1)>=1', "unknown option '--<img src'"],
    ['clock=on', '--clock takes no value'],
  ];
  if (lines.length !== expect.length) throw new Error(`the message lists ${JSON.stringify(lines)}`);
  expect.forEach(([parameter, reason], k) => {
    if (!lines[k].includes(`"${parameter}"`) || !lines[k].includes(reason)) {
      throw new Error(`line ${k + 1} says "${lines[k]}", not "${parameter}" with "${reason}"`);
    }
  });
  const markup = await page.evaluate(() => document.querySelectorAll('img').length);
  if (markup !== 0) throw new Error('text from the link became markup');

  // The rest of the link counts: Corona runs, and the panel says so.
  await waitFor('frames of the picture', () => page.evaluate(() => window.brindlemar.frameStats().frames >= 5));
  const favorite = await page.$eval('#control-favorite', (select) => select.selectedOptions[0].textContent);
  if (favorite !== 'Corona') throw new Error(`the panel shows "${favorite}"`);
  if (dialogs.length) throw new Error(`the link ran script: ${dialogs.join('; ')}`);

  await page.click('#problems-close');
  if (await box.isVisible()) throw new Error('the message stays after Dismiss');

  const longLink = `?favorite=Corona${'&fps'.repeat(199)}&zodiac${'&fps'.repeat(1000)}`;
  const long = await openPage(browser, server.url + longLink);
  const cut = await long.$$eval('#problem-list li', (items) => items.map((item) => item.textContent));
  if (cut.length !== 1 || !cut[0].includes('"zodiac"') || !cut[0].includes('at most 200 parameters')) {
    throw new Error(`a long link's message lists ${JSON.stringify(cut)}`);
  }
  await waitFor('frames of the long link', () => long.evaluate(() => window.brindlemar.frameStats().shown >= 5));
}, {width: 800, height: 600});
