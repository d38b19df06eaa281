// The web tests' view of the page: the built show served with a test page
// beside the shipped one, and helpers to start it, hold its clock and read
// its frames.
'use strict';

const fs = require('fs');
const path = require('path');
const {PNG} = require('pngjs');
const {StartServer} = require('./harness');

// A build of the web show is needed; 77 tells CTest the test did not run.
function WebBuildDir() {
  const dir = process.env.TROMVISK_WEB_BUILD || path.join(__dirname, '../../build-web');
  if (!fs.existsSync(path.join(dir, 'tromvisk.wasm'))) {
    console.log(`SKIP: no web build in ${dir} (run ./web.sh)`);
    process.exit(77);
  }
  return dir;
}

// The test page is the shipped page with one more script after page.js: it
// replaces the show clock with one the test holds and steps. Nothing of it is
// in the shipped page.
const kClockHold = `// Test only: the show clock stands where the test puts it.
window.TromviskTestClock = {seconds: 0};
window.Module.showSeconds = () => window.TromviskTestClock.seconds;
`;

// A second test page for a browser with no Web Audio at all.
const kNoAudio = `// Test only: this browser has no Web Audio.
delete window.AudioContext;
delete window.webkitAudioContext;
`;

// `extra`: more test files to serve, as StartServer takes them.
async function ServeShow(extra = {}) {
  const dir = WebBuildDir();
  const shipped = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  const marker = '<script src="page.js"></script>';
  if (!shipped.includes(marker)) {
    throw new Error('index.html no longer loads page.js the way the test page expects');
  }
  const testPage = shipped.replace(marker, `${marker}\n<script src="clock_hold.js"></script>`);
  const noAudioPage = testPage.replace('<script src="audio.js"></script>',
                                      '<script src="no_audio.js"></script>\n<script src="audio.js"></script>');
  return StartServer(dir, {
    '/test.html': {type: 'text/html; charset=utf-8', body: testPage},
    '/no_audio.html': {type: 'text/html; charset=utf-8', body: noAudioPage},
    '/no_audio.js': {type: 'text/javascript', body: kNoAudio},
    '/clock_hold.js': {type: 'text/javascript', body: kClockHold},
    ...extra,
  });
}

// Collects what the page says on its console and the errors it throws.
function WatchConsole(page) {
  const seen = {errors: [], lines: []};
  page.on('console', (message) => {
    seen.lines.push(`${message.type()}: ${message.text()}`);
    if (message.type() === 'error') {
      seen.errors.push(message.text());
    }
  });
  page.on('pageerror', (error) => seen.errors.push(`uncaught: ${error.message}`));
  return seen;
}

async function WaitForPrompt(page) {
  await page.waitForFunction(
      () => document.getElementById('prompt').textContent.startsWith('Click or press a key'),
      {timeout: 30000});
}

async function StartShow(page) {
  await WaitForPrompt(page);
  await page.mouse.click(5, 5);
  await page.waitForFunction(() => document.body.classList.contains('playing'), {timeout: 10000});
  // A note (e.g. no sound) lies over the canvas for its first seconds: it
  // comes once the audio has started or given up.
  await page.waitForFunction(() => !window.TromviskAudio || window.TromviskAudio.state() !== 'starting',
                             {timeout: 15000});
  await page.waitForFunction(() => document.getElementById('note').hidden, {timeout: 15000});
}

// Waits until the browser has run a few animation frames, so the show has
// drawn at least one frame at the clock as it stands now.
async function NextFrames(page, count = 3) {
  await page.evaluate((n) => new Promise((resolve) => {
    const step = () => (--n <= 0 ? resolve() : requestAnimationFrame(step));
    requestAnimationFrame(step);
  }), count);
}

async function HoldClock(page, seconds) {
  await page.evaluate((s) => { window.TromviskTestClock.seconds = s; }, seconds);
  await NextFrames(page);
}

// The canvas as shown, as {width, height, data: RGBA}.
async function CanvasPixels(page) {
  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return {x: r.x, y: r.y, width: r.width, height: r.height};
  });
  // Whole pixels: Firefox lays the canvas out at 799.983 CSS pixels, not 800.
  for (const key of Object.keys(box)) {
    box[key] = Math.round(box[key]);
  }
  const png = await page.screenshot({type: 'png', clip: box});
  return PNG.sync.read(Buffer.from(png));
}

function ReadPpm(file) {
  const bytes = fs.readFileSync(file);
  const header = bytes.toString('latin1', 0, 32).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) {
    throw new Error(`${file}: not a binary PPM`);
  }
  const width = Number(header[1]);
  const height = Number(header[2]);
  const rgb = bytes.subarray(header[0].length);
  const data = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    data[4 * i] = rgb[3 * i];
    data[4 * i + 1] = rgb[3 * i + 1];
    data[4 * i + 2] = rgb[3 * i + 2];
    data[4 * i + 3] = 255;
  }
  return {width, height, data};
}

function WritePng(file, image) {
  const png = new PNG({width: image.width, height: image.height});
  image.data.copy(png.data);
  fs.writeFileSync(file, PNG.sync.write(png));
}

// How two frames differ: the pixels that differ at all and the largest
// difference of any channel.
function CompareFrames(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    return {sizeMismatch: true, differing: a.width * a.height, total: a.width * a.height, largest: 255};
  }
  let differing = 0;
  let largest = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    const d = Math.max(Math.abs(a.data[i] - b.data[i]), Math.abs(a.data[i + 1] - b.data[i + 1]),
                       Math.abs(a.data[i + 2] - b.data[i + 2]));
    if (d > 0) {
      ++differing;
      largest = Math.max(largest, d);
    }
  }
  return {differing, total: a.width * a.height, largest};
}

// How many pixels are not black: a frame with nothing drawn fails loudly.
function LitPixels(image) {
  let lit = 0;
  for (let i = 0; i < image.data.length; i += 4) {
    if (image.data[i] || image.data[i + 1] || image.data[i + 2]) {
      ++lit;
    }
  }
  return lit;
}

module.exports = {WebBuildDir, ServeShow, WatchConsole, WaitForPrompt, StartShow, NextFrames,
                  HoldClock, CanvasPixels, ReadPpm, WritePng, CompareFrames, LitPixels};
