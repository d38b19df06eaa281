// Shared by the web tests and the web benchmark: a static server for the
// built page, and Debian's Chromium started headless on a chosen GL backend.
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
// {type, body} served instead of files (the test pages).
function StartServer(root, extra = {}) {
  const server = http.createServer((request, response) => {
    const urlPath = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (extra[urlPath]) {
      response.writeHead(200, {'Content-Type': extra[urlPath].type});
      response.end(extra[urlPath].body);
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

async function LaunchBrowser(backend, {width = 800, height = 600, extraFlags = []} = {}) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [...kCommonFlags, ...kBackends[backend], `--window-size=${width},${height}`, ...extraFlags],
    defaultViewport: {width, height},
    // No userDataDir: puppeteer then makes a fresh profile and removes it on close.
  });
}

module.exports = {StartServer, LaunchBrowser};
