// The credits link and the keys and endings of the web show, in headless Chromium with the
// show clock held and stepped by the test page: f enters and leaves the
// browser's full screen, the whole show runs to its end, which keeps the last
// frame through a second's fade and then offers to play again; played again,
// Escape ends it at once. No console error on the way.
'use strict';

const {LaunchBrowser} = require('./harness');
const show = require('./show_page');
const {Check, CheckNoConsoleError, RunTest} = require('./checks');

const kShowEnd = 107;
const kStepSeconds = 0.5;
const kFadeMs = 1000;

async function Prompt(page) {
  return page.evaluate(() => document.getElementById('prompt').textContent);
}

async function Playing(page) {
  return page.evaluate(() => document.body.classList.contains('playing'));
}

async function Main() {
  show.WebBuildDir();
  const server = await show.ServeShow();
  const browser = await LaunchBrowser('vulkan');
  try {
    const page = await browser.newPage();
    const seen = show.WatchConsole(page);
    await page.goto(`${server.url}/test.html`);
    // The credits and licences open in a tab of their own, name the libmikmod compiled
    // in and carry its licence, and the click does not start the show.
    await show.WaitForPrompt(page);
    const opened = new Promise((resolve) => browser.once('targetcreated', (t) => resolve(t.page())));
    await page.click('#licences');
    const licences = await opened;
    await licences.waitForSelector('h1');
    const credited = await licences.evaluate(async () => ({
      text: document.body.textContent,
      licence: await (await fetch('libmikmod-COPYING.LIB.txt')).text(),
    }));
    Check(/libmikmod 3\.3\.11\.1-\S+/.test(credited.text) &&
          credited.licence.includes('GNU LIBRARY GENERAL PUBLIC LICENSE'),
          'the credits name libmikmod\'s source package and carry its licence');
    await licences.close();
    await page.bringToFront();
    Check(!(await Playing(page)), 'following the credits link does not start the show');
    await show.StartShow(page);
    const credits = await page.evaluate(() => document.getElementById('credits').textContent);
    Check(credits.includes('ESC to quit') && seen.lines.some((l) => l.includes('ESC to quit')),
          'the credits are on the page and on the console');

    await show.HoldClock(page, 3);
    Check(show.LitPixels(await show.CanvasPixels(page)) > 1000, 'the opening banner is drawn');

    await page.keyboard.press('f');
    await page.waitForFunction(() => document.fullscreenElement !== null, {timeout: 5000})
        .then(() => Check(true, 'f enters full screen'), () => Check(false, 'f enters full screen'));
    await show.HoldClock(page, 4);
    await page.keyboard.press('f');
    await page.waitForFunction(() => document.fullscreenElement === null, {timeout: 5000})
        .then(() => Check(true, 'f again leaves full screen'),
              () => Check(false, 'f again leaves full screen'));
    Check(await Playing(page), 'the show runs on after both presses');

    // A full screen the browser refuses (no recent key press) leaves the show running.
    await page.evaluate(() => window.Module.toggleFullScreen());
    await show.NextFrames(page);
    Check(await Playing(page), 'a refused full screen leaves the show running');

    // The whole show, stepped a quarter of a second at a time.
    let dark = [];
    for (let t = 4; t <= kShowEnd; t += kStepSeconds) {
      await show.HoldClock(page, t);
      if (Math.abs(t - Math.round(t)) < 1e-9 && Math.round(t) % 10 === 5) {
        if (show.LitPixels(await show.CanvasPixels(page)) === 0) {
          dark.push(t);
        }
      }
    }
    Check(dark.length === 0, `frames are drawn all through the show${dark.length ? ` (dark at ${dark})` : ''}`);
    Check(await Playing(page), 'the show still runs at its last moment');

    // Past the end: the last frame stays through the fade, then the page offers to play again.
    const endsAt = Date.now();
    await show.HoldClock(page, kShowEnd + 0.5);
    const duringFade = await show.CanvasPixels(page);
    const stillPlaying = await Playing(page);
    await page.waitForFunction(() => !document.getElementById('again').hidden, {timeout: 10000});
    const fadeMs = Date.now() - endsAt;
    Check(stillPlaying && show.LitPixels(duringFade) > 1000,
          'the last frame stays on screen while the music fades');
    Check(fadeMs >= kFadeMs * 0.9, `the end comes after the fade (${fadeMs} ms)`);
    Check((await Prompt(page)) === 'The end.', 'the page says the show has ended');

    // Play again, then Escape: the end comes at once, with no fade.
    await page.evaluate(() => { window.TromviskTestClock.seconds = 0; });
    await page.click('#again');
    await page.waitForFunction(() => document.body.classList.contains('playing'), {timeout: 10000});
    await show.HoldClock(page, 20.005);
    Check(show.LitPixels(await show.CanvasPixels(page)) > 1000, 'played again, the show draws');
    const escapeAt = Date.now();
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => !document.getElementById('again').hidden, {timeout: 10000});
    const escapeMs = Date.now() - escapeAt;
    Check(escapeMs < kFadeMs / 2, `Escape ends the show at once (${escapeMs} ms)`);
    Check((await Prompt(page)) === 'Stopped.', 'the page says the show was stopped');
    // The offer to play again lies over the canvas: look under it.
    await page.evaluate(() => { document.getElementById('overlay').style.visibility = 'hidden'; });
    await show.NextFrames(page);
    Check(show.LitPixels(await show.CanvasPixels(page)) === 0, 'after Escape the canvas is black');

    CheckNoConsoleError(seen.errors);
  } finally {
    await browser.close();
    server.close();
  }
}

RunTest(Main);
