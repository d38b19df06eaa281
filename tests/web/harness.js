// Shared by the web tests and the web benchmark: a static server for the
// built page, and the browser under test: Debian's Chromium started headless
// on a chosen GL backend, or with TROMVISK_BROWSER=firefox Debian's Firefox
// ESR with a window on the desktop tests' display.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require('puppeteer-core');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

// Serves `root` on 127.0.0.1 at a free port. `extra` maps URL paths to
// {type, body} served instead of files (the test pages), {status} answered
// with that status and nothing else, or {delayMs} for a file served late.
function StartServer(root, extra = {}) {
  const server = http.createServer(async (request, response) => {
    const urlPath = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const special = extra[urlPath] || {};
    if (special.delayMs) {
      await new Promise((resolve) => setTimeout(resolve, special.delayMs));
    }
    if (special.status) {
      response.writeHead(special.status);
      response.end();
      return;
    }
    if (special.body !== undefined) {
      response.writeHead(200, {'Content-Type': special.type});
      response.end(special.body);
      return;
    }
    const file = path.join(root, urlPath === '/' ? 'index.html' : urlPath);
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({url: `http://127.0.0.1:${server.address().port}`, close: () => server.close()});
    });
  });
}

const kCommonFlags = [
  '--headless=new',
  '--no-sandbox',
  '--no-first-run',
  '--no-default-browser-check',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-default-apps',
  '--disable-extensions',
  '--metrics-recording-only',
  '--mute-audio',
  '--hide-scrollbars',
];

// The GL backends the tests use: Mesa's Vulkan driver (lavapipe) for frames
// that must match the native ones, SwiftShader for smoke and frame rates,
// and none at all for the failure page.
const kBackends = {
  vulkan: ['--use-angle=vulkan', '--enable-features=Vulkan', '--ignore-gpu-blocklist'],
  swiftshader: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  none: ['--disable-gpu', '--disable-software-rasterizer'],
};

// Which browser the tests drive: 'chromium' (the default) or 'firefox'.
function BrowserName() {
  return process.env.TROMVISK_BROWSER || 'chromium';
}

// Headless Firefox has no WebGL on a machine without a GPU; with a window on
// an X display it draws on Mesa's llvmpipe. Its sound needs a sound server:
// the desktop tests' environment has both (77 tells CTest the test did not run).
async function LaunchFirefox(width, height) {
  if (!process.env.DISPLAY || !process.env.TROMVISK_DESKTOP) {
    console.log('SKIP: Firefox needs the desktop tests\' display and sound server ' +
                '(tests/desktop/run-desktop-tests.sh)');
    process.exit(77);
  }
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: false,
    defaultViewport: {width, height},
    // A fresh profile, removed on close; nothing of the machine's own.
    extraPrefsFirefox: {'browser.shell.checkDefaultBrowser': false},
  });
}

// backend: the GL under Chromium (kBackends); Firefox has only its own.
async function LaunchBrowser(backend, {width = 800, height = 600, extraFlags = []} = {}) {
  if (BrowserName() === 'firefox') {
    if (backend === 'none') {
      throw new Error('Firefox cannot be started without GL here');
    }
    return LaunchFirefox(width, height);
  }
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [...kCommonFlags, ...kBackends[backend], `--window-size=${width},${height}`, ...extraFlags],
    defaultViewport: {width, height},
    // No userDataDir: puppeteer then makes a fresh profile and removes it on close.
  });
}

module.exports = {StartServer, LaunchBrowser, BrowserName};
