// Test only: drives the web mixer and audio.js for web_audio_test.js, and
// compares what comes out with the native render (reference.wav).
'use strict';

const kRate = 44100;
const kChannels = 2;
const kFullScale = 32768;
const params = new URLSearchParams(location.search);
const captureFrames = Number(params.get('captureFrames') || 6 * kRate);

var Module = {
    locateFile: (path) => '../build/' + path,
    print: (text) => console.log(text),
    printErr: (text) => console.log(text),
};
window.testLoaded = new Promise((resolve) => {
    Module.postRun = [resolve];
});

let recording = null;

// Puts a recorder on the music's output before any music flows.
async function Tap(context, node) {
    window.testContext = context;
    recording = (await TapRecorder(context, node, captureFrames)).recording;
}

function Start() {
    if (window.testStarted) {
        return;
    }
    window.testStarted = window.testLoaded.then(() => TromviskAudio.start(Module, {
        forceScriptProcessor: params.has('fallback'),
        // The samples are compared on a shared, busy machine: queue generously.
        queueChunks: 12,
        tap: params.has('notap') ? undefined : Tap,
    }));
}
document.getElementById('start').addEventListener('click', Start);
document.addEventListener('keydown', Start);

// The native render from the music's first chunk on (reference-fade.wav: with
// the fade that CompareFadedRender makes).
async function Reference(name) {
    const bytes = await (await fetch('../build/' + (name || 'reference.wav'))).arrayBuffer();
    const view = new DataView(bytes);
    for (let at = 12; at + 8 <= bytes.byteLength;) {
        const id = String.fromCharCode(...new Uint8Array(bytes, at, 4));
        const size = view.getUint32(at + 4, true);
        if (id === 'data') {
            return new Int16Array(bytes.slice(at + 8, at + 8 + size));
        }
        at += 8 + size + (size % 2);
    }
    throw new Error('reference.wav holds no audio');
}

// Frames up to the last one that is not silent.
function SoundingFrames(samples) {
    let last = samples.length - 1;
    while (last >= 0 && samples[last] === 0) {
        --last;
    }
    return Math.ceil((last + 1) / kChannels);
}

function Compare(web, native, count) {
    let differing = 0;
    let largest = 0;
    let first = -1;
    for (let i = 0; i < count; ++i) {
        const difference = Math.abs(web[i] - native[i]);
        if (difference !== 0) {
            ++differing;
            largest = Math.max(largest, difference);
            if (first < 0) {
                first = i;
            }
        }
    }
    return {samples: count, differing, largest, firstDifferingFrame: first < 0 ? -1 : first >> 1};
}

// Diagnosis: the shift of `web` against `native` where their opening matches best.
function BestOffset(web, native) {
    const kSearch = 16384;
    const kWindow = 4096;
    let best = {offset: 0, differing: Infinity};
    for (let offset = -kSearch; offset <= kSearch; ++offset) {
        let differing = 0;
        for (let i = kSearch; i < kSearch + kWindow && differing < best.differing; ++i) {
            const w = i + offset;
            differing += web[2 * w] !== native[2 * i] ? 1 : 0;
        }
        if (differing < best.differing) {
            best = {offset, differing};
        }
    }
    return best.offset;
}

// The first `seconds` that the audio graph played, against the native render.
// With alignBySearch, the music's start is found by matching the reference.
window.CompareGraphCapture = async (seconds, options) => {
    const started = await window.testStarted;
    const captured = await recording;
    const startFrame = TromviskAudio.musicStartFrame();
    let skip = startFrame - captured.firstFrame;
    const native = await Reference();
    let searched = 0;
    if (options && options.alignBySearch) {
        const recorded = new Int16Array(captured.left.length * kChannels);
        for (let i = 0; i < captured.left.length; ++i) {
            recorded[2 * i] = Math.round(captured.left[i] * kFullScale);
        }
        searched = BestOffset(recorded.subarray(Math.max(0, skip) * kChannels), native);
        skip += searched;
    }
    const frames = Math.round(seconds * kRate);
    if (skip < 0 || skip + frames > captured.left.length) {
        throw new Error('the recording holds ' + captured.left.length + ' frames from ' +
                        captured.firstFrame + ', the music started at ' + startFrame);
    }
    const all = new Int16Array((captured.left.length - skip) * kChannels);
    for (let i = 0; i < all.length / kChannels; ++i) {
        all[2 * i] = Math.round(captured.left[skip + i] * kFullScale);
        all[2 * i + 1] = Math.round(captured.right[skip + i] * kFullScale);
    }
    const web = all.subarray(0, frames * kChannels);
    const result = Compare(web, native, frames * kChannels);
    result.alignedBySearch = searched;
    result.starvedFrames = TromviskAudio.stats().starvedFrames;
    result.output = started.output;
    result.state = started.state;
    result.leadingFrames = skip;
    if (result.differing > 0) {
        result.offByFrames = BestOffset(all, native);
    }
    let sounding = 0;
    for (let i = 0; i < web.length; ++i) {
        sounding += web[i] !== 0 ? 1 : 0;
    }
    result.nonZeroSamples = sounding;
    return result;
};

// The clock follows the audio played (the context's own clock), and stands
// still while paused.
window.CheckClock = async () => {
    const Wait = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
    const context = window.testContext;
    const Advance = async (ms) => {
        const clock = TromviskAudio.clockSeconds();
        const audio = context.currentTime;
        await Wait(ms);
        return {clock: TromviskAudio.clockSeconds() - clock, audio: context.currentTime - audio};
    };
    const running = await Advance(500);
    TromviskAudio.pause();
    await Wait(200);
    const paused = await Advance(500);
    const stateWhilePaused = TromviskAudio.state();
    TromviskAudio.resume();
    await Wait(200);
    const resumed = await Advance(500);
    return {running, paused, stateWhilePaused, resumed, state: TromviskAudio.state()};
};

// Renders the module again straight from the mixer (the audio paused), with
// a fade of `fadeMs` after `fadeAfterChunks` chunks when asked, until the
// music stops; compares all of it, and its length, with the native render.
async function CompareDirectRender(reference, fadeAfterChunks, fadeMs) {
    TromviskAudio.pause();
    if (Module._TestPlayAgain() !== 0) {
        throw new Error('the module does not play again');
    }
    const chunk = Module._WebMusicChunkFrames();
    const buffer = Module._malloc(chunk * kChannels * 2);
    const parts = [];
    let total = 0;
    let fadeStarted = 0;
    while (Module._TestPlaying()) {
        if (parts.length === fadeAfterChunks) {
            fadeStarted = Module._TestFadeOut(fadeMs);
        }
        Module._WebMusicRender(buffer, chunk);
        const at = buffer / 2;
        parts.push(Module.HEAP16.slice(at, at + chunk * kChannels));
        total += chunk * kChannels;
    }
    Module._free(buffer);
    const web = new Int16Array(total);
    let offset = 0;
    for (const part of parts) {
        web.set(part, offset);
        offset += part.length;
    }
    const native = await Reference(reference);
    const webFrames = SoundingFrames(web);
    const nativeFrames = SoundingFrames(native);
    const result = Compare(web, native, Math.min(webFrames, nativeFrames) * kChannels);
    result.webFrames = webFrames;
    result.nativeFrames = nativeFrames;
    result.chunks = parts.length;
    result.fadeStarted = fadeStarted;
    return result;
}

window.CompareFullRender = () => CompareDirectRender('reference.wav', -1, 0);
window.CompareFadedRender = (afterChunks, ms) =>
    CompareDirectRender('reference-fade.wav', afterChunks, ms);

// A module that is missing or broken gives an error and silence, as natively.
window.CheckBadModule = (broken) => {
    let path = 'no-such-module.xm';
    if (broken) {
        path = 'broken.xm';
        Module.FS.writeFile(path, new TextEncoder().encode('Extended Module: not really'));
    }
    const error = Module.UTF8ToString(Module.ccall('TestPlayOther', 'number', ['string'], [path]));
    const chunk = Module._WebMusicChunkFrames();
    const buffer = Module._malloc(chunk * kChannels * 2);
    Module.HEAP16.fill(1, buffer / 2, buffer / 2 + chunk * kChannels);
    const written = Module._WebMusicRender(buffer, chunk);
    const silent = Module.HEAP16.subarray(buffer / 2, buffer / 2 + chunk * kChannels)
                       .every((sample) => sample === 0);
    Module._free(buffer);
    return {error, written, silent};
};

// Started by the page itself, with no gesture (a DevTools evaluation would
// count as one): reports on the console how the start went.
if (params.has('autostart')) {
    window.testLoaded.then(async () => {
        const result = await TromviskAudio.start(Module, {resumeTimeoutMs: 500});
        const before = TromviskAudio.clockSeconds();
        await new Promise((resolve) => setTimeout(resolve, 300));
        const advanced = TromviskAudio.clockSeconds() - before;
        console.log('autostart ' + JSON.stringify({result, advanced, state: TromviskAudio.state()}));
    });
}
