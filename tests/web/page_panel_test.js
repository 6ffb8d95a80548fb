// The panel. With the keyboard alone: Tab shows it with its first control
// focused, each control is labelled and changes the picture and the link,
// Escape hides it. With the pointer: hidden (and the pointer too) until the
// pointer moves, then shown until it rests a while or the picture is
// clicked. The last choice is kept for the next visit.
'use strict';

const {openPage, run, waitFor} = require('./support.js');

async function panelState(page) {
  return page.evaluate(() => ({
    shown: document.getElementById('panel').dataset.shown === 'true',
    visible: getComputedStyle(document.getElementById('panel')).visibility === 'visible',
    pointer: getComputedStyle(document.body).cursor,
    focus: document.activeElement ? document.activeElement.id : '',
    search: location.search,
  }));
}

async function expectPanel(page, shown, focus, what) {
  const state = await waitFor(what, async () => {
    const now = await panelState(page);
    const settled = now.shown === shown && now.visible === shown;
    return settled && (focus === undefined || now.focus === focus) ? now : null;
  }, 10000).catch(async () => {
    throw new Error(`${what}: the panel is ${JSON.stringify(await panelState(page))}`);
  });
  return state;
}

run('web page panel', async ({server, browser}) => {
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

  // The pointer: hidden with the panel; a move shows both, and they go
  // again when it rests or clicks the picture.
  const rest = await expectPanel(page, false, undefined, 'the panel hidden before the pointer moves');
  if (rest.pointer !== 'none') throw new Error(`the pointer shows at rest: ${JSON.stringify(rest)}`);
  await page.mouse.move(200, 300);
  await page.mouse.move(220, 320);
  const moved = await expectPanel(page, true, undefined, 'a move of the pointer shows the panel');
  if (moved.pointer === 'none') throw new Error(`the pointer stays hidden after a move: ${JSON.stringify(moved)}`);
  await expectPanel(page, false, undefined, 'the panel hidden once the pointer rests');
  await page.mouse.move(240, 330);
  await expectPanel(page, true, undefined, 'another move shows it again');
  await page.mouse.click(240, 330);
  // At once, not when the pointer has rested.
  if ((await panelState(page)).shown) throw new Error('a click on the picture leaves the panel shown');
  await expectPanel(page, false, undefined, 'a click on the picture hides it');
  if (page.errors.length) throw new Error(`the page reported: ${page.errors.join('; ')}`);

  // The next visit without a link starts from the last choice.
  const again = await openPage(browser, server.url);
  const restored = await again.evaluate(() => ({search: location.search, query: window.brindlemar.query()}));
  if (restored.search !== toggled || restored.query !== toggled) {
    throw new Error(`the next visit opens ${JSON.stringify(restored)}, not ${toggled}`);
  }
}, {width: 900, height: 640});
