// The show's music in a real browser: headless Chromium loads the wasm build
// of the web mixer with audio.js, the start gesture starts the music, and what
// the audio graph plays is compared with the native render through SDL_mixer.
//
//   node --test web_audio_test.js   (WEB_AUDIO_BUILD: the test build's folder,
//   WEB_AUDIO_SOURCE: the source tree, CHROMIUM: the browser)
'use strict';

const {test, before, after} = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

// libmikmod built for wasm mixes with the same integer maths as the native
// build, so no difference is expected; the bound leaves room for the bursts
// at note starts that another toolchain's maths may cause.
const kMaxDifferingShare = 0.001; // at most 0.1 % of samples may differ at all
const kGraphSeconds = 5;          // compared through the audio graph, in real time
const kFallbackSeconds = 2;
const kRate = 44100;
// The clock interpolates between the audio thread's reports (every 23 ms or
// so), and the two clocks are read a moment apart.
const kClockSlack = 0.06; // seconds

const build = process.env.WEB_AUDIO_BUILD;
const source = process.env.WEB_AUDIO_SOURCE;
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';

const kBrowserFlags = [
    '--headless=new',
    '--no-sandbox',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-default-apps',
    '--disable-sync',
    '--no-first-run',
    '--no-default-browser-check',
    '--metrics-recording-only',
];

const kTypes = {
    '.html': 'text/html',
    '.js': 'text/javascript',
    '.wasm': 'application/wasm',
    '.wav': 'audio/wav',
    '.data': 'application/octet-stream',
};

// Serves the page's three roots on 127.0.0.1 (AudioWorklet needs a secure
// context, which a local address is).
function Serve() {
    const roots = {
        '/web/': path.join(source, 'web'),
        '/test/': path.join(source, 'tests', 'web', 'audio'),
        '/build/': build,
    };
    const server = http.createServer((request, response) => {
        const url = new URL(request.url, 'http://127.0.0.1');
        const prefix = Object.keys(roots).find((root) => url.pathname.startsWith(root));
        const name = prefix && path.normalize(url.pathname.slice(prefix.length));
        if (!name || name.startsWith('..') || path.isAbsolute(name)) {
            response.writeHead(404).end();
            return;
        }
        fs.readFile(path.join(roots[prefix], name), (error, body) => {
            if (error) {
                response.writeHead(404).end();
                return;
            }
            response.writeHead(200, {
                'Content-Type': kTypes[path.extname(name)] || 'application/octet-stream',
            });
            response.end(body);
        });
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve(server));
    });
}

let server;
let origin;
let browser;
const pageErrors = [];

async function OpenPage(query, chosenBrowser) {
    const page = await (chosenBrowser || browser).newPage();
    page.on('pageerror', (error) => pageErrors.push(String(error)));
    page.on('console', (message) => {
        if (message.type() === 'error') {
            pageErrors.push(message.text());
        }
    });
    await page.goto(origin + '/test/page.html' + query);
    await page.evaluate(() => window.testLoaded);
    return page;
}

function Launch(extraFlags) {
    return puppeteer.launch({
        executablePath: chromium,
        headless: true,
        protocolTimeout: 60000, // a hung page fails the test in a minute
        args: kBrowserFlags.concat(extraFlags),
    });
}

before(async () => {
    assert.ok(build && source, 'WEB_AUDIO_BUILD and WEB_AUDIO_SOURCE must be set');
    server = await Serve();
    origin = 'http://127.0.0.1:' + server.address().port;
    browser = await Launch(['--autoplay-policy=no-user-gesture-required']);
});

after(async () => {
    if (browser) {
        await browser.close();
    }
    if (server) {
        server.close();
    }
});

function AssertWithinTolerance(result, what) {
    const share = result.differing / result.samples;
    console.log(what + ': ' + result.samples + ' samples compared, ' + result.differing +
                ' differ (' + (100 * share).toFixed(4) + ' %), largest difference ' +
                result.largest + (result.offByFrames ? ', best match ' + result.offByFrames +
                ' frames later' : ''));
    assert.ok(share <= kMaxDifferingShare,
              what + ': ' + (100 * share).toFixed(4) + ' % of samples differ, first at frame ' +
                  result.firstDifferingFrame);
}

// One page, started by a click, serves the first four tests in order.
let shown;
async function ShownPage() {
    if (!shown) {
        shown = await OpenPage('?captureFrames=' + (kGraphSeconds + 1) * kRate);
        await shown.click('#start');
    }
    return shown;
}

test('after the start gesture the audio worklet plays the native render of the module', async () => {
    const page = await ShownPage();
    const result = await page.evaluate((seconds) => window.CompareGraphCapture(seconds),
                                       kGraphSeconds);
    assert.equal(result.state, 'running');
    assert.equal(result.output, 'audioworklet');
    assert.equal(result.samples, kGraphSeconds * kRate * 2);
    assert.ok(result.nonZeroSamples > result.samples / 2, 'the capture is mostly silent');
    assert.equal(result.starvedFrames, 0, 'the audio thread ran dry: the page fell behind');
    AssertWithinTolerance(result, 'first ' + kGraphSeconds + ' s through the audio graph');
});

test('the clock counts the audio played and stands still while paused', async () => {
    const page = await ShownPage();
    const clock = await page.evaluate(() => window.CheckClock());
    console.log('clock: ' + JSON.stringify(clock));
    assert.ok(clock.running.audio > 0.25, 'the audio does not run');
    assert.ok(Math.abs(clock.running.clock - clock.running.audio) < kClockSlack,
              'the clock does not follow the audio');
    assert.equal(clock.stateWhilePaused, 'paused');
    assert.ok(clock.paused.clock < 0.001, 'the clock runs on while paused');
    assert.ok(clock.paused.audio < 0.001, 'the audio runs on while paused');
    assert.ok(clock.resumed.audio > 0.25, 'the audio does not resume');
    assert.ok(Math.abs(clock.resumed.clock - clock.resumed.audio) < kClockSlack,
              'the clock does not follow the audio after a pause');
    assert.equal(clock.state, 'running');
});

test('the whole module rendered in the browser has the native length and samples', async () => {
    const page = await ShownPage();
    const whole = await page.evaluate(() => window.CompareFullRender());
    console.log('whole module: ' + whole.webFrames + ' frames in the browser, ' +
                whole.nativeFrames + ' natively');
    assert.equal(whole.webFrames, whole.nativeFrames, 'the lengths differ');
    AssertWithinTolerance(whole, 'the whole module');
});

test('a fade in the browser steps down and ends the music as SDL_mixer does', async () => {
    const page = await ShownPage();
    const fade = await page.evaluate((after, ms) => window.CompareFadedRender(after, ms),
                                     Number(process.env.WEB_AUDIO_FADE_AFTER_CHUNKS),
                                     Number(process.env.WEB_AUDIO_FADE_MS));
    console.log('faded: ' + fade.webFrames + ' frames in the browser, ' + fade.nativeFrames +
                ' natively, ' + fade.chunks + ' chunks until the music stopped');
    assert.equal(fade.fadeStarted, 1);
    assert.equal(fade.webFrames, fade.nativeFrames, 'the faded lengths differ');
    AssertWithinTolerance(fade, 'the faded module');
});

test('a missing or a broken module gives a reason and silence', async () => {
    const page = await ShownPage();
    for (const broken of [false, true]) {
        const bad = await page.evaluate((flag) => window.CheckBadModule(flag), broken);
        const what = broken ? 'a broken module' : 'a missing module';
        console.log(what + ': "' + bad.error + '"');
        assert.equal(bad.written, 2048);
        assert.ok(bad.silent, what + ' is not silence');
        if (broken) {
            assert.match(bad.error, /broken\.xm/, 'the reason does not name the file');
        }
    }
    await page.close();
    assert.deepEqual(pageErrors, []);
});

test('without an AudioWorklet the ScriptProcessor output plays the same samples', async () => {
    const page = await OpenPage('?fallback&captureFrames=' + (kFallbackSeconds + 1) * kRate);
    await page.keyboard.press(' '); // a key name WebDriver BiDi knows too
    // A ScriptProcessor's playback time is only approximate: aligned by search.
    const result = await page.evaluate(
        (seconds) => window.CompareGraphCapture(seconds, {alignBySearch: true}), kFallbackSeconds);
    assert.equal(result.output, 'scriptprocessor');
    assert.ok(result.nonZeroSamples > result.samples / 2, 'the capture is mostly silent');
    AssertWithinTolerance(result, 'first ' + kFallbackSeconds + ' s through ScriptProcessor');
    await page.close();
    assert.deepEqual(pageErrors, []);
});

test('where the browser blocks audio the show runs silent, says so once, and its clock runs', async () => {
    const blocking = await Launch(['--autoplay-policy=document-user-activation-required']);
    try {
        const page = await blocking.newPage();
        const warnings = [];
        const report = new Promise((resolve) => {
            page.on('console', (message) => {
                if (message.type() === 'warn' || message.type() === 'warning') {
                    warnings.push(message.text());
                }
                if (message.text().startsWith('autostart ')) {
                    resolve(JSON.parse(message.text().slice('autostart '.length)));
                }
            });
        });
        // No gesture and no DevTools evaluation: the page starts the audio by itself.
        await page.goto(origin + '/test/page.html?notap&autostart');
        const started = await report;
        assert.equal(started.result.state, 'silent');
        assert.equal(started.state, 'silent');
        assert.ok(started.advanced > 0.2, 'the silent clock does not run');
        assert.equal(warnings.filter((text) => text.includes('no sound')).length, 1);
    } finally {
        await blocking.close();
    }
});
