// A browser with no WebGL at all gets a readable message, not a blank canvas.
'use strict';

const {LaunchBrowser} = require('./harness');
const show = require('./show_page');

async function Main() {
  show.WebBuildDir();
  const server = await show.ServeShow();
  const browser = await LaunchBrowser('none');
  let ok = false;
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
    ok = visible;
    console.log(`${ok ? 'ok  ' : 'FAIL'} the page says: ${text}`);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(ok ? 0 : 1);
}

Main().catch((error) => {
  console.error(error);
  process.exit(1);
});
