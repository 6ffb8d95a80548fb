// What the web page's tests and its benchmark share: a static web server for
// the page's folder, Debian's Chromium started headless through its DevTools
// protocol (puppeteer-core, never a downloaded browser), a PNG reader for
// the renderer's pictures, and deadlines that wait for conditions.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// Serves the files under root on a free port of 127.0.0.1, as any static
// web server would; resolves to {url, close()}.
function serve(root) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    const wanted = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    let file = path.resolve(base, '.' + wanted);
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    if (fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
      response.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close()});
    });
  });
}

// Debian's Chromium, headless, with a fresh profile and nothing that reaches
// for the network on its own.
async function launch(viewport) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'brindlemar-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.BRINDLEMAR_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    defaultViewport: viewport || {width: 800, height: 600},
    protocolTimeout: 600000,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

// A page of the browser at url, its errors collected; waits until the
// page's script has loaded the field. prepare(page), when given, runs
// before the page loads.
async function openPage(browser, url, prepare) {
  const page = await browser.newPage();
  if (prepare) await prepare(page);
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  await page.goto(url, {waitUntil: 'load', timeout: 120000});
  await page.waitForFunction(() => window.brindlemar !== undefined, {timeout: 120000});
  await page.evaluate(() => window.brindlemar.ready);
  return page;
}

// Calls probe until it gives something true, for at most ms; returns what it
// gave, or throws naming what was waited for.
async function waitFor(what, probe, ms = 120000) {
  const deadline = Date.now() + ms;
  for (;;) {
    const value = await probe();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`gave up waiting for ${what} after ${ms / 1000} s`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The pixels of an 8-bit RGB or RGBA PNG without interlacing (what the
// renderer and Chromium's screenshots write), as {width, height, rgb}.
function readPng(data) {
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const idat = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) throw new Error('unsupported PNG');
      channels = body[9] === 2 ? 3 : 4;
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const left = x >= channels ? pixels[y * stride + x - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      const predictor = [0, left, up, (left + up) >> 1, paeth(left, up, corner)][filter];
      pixels[y * stride + x] = (line[x] + predictor) & 255;
    }
  }
  if (channels === 3) return {width, height, rgb: pixels};
  const rgb = Buffer.alloc(width * height * 3);
  for (let k = 0, j = 0; k < pixels.length; k += 4, j += 3) pixels.copy(rgb, j, k, k + 3);
  return {width, height, rgb};
}

// The page's folder and the native renderer, as the test registration hands
// them over.
function paths() {
  const web = process.env.BRINDLEMAR_WEB_DIR;
  if (!web || !fs.existsSync(path.join(web, 'index.html'))) {
    throw new Error(`BRINDLEMAR_WEB_DIR (${web}) holds no web page: build the wasm preset first`);
  }
  return {web, render: process.env.BRINDLEMAR_RENDER};
}

// Runs a test body with a server and a browser, closing both whatever
// happens; a failure ends the process with status 1.
async function run(name, body, viewport) {
  const {web} = paths();
  const server = await serve(web);
  const browser = await launch(viewport);
  try {
    await body({server, browser});
    console.log(`${name}: passed`);
  } catch (error) {
    console.error(`${name}: FAILED: ${error.stack || error}`);
    process.exitCode = 1;
  } finally {
    await browser.close();
    server.close();
  }
}

module.exports = {serve, launch, openPage, waitFor, readPng, paths, run};
