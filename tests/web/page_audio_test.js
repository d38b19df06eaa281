// The shipped page's music in the browser under test (run for Firefox: the
// web audio test covers Chromium with a page of its own): after the start
// click the AudioWorklet output plays, what it plays matches the native render
// of the same module through SDL_mixer, and the show clock follows the audio
// played. A recorder sits on the music's output, put there by one test script
// that hands audio.js its test-only `tap`; nothing else of the page changes.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const {LaunchBrowser, BrowserName} = require('./harness');
const show = require('./show_page');
const {Check, CheckNoConsoleError, RunTest} = require('./checks');

const kRate = 44100;
const kChannels = 2;
const kCompareSeconds = 5;
// As for Chromium: libmikmod in wasm mixes with its 32-bit mixers, which
// differ from the native ones in a few samples at note starts.
const kMaxDifferingShare = 0.001;
const kClockSlackSeconds = 0.06; // the clock interpolates between the audio thread's reports

const kRecorder = `// Test only: a recorder on the music's output, and the start's result kept.
(function () {
  const start = window.TromviskAudio.start;
  window.TromviskAudio.start = (wasm) => {
    window.testStart = start(wasm, {
      queueChunks: 12, // compared sample by sample on a shared, busy machine: queue generously
      tap: async (context, node) => {
        window.testContext = context;
        window.testRecording = (await TapRecorder(context, node, ${(kCompareSeconds + 1) * kRate})).recording;
      },
    });
    return window.testStart;
  };
})();
`;

// The interleaved 16-bit samples of a WAV file's data chunk.
function ReadWavSamples(file) {
  const bytes = fs.readFileSync(file);
  for (let at = 12; at + 8 <= bytes.length;) {
    const size = bytes.readUInt32LE(at + 4);
    if (bytes.toString('latin1', at, at + 4) === 'data') {
      return new Int16Array(bytes.buffer.slice(bytes.byteOffset + at + 8, bytes.byteOffset + at + 8 + size));
    }
    at += 8 + size + (size % 2);
  }
  throw new Error(`${file} holds no audio`);
}

async function Main() {
  const dir = show.WebBuildDir();
  const referenceTool = process.env.TROMVISK_WEB_AUDIO_REFERENCE;
  if (!referenceTool || !fs.existsSync(referenceTool)) {
    throw new Error('TROMVISK_WEB_AUDIO_REFERENCE must name the web_audio_reference program');
  }
  // The native render of the very module the page plays.
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tromvisk-page-audio-'));
  const referenceFile = path.join(work, 'reference.wav');
  execFileSync(referenceTool, [path.join(dir, 'tromvisk.data'), referenceFile], {stdio: 'inherit'});
  const native = ReadWavSamples(referenceFile);
  fs.rmSync(work, {recursive: true, force: true});

  const shipped = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  const marker = '<script src="audio.js"></script>';
  const server = await show.ServeShow({
    '/audio.html': {type: 'text/html; charset=utf-8',
                    body: shipped.replace(marker, `${marker}\n<script src="recorder-tap.js"></script>\n<script src="recorder.js"></script>`)},
    '/recorder.js': {type: 'text/javascript', body: kRecorder},
    '/recorder-tap.js': {type: 'text/javascript',
                         body: fs.readFileSync(path.join(__dirname, 'audio/recorder-tap.js'))},
    '/recorder-worklet.js': {type: 'text/javascript',
                             body: fs.readFileSync(path.join(__dirname, 'audio/recorder-worklet.js'))},
  });
  const browser = await LaunchBrowser('vulkan');
  try {
    const page = await browser.newPage();
    const seen = show.WatchConsole(page);
    await page.goto(`${server.url}/audio.html`);
    await show.WaitForPrompt(page);
    await page.mouse.click(5, 5);
    const started = await page.waitForFunction(() => window.testStart, {timeout: 10000})
                        .then(() => page.evaluate(() => window.testStart));
    Check(started.state === 'running' && started.output === 'audioworklet',
          `${BrowserName()}: the music plays through the AudioWorklet (${started.state}, ${started.output})`);

    // The show clock against the audio context's own clock, over half a second.
    const clock = await page.evaluate(async () => {
      const context = window.testContext;
      const showBefore = window.Module.showSeconds();
      const audioBefore = context.currentTime;
      await new Promise((resolve) => setTimeout(resolve, 500));
      return {show: window.Module.showSeconds() - showBefore, audio: context.currentTime - audioBefore};
    });
    Check(clock.audio > 0.25 && Math.abs(clock.show - clock.audio) < kClockSlackSeconds,
          `the show clock follows the audio (${clock.show.toFixed(3)} s against ${clock.audio.toFixed(3)} s)`);

    // The recording from the music's first sample on, as 16-bit samples.
    const recorded = await page.evaluate(async (frames) => {
      const captured = await window.testRecording;
      const skip = window.TromviskAudio.musicStartFrame() - captured.firstFrame;
      if (skip < 0 || skip + frames > captured.left.length) {
        throw new Error(`the recording holds ${captured.left.length} frames from ${captured.firstFrame}, ` +
                        `the music started at ${window.TromviskAudio.musicStartFrame()}`);
      }
      const samples = new Int16Array(frames * 2);
      for (let i = 0; i < frames; ++i) {
        samples[2 * i] = Math.round(captured.left[skip + i] * 32768);
        samples[2 * i + 1] = Math.round(captured.right[skip + i] * 32768);
      }
      let text = '';
      const bytes = new Uint8Array(samples.buffer);
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      }
      return {samples: btoa(text), starved: window.TromviskAudio.stats().starvedFrames};
    }, kCompareSeconds * kRate);
    const bytes = Buffer.from(recorded.samples, 'base64');
    const web = new Int16Array(bytes.buffer, bytes.byteOffset, bytes.length / 2);
    let differing = 0;
    let sounding = 0;
    for (let i = 0; i < web.length; ++i) {
      differing += web[i] !== native[i] ? 1 : 0;
      sounding += web[i] !== 0 ? 1 : 0;
    }
    const share = differing / web.length;
    Check(sounding > web.length / 2 && share <= kMaxDifferingShare,
          `the first ${kCompareSeconds} s played match the native render: ${differing} of ${web.length} ` +
          `samples differ (${(100 * share).toFixed(3)} %), ${recorded.starved} frames starved`);
    CheckNoConsoleError(seen.errors);
  } finally {
    await browser.close();
    server.close();
  }
}

RunTest(Main);
