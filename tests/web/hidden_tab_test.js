// A hidden tab: the browser stops drawing it, and the music and the show
// clock pause with it, to go on from where they were when it is shown again.
// The shipped page, with its real audio clock.
'use strict';

const {LaunchBrowser} = require('./harness');
const show = require('./show_page');
const {Check, CheckNoConsoleError, RunTest} = require('./checks');

const kHiddenMs = 3000;
const kSlackSeconds = 0.5; // what a paused clock may still move by

function Sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

async function Main() {
  show.WebBuildDir();
  const server = await show.ServeShow();
  const browser = await LaunchBrowser('vulkan');
  try {
    const page = await browser.newPage();
    const seen = show.WatchConsole(page);
    await page.goto(`${server.url}/`);
    await show.StartShow(page);
    const state = () => page.evaluate(() => ({
      visibility: document.visibilityState,
      audio: window.TromviskAudio.state(),
      clock: window.Module.showSeconds(),
    }));
    await Sleep(1000);
    const before = await state();
    Check(before.audio === 'running' && before.clock > 0.5,
          `the music plays and the clock runs (${before.audio}, ${before.clock.toFixed(2)} s)`);

    const other = await browser.newPage();
    await other.bringToFront();
    await page.waitForFunction(() => document.visibilityState === 'hidden', {timeout: 5000});
    const hiddenAt = await state();
    await Sleep(kHiddenMs);
    const hidden = await state();
    Check(hidden.audio === 'paused', `hidden, the music pauses (${hidden.audio})`);
    Check(hidden.clock - hiddenAt.clock < kSlackSeconds,
          `hidden, the clock stands (${hiddenAt.clock.toFixed(2)} s, then ${hidden.clock.toFixed(2)} s)`);

    await page.bringToFront();
    await page.waitForFunction(() => document.visibilityState === 'visible', {timeout: 5000});
    await Sleep(1000);
    const back = await state();
    Check(back.audio === 'running' && back.clock > hidden.clock + 0.3 &&
          back.clock < hidden.clock + 1 + kSlackSeconds,
          `shown again, both go on from there (${back.audio}, ${back.clock.toFixed(2)} s)`);
    Check(await page.evaluate(() => document.body.classList.contains('playing')), 'the show is still on');
    CheckNoConsoleError(seen.errors);
  } finally {
    await browser.close();
    server.close();
  }
}

RunTest(Main);
