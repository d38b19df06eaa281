// The browser's frames against the native frames, act by act: the web show
// in headless Chromium on Mesa's Vulkan driver with its clock held at each
// time, the native frames drawn by the show's code through the system's GL
// and GLU at the same live frame and with the same turns (native_frames).
// Tolerance: a pixel differs when a channel is off by more than 2 levels, and
// at most 0.1 % of the pixels may differ. (Lines turned with the cubes land a
// pixel apart here and there: the emulation turns in double, Mesa in float.)
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync, spawnSync} = require('child_process');
const {LaunchBrowser} = require('./harness');
const show = require('./show_page');

// Each act once or twice, at times that are live frames' own clocks at the
// web's rate (300 a second), so the two paths draw exactly the same tick.
const kTimes = [
  ['opening banner', '3.005'],
  ['banner and grid', '7.005'],
  ['spinning cube', '12.005'],
  ['spinning cube, later', '20.005'],
  ['inner and corner cubes', '30.005'],
  ['reversed spin', '40.005'],
  ['address being typed', '55.005'],
  ['finished address', '68.005'],
  ['spiral from high', '76.005'],
  ['spiral from low', '81.005'],
  ['greetings', '95.005'],
  ['end title', '104.005'],
];
// Acts where nothing turns: there the shipped binary's own frame, taken
// through the test clock library at the same tick, is a second reference.
const kStillActs = new Set(['3.005', '7.005', '55.005', '68.005', '95.005', '104.005']);
const kMaxDifferingShare = 0.001;
const kMaxLevels = 2;

// The real binary's frame at `seconds`, held there by the test clock library
// (tests/support/clock_shim.c), read back before it is presented; null when the
// binary or the library is not given.
function BinaryFrame(work, seconds) {
  const binary = process.env.TROMVISK_BINARY;
  const shim = process.env.TROMVISK_CLOCK_SHIM;
  if (!binary || !shim) {
    return null;
  }
  const ppm = path.join(work, `binary-${seconds}.ppm`);
  const result = spawnSync(binary, [], {
    cwd: work, // no demo.xm here: a silent run
    timeout: 30000,
    killSignal: 'SIGKILL',
    env: {...process.env, LD_PRELOAD: shim, SDL_AUDIODRIVER: 'dummy',
          TROMVISK_TEST_CLOCK_SCALE: '0', TROMVISK_TEST_CLOCK_OFFSET_MS: String(Math.round(seconds * 1000)),
          TROMVISK_TEST_SNAPSHOT: ppm, TROMVISK_TEST_SNAPSHOT_FRAME: '2',
          TROMVISK_TEST_RAISE: 'swap@3'}, // the frame is taken: leave
  });
  if (!fs.existsSync(ppm)) {
    throw new Error(`the show binary wrote no frame at ${seconds} s (status ${result.status}, ${result.error})`);
  }
  return show.ReadPpm(ppm);
}

// Counts the pixels off by more than the levels allowed.
function CountBeyond(a, b, levels) {
  let count = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (Math.abs(a.data[i] - b.data[i]) > levels || Math.abs(a.data[i + 1] - b.data[i + 1]) > levels ||
        Math.abs(a.data[i + 2] - b.data[i + 2]) > levels) {
      ++count;
    }
  }
  return count;
}

// A larger window: the canvas's drawing buffer and view follow its size, as
// the native window's do after a resize.
const kResized = {width: 1024, height: 768};
const kResizedTimes = [['inner and corner cubes', '30.005'], ['spiral from low', '81.005']];

// The frames of one browser window size against native frames of that size;
// returns the failures.
async function ComparePass(server, work, size, times) {
  const label = `${size.width}x${size.height}`;
  const dir = path.join(work, label);
  fs.mkdirSync(dir);
  const sizeArgs = size.width === 800 && size.height === 600 ? [] : ['--size', label];
  execFileSync(process.env.TROMVISK_NATIVE_FRAMES, [...sizeArgs, dir, ...times.map(([, t]) => t)],
               {stdio: 'inherit', env: {...process.env, SDL_AUDIODRIVER: 'dummy'}});
  console.log(`-- ${label}`);
  const browser = await LaunchBrowser('vulkan', size);
  let failures = 0;
  try {
    const page = await browser.newPage();
    const seen = show.WatchConsole(page);
    await page.goto(`${server.url}/test.html`);
    await show.StartShow(page);
    for (const [act, t] of times) {
      await show.HoldClock(page, Number(t));
      const web = await show.CanvasPixels(page);
      const native = show.ReadPpm(path.join(dir, `${t}.ppm`));
      const diff = show.CompareFrames(web, native);
      const beyond = diff.sizeMismatch ? diff.total : CountBeyond(web, native, kMaxLevels);
      const share = beyond / diff.total;
      const ok = share <= kMaxDifferingShare && show.LitPixels(native) > 0;
      console.log(`${ok ? 'ok  ' : 'FAIL'} ${t.padStart(7)} s ${act.padEnd(24)} ` +
                  `${beyond} pixels (${(100 * share).toFixed(4)} %) off by more than ${kMaxLevels} ` +
                  `levels; ${diff.differing} differ at all, by at most ${diff.largest}`);
      let binaryOk = true;
      if (kStillActs.has(t) && sizeArgs.length === 0) {
        const binary = BinaryFrame(dir, Number(t));
        if (binary) {
          const off = CountBeyond(web, binary, kMaxLevels);
          binaryOk = off / diff.total <= kMaxDifferingShare;
          console.log(`${binaryOk ? 'ok  ' : 'FAIL'} ${t.padStart(7)} s ${'  and the show binary'.padEnd(24)} ` +
                      `${off} pixels off by more than ${kMaxLevels} levels`);
          if (!binaryOk) {
            show.WritePng(path.join(dir, `${t}-binary.png`), binary);
          }
        }
      }
      if (!ok || !binaryOk) {
        ++failures;
        show.WritePng(path.join(dir, `${t}-web.png`), web);
        show.WritePng(path.join(dir, `${t}-native.png`), native);
      }
    }
    if (seen.errors.length) {
      console.log(`FAIL console errors:\n  ${seen.errors.join('\n  ')}`);
      ++failures;
    }
  } finally {
    await browser.close();
  }
  return failures;
}

async function Main() {
  show.WebBuildDir();
  const nativeFrames = process.env.TROMVISK_NATIVE_FRAMES;
  if (!nativeFrames || !fs.existsSync(nativeFrames)) {
    throw new Error('TROMVISK_NATIVE_FRAMES must name the native_frames program');
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tromvisk-web-frames-'));
  const server = await show.ServeShow();
  let failures = 0;
  try {
    failures += await ComparePass(server, work, {width: 800, height: 600}, kTimes);
    failures += await ComparePass(server, work, kResized, kResizedTimes);
  } finally {
    server.close();
  }
  if (failures) {
    console.log(`${failures} failure(s); frames kept in ${work}`);
    process.exit(1);
  }
  fs.rmSync(work, {recursive: true, force: true});
}

Main().catch((error) => {
  console.error(error);
  process.exit(1);
});
