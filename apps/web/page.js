// Brindlemar's web page: the browser's side of the field that brindlemar.wasm
// runs. Everything the animation is, the link's reading and the panel's
// controls come from there (apps/web/web_page.h); this script sizes the
// canvas to the page in device pixels, offers frames at the animation
// callbacks' times, puts each frame on the canvas, and shows the panel and
// the link's problems. Texts from the link are only ever set as text.
//
// window.brindlemar is for tests and tools: ready (a promise), still() (the
// still picture of a link with frames=N: its size and hash), pixels() (the
// frame's red, green, blue bytes in base64), frameStats() (with the frames
// shown since the opening and the grains running now) and query().
'use strict';

(() => {
  const kStoreKey = 'brindlemar.link';
  const kStillChunk = 10;         // frames between chances for the browser to breathe
  const kPanelLingerMs = 3000;    // the panel stays this long after the pointer stops
  const kResizeSettleMs = 200;    // a resize restarts the field once it settles
  const kStatsFrames = 240;       // frames the frame statistics cover

  const canvas = document.getElementById('field');
  const context = canvas.getContext('2d', {alpha: false});
  const panel = document.getElementById('panel');
  const controlsBox = document.getElementById('controls');
  const settingsButton = document.getElementById('settings-button');
  const problemsBox = document.getElementById('problems');
  const problemList = document.getElementById('problem-list');

  let module = null;
  let current = null;       // what the last opening said: query, problems, size, still
  let stillDone = null;     // resolves with the still picture's description
  let stillPromise = null;
  let hideTimer = 0;
  let resizeTimer = 0;
  const frameCosts = [];    // the page's own time a frame: the field's step and the canvas
  const drawCosts = [];     // of which putting the frame on the canvas
  const frameTimes = [];
  let framesShown = 0;

  function call(name, returns, types, args) {
    return module.ccall(name, returns, types, args);
  }

  function text(pointer) {
    return module.UTF8ToString(pointer);
  }

  function json(pointer) {
    return JSON.parse(text(pointer));
  }

  // The canvas's box in device pixels.
  function pageSize() {
    const box = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    return [Math.max(1, Math.round(box.width * ratio)), Math.max(1, Math.round(box.height * ratio))];
  }

  function localTimeMs() {
    const now = new Date();
    return now.getTime() - now.getTimezoneOffset() * 60000;
  }

  function randomSeed() {
    const word = new Uint32Array(1);
    crypto.getRandomValues(word);
    return word[0] & 0x7fffffff;
  }

  function draw() {
    const width = call('PageWidth', 'number', [], []);
    const height = call('PageHeight', 'number', [], []);
    const pixels = call('PagePixels', 'number', [], []);
    if (!pixels || width <= 0 || height <= 0) return;
    const bytes = new Uint8ClampedArray(module.HEAPU8.buffer, pixels, width * height * 4);
    context.putImageData(new ImageData(bytes, width, height), 0, 0);
  }

  function showProblems(result) {
    problemList.replaceChildren();
    const lines = result.problems.map((p) => `"${p.parameter}": ${p.message}`);
    if (result.error) lines.push(`The picture could not start: ${result.error}`);
    for (const line of lines) {
      const item = document.createElement('li');
      item.textContent = line;
      problemList.append(item);
    }
    problemsBox.hidden = lines.length === 0;
  }

  // Reads the link and starts its field; remember keeps it as the last
  // choice in local storage.
  function open(query, remember) {
    const [width, height] = pageSize();
    current = json(call('PageOpen', 'number', ['string', 'number', 'number', 'number', 'number', 'number'],
                        [query, width, height, performance.now(), localTimeMs(), randomSeed()]));
    canvas.width = Math.max(1, current.width);
    canvas.height = Math.max(1, current.height);
    showProblems(current);
    frameCosts.length = 0;
    drawCosts.length = 0;
    frameTimes.length = 0;
    framesShown = 0;
    if (remember && current.still === 0) {
      try {
        localStorage.setItem(kStoreKey, current.query);
      } catch (e) {
        // A browser that keeps nothing still shows the picture.
      }
    }
    if (current.still > 0) renderStill();
    refreshPanel();
  }

  async function renderStill() {
    const opened = current;
    let left;
    do {
      left = call('PageRunStill', 'number', ['number'], [kStillChunk]);
      await new Promise((resolve) => setTimeout(resolve, 0));
      if (current !== opened) return;
    } while (left > 0);
    draw();
    stillDone({width: current.width, height: current.height, frames: current.still,
               hash: text(call('PagePixelHash', 'number', [], []))});
  }

  function animate(now) {
    requestAnimationFrame(animate);
    if (!current || current.still > 0) return;
    const started = performance.now();
    if (!call('PageAnimate', 'number', ['number', 'number'], [now, localTimeMs()])) return;
    const stepped = performance.now();
    draw();
    const drawn = performance.now();
    // The wait for the next callback from here tells a pause of the page
    // (out of sight) from a slow frame.
    call('PageFrameShown', null, ['number'], [drawn]);
    ++framesShown;
    for (const [list, value] of [[frameCosts, drawn - started], [drawCosts, drawn - stepped], [frameTimes, now]]) {
      list.push(value);
      if (list.length > kStatsFrames) list.shift();
    }
  }

  // The panel: built once from the controls' description, its values
  // brought up to date whenever it shows.
  function buildPanel() {
    for (const control of json(call('PagePanel', 'number', [], []))) {
      const id = `control-${control.id}`;
      const label = document.createElement('label');
      label.htmlFor = id;
      label.textContent = control.label;
      let input;
      if (control.kind === 'choice') {
        input = document.createElement('select');
        control.choices.forEach((choice, index) => {
          const option = document.createElement('option');
          option.value = String(index);
          option.textContent = choice;
          input.append(option);
        });
      } else {
        input = document.createElement('input');
        input.type = control.kind === 'number' ? 'number' : 'checkbox';
        if (control.kind === 'number') {
          input.min = String(control.min);
          input.max = String(control.max);
          input.inputMode = 'numeric';
        }
      }
      input.id = id;
      input.dataset.control = control.id;
      input.addEventListener('change', () => change(input));
      controlsBox.append(label, input);
    }
  }

  function refreshPanel() {
    for (const control of json(call('PagePanel', 'number', [], []))) {
      const input = document.getElementById(`control-${control.id}`);
      if (!input) continue;
      if (input.type === 'checkbox') {
        input.checked = control.value !== 0;
      } else {
        input.value = String(control.value);
      }
    }
  }

  function change(input) {
    let value = input.type === 'checkbox' ? (input.checked ? 1 : 0) : Number.parseInt(input.value, 10);
    if (!Number.isFinite(value)) {
      refreshPanel();
      return;
    }
    const result = json(call('PageChange', 'number', ['string', 'number'], [input.dataset.control, value]));
    if (result.error !== undefined) return;
    history.replaceState(null, '', location.pathname + result.query + location.hash);
    open(result.query, true);
  }

  function panelShown() {
    return panel.dataset.shown === 'true';
  }

  function showPanel(focusFirst) {
    if (!panelShown()) refreshPanel();
    panel.dataset.shown = 'true';
    settingsButton.dataset.shown = 'true';
    settingsButton.setAttribute('aria-expanded', 'true');
    document.body.classList.remove('idle');
    if (focusFirst) controlsBox.querySelector('select, input')?.focus();
    lingerPanel();
  }

  function hidePanel() {
    clearTimeout(hideTimer);
    panel.dataset.shown = 'false';
    settingsButton.dataset.shown = 'false';
    settingsButton.setAttribute('aria-expanded', 'false');
    document.body.classList.add('idle');
    if (panel.contains(document.activeElement) || document.activeElement === settingsButton) canvas.focus();
  }

  // Hides the panel once the pointer has rested a while, unless the user is
  // at it.
  function lingerPanel() {
    clearTimeout(hideTimer);
    hideTimer = setTimeout(() => {
      if (panel.contains(document.activeElement) || panel.matches(':hover') || settingsButton.matches(':hover')) {
        lingerPanel();
      } else {
        hidePanel();
      }
    }, kPanelLingerMs);
  }

  function wireInput() {
    document.addEventListener('pointermove', () => showPanel(false));
    canvas.addEventListener('click', hidePanel);
    settingsButton.addEventListener('click', () => (panelShown() ? hidePanel() : showPanel(true)));
    document.getElementById('problems-close').addEventListener('click', () => {
      problemsBox.hidden = true;
      canvas.focus();
    });
    panel.addEventListener('submit', (event) => event.preventDefault());
    panel.addEventListener('focusin', () => showPanel(false));
    document.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') {
        hidePanel();
        event.preventDefault();
        return;
      }
      const onPage = event.target === document.body || event.target === canvas;
      if (onPage && !panelShown() && (event.key === 'Tab' || event.key === 'Enter' || event.key === ' ')) {
        showPanel(true);
        event.preventDefault();
      }
    });
    const settle = () => {
      clearTimeout(resizeTimer);
      resizeTimer = setTimeout(() => {
        const [width, height] = pageSize();
        if (current && current.still === 0 && !current.fixedSize &&
            (width !== current.width || height !== current.height)) {
          open(current.query, false);
        }
      }, kResizeSettleMs);
    };
    new ResizeObserver(settle).observe(canvas);
    window.addEventListener('resize', settle);
  }

  function startingQuery() {
    if (location.search) return location.search;
    let stored = '';
    try {
      stored = localStorage.getItem(kStoreKey) || '';
    } catch (e) {
      stored = '';
    }
    if (stored) history.replaceState(null, '', location.pathname + stored + location.hash);
    return stored;
  }

  // Over the last frames (at most kStatsFrames): the page's own time a frame,
  // mean and median, the share of it that puts the frame on the canvas, and
  // the frames a second; and the frames shown since the opening and the
  // grains the field runs now.
  function frameStats() {
    const costs = [...frameCosts].sort((a, b) => a - b);
    const mean = (list) => (list.length ? list.reduce((a, b) => a + b, 0) / list.length : 0);
    const span = frameTimes.length > 1 ? frameTimes[frameTimes.length - 1] - frameTimes[0] : 0;
    return {
      frames: costs.length,
      meanMs: mean(costs),
      medianMs: costs.length ? costs[Math.floor(costs.length / 2)] : 0,
      drawMeanMs: mean(drawCosts),
      fps: span > 0 ? (frameTimes.length - 1) * 1000 / span : 0,
      shown: framesShown,
      grains: module ? call('PageGrains', 'number', [], []) : 0,
      width: current ? current.width : 0,
      height: current ? current.height : 0,
    };
  }

  function pixels() {
    const width = call('PageWidth', 'number', [], []);
    const height = call('PageHeight', 'number', [], []);
    const rgba = new Uint8Array(module.HEAPU8.buffer, call('PagePixels', 'number', [], []), width * height * 4);
    let binary = '';
    const chunk = [];
    for (let k = 0; k < rgba.length; k += 4) {
      chunk.push(rgba[k], rgba[k + 1], rgba[k + 2]);
      if (chunk.length >= 3 * 4096) {
        binary += String.fromCharCode(...chunk);
        chunk.length = 0;
      }
    }
    binary += String.fromCharCode(...chunk);
    return btoa(binary);
  }

  stillPromise = new Promise((resolve) => {
    stillDone = resolve;
  });
  const ready = BrindlemarModule().then((loaded) => {
    module = loaded;
    buildPanel();
    wireInput();
    open(startingQuery(), false);
    hidePanel();
    requestAnimationFrame(animate);
  });

  window.brindlemar = {
    ready,
    still: () => stillPromise,
    pixels,
    frameStats,
    query: () => (current ? current.query : ''),
  };
})();
