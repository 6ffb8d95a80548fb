// The panel with the keyboard alone: Tab shows it with its first control
// focused, each control is labelled and changes the picture and the link,
// Escape hides it; the last choice is kept for the next visit.
'use strict';

const {openPage, run, waitFor} = require('./support.js');

async function panelState(page) {
  return page.evaluate(() => ({
    shown: document.getElementById('panel').dataset.shown === 'true',
    focus: document.activeElement ? document.activeElement.id : '',
    search: location.search,
  }));
}

async function expectPanel(page, shown, focus, what) {
  const state = await waitFor(what, async () => {
    const now = await panelState(page);
    return now.shown === shown && (focus === undefined || now.focus === focus) ? now : null;
  }, 10000).catch(async () => {
    throw new Error(`${what}: the panel is ${JSON.stringify(await panelState(page))}`);
  });
  return state;
}

run('web page keyboard', async ({server, browser}) => {
  const page = await openPage(browser, server.url);
  await expectPanel(page, false, undefined, 'the panel hidden at first');

  // Every control has a label that names it.
  const unlabelled = await page.$$eval('#controls select, #controls input', (inputs) =>
    inputs.filter((input) => !input.labels.length || !input.labels[0].textContent.trim()).map((input) => input.id));
  if (unlabelled.length) throw new Error(`controls without a label: ${unlabelled.join(', ')}`);

  await page.keyboard.press('Tab');
  await expectPanel(page, true, 'control-favorite', 'Tab shows the panel at its first control');

  // A favorite by typing its first letters, as a list box takes them.
  await page.keyboard.type('Cor', {delay: 50});
  await waitFor('the link to name Corona', async () => (await panelState(page)).search === '?favorite=Corona', 10000);

  // Four controls on: the grains.
  for (let k = 0; k < 4; ++k) await page.keyboard.press('Tab');
  await expectPanel(page, true, 'control-grains', 'Tab moves to the grains');
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('Control');
  await page.keyboard.type('3000');
  await page.keyboard.press('Enter');
  await waitFor('the link to give 3000 grains',
                async () => (await panelState(page)).search === '?favorite=Corona&grains=3000', 10000);

  await page.keyboard.press('Tab');
  await expectPanel(page, true, 'control-trails', 'Tab moves to the trails');
  const trails = await page.$eval('#control-trails', (box) => box.checked);
  await page.keyboard.press('Space');
  const toggled = `?favorite=Corona&grains=3000&${trails ? 'no-trails' : 'trails'}`;
  await waitFor(`the link to read ${toggled}`, async () => (await panelState(page)).search === toggled, 10000);

  await page.keyboard.press('Escape');
  const hidden = await expectPanel(page, false, undefined, 'Escape hides the panel');
  if (hidden.focus.startsWith('control-')) throw new Error(`the hidden panel keeps the focus on ${hidden.focus}`);
  await page.keyboard.press('Enter');
  await expectPanel(page, true, 'control-favorite', 'Enter brings the panel back');
  await page.keyboard.press('Escape');
  await expectPanel(page, false, undefined, 'Escape hides it again');
  if (page.errors.length) throw new Error(`the page reported: ${page.errors.join('; ')}`);

  // The next visit without a link starts from the last choice.
  const again = await openPage(browser, server.url);
  const restored = await again.evaluate(() => ({search: location.search, query: window.brindlemar.query()}));
  if (restored.search !== toggled || restored.query !== toggled) {
    throw new Error(`the next visit opens ${JSON.stringify(restored)}, not ${toggled}`);
  }
}, {width: 900, height: 640});
