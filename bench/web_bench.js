// Measures the web show in headless Chromium with SwiftShader (see
// web_bench.sh): what a viewer downloads, how long the page takes to be
// ready and to show its first frame after the click, and the frame rate of
// every act at two window sizes. The show clock is held at each act by the
// tests' test page, so every animation frame draws that act.
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const {LaunchBrowser} = require('../tests/web/harness');
const show = require('../tests/web/show_page');

const kActs = [
  ['opening banner', 3.005], ['banner and grid', 7.005], ['spinning cube', 20.005],
  ['inner and corner cubes', 30.005], ['reversed spin', 40.005], ['address being typed', 55.005],
  ['finished address', 68.005], ['spiral from high', 76.005], ['spiral from low', 81.005],
  ['greetings', 95.005], ['end title', 104.005],
];
const kSizes = [[800, 600], [1920, 1080]];
const kMeasureMs = 2000;

function DownloadSize(dir) {
  const files = fs.readdirSync(dir).filter((f) => /\.(html|js|css|wasm|data)$/.test(f));
  let raw = 0;
  let gzipped = 0;
  console.log('Download (what the page fetches):');
  for (const file of files.sort()) {
    const bytes = fs.readFileSync(path.join(dir, file));
    const packed = zlib.gzipSync(bytes, {level: 9}).length;
    raw += bytes.length;
    gzipped += packed;
    console.log(`  ${file.padEnd(22)} ${String(bytes.length).padStart(9)} B  ${String(packed).padStart(8)} B gzipped`);
  }
  console.log(`  ${'total'.padEnd(22)} ${String(raw).padStart(9)} B  ${String(gzipped).padStart(8)} B gzipped`);
}

async function FramesPerSecond(page, ms) {
  return page.evaluate((span) => new Promise((resolve) => {
    let frames = 0;
    const start = performance.now();
    const step = (now) => {
      ++frames;
      if (now - start < span) {
        requestAnimationFrame(step);
      } else {
        resolve((frames - 1) * 1000 / (now - start));
      }
    };
    requestAnimationFrame(step);
  }), ms);
}

async function Main() {
  const dir = show.WebBuildDir();
  DownloadSize(dir);
  const server = await show.ServeShow();
  try {
    for (const [width, height] of kSizes) {
      const browser = await LaunchBrowser('swiftshader', {width, height});
      try {
        const page = await browser.newPage();
        const navigated = Date.now();
        await page.goto(`${server.url}/test.html`);
        await show.WaitForPrompt(page);
        const readyMs = Date.now() - navigated;
        await page.evaluate(() => {
          window.TromviskTestClock.seconds = 3.005;
          document.addEventListener('click', () => { window.clickedAt = performance.now(); },
                                    {capture: true, once: true});
        });
        await page.mouse.click(5, 5);
        await page.waitForFunction(() => document.body.classList.contains('playing'));
        const firstFrameMs = await page.evaluate(() => new Promise((resolve) => {
          // The frame after the start is drawn in the next animation frame.
          requestAnimationFrame(() => requestAnimationFrame(() => resolve(performance.now() - window.clickedAt)));
        }));
        console.log(`\nSwiftShader at ${width}x${height} (canvas ${Math.min(width, Math.round(height * 4 / 3))}x` +
                    `${Math.min(height, Math.round(width * 3 / 4))}):`);
        console.log(`  page ready for the click: ${readyMs} ms after navigation`);
        console.log(`  first frame: ${firstFrameMs.toFixed(0)} ms after the click`);
        await page.waitForFunction(() => document.getElementById('note').hidden, {timeout: 15000});
        for (const [act, t] of kActs) {
          await show.HoldClock(page, t);
          const fps = await FramesPerSecond(page, kMeasureMs);
          console.log(`  ${act.padEnd(24)} ${fps.toFixed(1).padStart(6)} frames/s`);
        }
      } finally {
        await browser.close();
      }
    }
  } finally {
    server.close();
  }
}

Main().catch((error) => {
  console.error(error);
  process.exit(1);
});
