// The failures a viewer should read about: a browser with no WebGL at all
// gets a readable message, not a blank canvas; a browser with no Web Audio
// runs the show silent and says so once, also when it is played again.
'use strict';

const {LaunchBrowser} = require('./harness');
const show = require('./show_page');
const {Check, CheckNoConsoleError, RunTest} = require('./checks');

async function NoWebGL(server) {
  const browser = await LaunchBrowser('none');
  try {
    const page = await browser.newPage();
    await page.goto(`${server.url}/`);
    const hasWebGL = await page.evaluate(() => !!document.createElement('canvas').getContext('webgl'));
    if (hasWebGL) {
      throw new Error('this browser still has WebGL: the failure cannot be shown');
    }
    await page.waitForFunction(() => document.getElementById('prompt').textContent.includes('WebGL'),
                               {timeout: 15000});
    const text = await page.evaluate(() => document.getElementById('prompt').textContent);
    const visible = await page.evaluate(() => {
      const r = document.getElementById('prompt').getBoundingClientRect();
      return r.width > 0 && r.height > 0;
    });
    Check(visible, `no WebGL: the page says "${text}"`);
  } finally {
    await browser.close();
  }
}

async function NoAudio(server) {
  const browser = await LaunchBrowser('swiftshader'); // a smoke run: SwiftShader will do
  try {
    const page = await browser.newPage();
    const seen = show.WatchConsole(page);
    await page.goto(`${server.url}/no_audio.html`);
    await show.WaitForPrompt(page);
    await page.mouse.click(5, 5);
    await page.waitForFunction(() => !document.getElementById('note').hidden, {timeout: 10000});
    const note = await page.evaluate(() => document.getElementById('note').textContent);
    Check(/^No sound/.test(note), `no Web Audio: the page says "${note}"`);
    await show.HoldClock(page, 3.005);
    Check(show.LitPixels(await show.CanvasPixels(page)) > 1000, 'the show runs silent');
    // End it and play it again: the note is not said again.
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => !document.getElementById('again').hidden, {timeout: 10000});
    await page.click('#again');
    await page.waitForFunction(() => document.body.classList.contains('playing'), {timeout: 10000});
    await show.NextFrames(page, 10);
    const said = seen.lines.filter((line) => line.startsWith('info: No sound')).length;
    Check(said === 1, `the page says it once (${said} times over two runs)`);
    CheckNoConsoleError(seen.errors);
  } finally {
    await browser.close();
  }
}

async function Main() {
  show.WebBuildDir();
  const server = await show.ServeShow();
  try {
    await NoWebGL(server);
    await NoAudio(server);
  } finally {
    server.close();
  }
}

RunTest(Main);
