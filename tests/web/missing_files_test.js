// A page whose files did not all arrive, in headless Chromium: without the
// music (tromvisk.data) the show runs silent and the page says so once, as
// the native show runs silent without demo.xm; without the program
// (tromvisk.wasm) the page says so in one line naming the file; from a server
// that answers slowly the page waits, then plays with its music.
'use strict';

const {LaunchBrowser} = require('./harness');
const show = require('./show_page');
const {Check, RunTest} = require('./checks');

// Chromium reports a file answered with 404 on its console: that one is expected.
function Unexpected(errors) {
  return errors.filter((line) => !line.startsWith('Failed to load resource'));
}

function Prompt(page) {
  return page.evaluate(() => ({
    text: document.getElementById('prompt').textContent,
    failure: document.getElementById('prompt').classList.contains('failure'),
  }));
}

async function WithPage(browser, server, url, body) {
  const page = await browser.newPage();
  const seen = show.WatchConsole(page);
  try {
    await page.goto(`${server.url}${url}`);
    await body(page, seen);
  } finally {
    await page.close();
  }
}

async function NoMusic(browser) {
  const server = await show.ServeShow({'/tromvisk.data': {status: 404}});
  try {
    await WithPage(browser, server, '/test.html', async (page, seen) => {
      await show.WaitForPrompt(page);
      await page.mouse.click(5, 5);
      await page.waitForFunction(() => !document.getElementById('note').hidden, {timeout: 10000});
      const note = await page.evaluate(() => document.getElementById('note').textContent);
      Check(/^No sound \(.*tromvisk\.data.*\): the show runs silent\.$/.test(note),
            `no tromvisk.data: the page says "${note}"`);
      await page.waitForFunction(() => document.getElementById('note').hidden, {timeout: 15000});
      await show.HoldClock(page, 3.005);
      Check(show.LitPixels(await show.CanvasPixels(page)) > 1000, 'no tromvisk.data: the show runs');
      const said = seen.lines.filter((line) => line.startsWith('info: No sound')).length;
      const errors = Unexpected(seen.errors);
      Check(said === 1 && errors.length === 0,
            `no tromvisk.data: one line said (${said}), no other error${errors.length ? `: ${errors}` : ''}`);
    });
  } finally {
    server.close();
  }
}

async function NoProgram(browser) {
  const server = await show.ServeShow({'/tromvisk.wasm': {status: 404}});
  try {
    await WithPage(browser, server, '/', async (page) => {
      await page.waitForFunction(() => document.getElementById('prompt').classList.contains('failure'),
                                 {timeout: 15000});
      const prompt = await Prompt(page);
      const pageText = await page.evaluate(() => document.body.innerText);
      Check(prompt.text.includes('tromvisk.wasm') && !prompt.text.includes('\n') &&
                !/abort|ASSERTIONS/i.test(pageText),
            `no tromvisk.wasm: the page says "${prompt.text}"`);
    });
  } finally {
    server.close();
  }
}

// Each file late, the music last: the page shows it is loading, then plays
// with its music (no "no sound" line).
async function SlowServer(browser) {
  const server = await show.ServeShow({
    '/tromvisk.js': {delayMs: 500},
    '/tromvisk.wasm': {delayMs: 1500},
    '/tromvisk.data': {delayMs: 3000},
  });
  try {
    await WithPage(browser, server, '/', async (page, seen) => {
      await new Promise((resolve) => setTimeout(resolve, 2000));
      const waiting = await Prompt(page);
      Check(waiting.text === 'Loading the show…' && !waiting.failure,
            `a slow server: the page says "${waiting.text}" while it waits`);
      await show.StartShow(page);
      const state = await page.evaluate(() => window.TromviskAudio.state());
      const noSound = seen.lines.filter((line) => line.includes('No sound'));
      Check(state === 'running' && noSound.length === 0,
            `a slow server: the show plays with its music (${state}${noSound.length ? `; ${noSound}` : ''})`);
      Check(seen.errors.length === 0, `a slow server: no console error${seen.errors.length ? `: ${seen.errors}` : ''}`);
    });
  } finally {
    server.close();
  }
}

async function Main() {
  show.WebBuildDir();
  const browser = await LaunchBrowser('swiftshader'); // a smoke run: SwiftShader will do
  try {
    await NoMusic(browser);
    await NoProgram(browser);
    await SlowServer(browser);
  } finally {
    await browser.close();
  }
}

RunTest(Main);
