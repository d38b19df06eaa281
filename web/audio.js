// The show's music in the browser: pulls the rendered music from the wasm
// build's mixer (WebMusicRender) and plays it through Web Audio, and keeps the
// clock that the web show runs on, so that acts and music stay aligned however
// long the page took to set up.
//
//   TromviskAudio.start(Module[, options]) -> Promise of {state, output, reason}
//       state 'running': the music plays (output 'audioworklet', or
//       'scriptprocessor' where the browser has no AudioWorklet);
//       state 'silent': audio is blocked or unavailable (reason says why, once,
//       on the console too); the show runs silent on a wall clock.
//       Call it from the start gesture's handler.
//   TromviskAudio.clockSeconds() -> seconds of audio played since the start.
//   TromviskAudio.pause() / resume() -> suspend and resume the audio and the
//       clock with it (done by itself when the tab is hidden and shown again).
//   TromviskAudio.stop() -> closes the audio; start() may be called again.
//   TromviskAudio.state() -> 'idle', 'starting', 'running', 'paused' or 'silent'.
//
// Options: workletUrl (default: audio-worklet.js beside this script),
// autoPause (default true: pause while the tab is hidden), resumeTimeoutMs,
// queueChunks (chunks rendered ahead at the start, default 4), and for test
// pages only: forceScriptProcessor, and tap(context, node),
// called (and awaited) with the music's output node before it is connected
// and before any music flows; musicStartFrame() then gives the context frame
// of the first music sample.
'use strict';

(function (global) {
    // Four chunks of 2048 frames queued ahead of playback: 186 ms at 44.1 kHz,
    // which rides out a slow frame on the page and still fades promptly. Each
    // time the audio thread runs dry (the page was busier still), the queue
    // grows by two chunks, up to 16 (743 ms).
    const kQueueChunks = 4;
    const kQueueGrowth = 2;
    const kMostQueueChunks = 16;
    const kScriptProcessorChunks = 4;
    const kFullScale = 32768;
    const kResumeTimeoutMs = 1500;
    // Firefox opens the sound device when the context resumes, which took up
    // to 1.5 s on a busy machine: where the browser says the audio may start,
    // it is given longer before the show goes on silent.
    const kAllowedResumeTimeoutMs = 8000;
    const kChannels = 2;
    const kBytesPerSample = 2;

    const scriptUrl = (global.document && document.currentScript && document.currentScript.src) ||
                      (global.location ? global.location.href : '');
    const defaultWorkletUrl = new URL('audio-worklet.js', scriptUrl).href;

    let status = 'idle';
    let context = null;
    let node = null;
    let module = null;
    let buffer = 0; // one chunk in the wasm heap
    let chunkFrames = 0;
    let rate = 0;
    let inFlight = 0; // chunks posted to the worklet and not yet played
    let queueChunks = kQueueChunks;
    let starvedFrames = 0;
    let renderedFrames = 0;
    let startFrame = null; // context frame of the first music sample
    let report = null;     // the worklet's last word: {playedFrames, queuedFrames, frame}
    let lastClock = 0;
    let silentSince = 0;   // wall clock of a silent show, in ms
    let silentPausedAt = null;
    let visibilityHandler = null;
    let startPromise = null;

    function Delay(ms) {
        return new Promise((resolve) => setTimeout(resolve, ms));
    }

    // Renders the next chunk in the wasm heap; returns its index in HEAP16.
    function RenderChunk() {
        module._WebMusicRender(buffer, chunkFrames);
        renderedFrames += chunkFrames;
        return buffer / kBytesPerSample;
    }

    function PostChunks() {
        while (inFlight < queueChunks) {
            const at = RenderChunk();
            const chunk = module.HEAP16.slice(at, at + chunkFrames * kChannels);
            node.port.postMessage(chunk, [chunk.buffer]);
            ++inFlight;
        }
    }

    function OnWorkletMessage(event) {
        const message = event.data;
        if (message.type === 'started') {
            startFrame = message.frame;
            return;
        }
        report = message;
        inFlight -= message.finishedChunks;
        if (message.starvedFrames > starvedFrames) {
            starvedFrames = message.starvedFrames;
            queueChunks = Math.min(kMostQueueChunks, queueChunks + kQueueGrowth);
        }
        if (status === 'running') {
            PostChunks();
        }
    }

    function StartWorklet(url) {
        return context.audioWorklet.addModule(url).then(() => {
            node = new AudioWorkletNode(context, 'tromvisk-music', {
                numberOfInputs: 0,
                numberOfOutputs: 1,
                outputChannelCount: [kChannels],
            });
            node.port.onmessage = OnWorkletMessage;
            return 'audioworklet';
        });
    }

    // The deprecated fallback: renders on the main thread, four chunks a
    // callback (372 ms), since a late callback there is a gap in the music.
    function StartScriptProcessor() {
        const frames = chunkFrames * kScriptProcessorChunks;
        node = context.createScriptProcessor(frames, 0, kChannels);
        node.onaudioprocess = (event) => {
            const left = event.outputBuffer.getChannelData(0);
            const right = event.outputBuffer.getChannelData(1);
            for (let done = 0; done < frames; done += chunkFrames) {
                const at = RenderChunk();
                const heap = module.HEAP16;
                for (let i = 0; i < chunkFrames; ++i) {
                    left[done + i] = heap[at + 2 * i] / kFullScale;
                    right[done + i] = heap[at + 2 * i + 1] / kFullScale;
                }
            }
            if (startFrame === null) {
                startFrame = Math.round(event.playbackTime * rate);
            }
        };
        return 'scriptprocessor';
    }

    function GoSilent(reason) {
        if (context) {
            context.close().catch(() => {});
            context = null;
        }
        status = 'silent';
        silentSince = performance.now();
        silentPausedAt = null;
        console.warn('Tromvisk: no sound (' + reason + '); the show runs silent.');
        return {state: 'silent', output: null, reason};
    }

    function ResumeTimeoutMs(options) {
        if (options.resumeTimeoutMs) {
            return options.resumeTimeoutMs;
        }
        const nav = global.navigator;
        const allowed = nav && nav.getAutoplayPolicy && nav.getAutoplayPolicy('audiocontext') === 'allowed';
        return allowed ? kAllowedResumeTimeoutMs : kResumeTimeoutMs;
    }

    function WatchVisibility() {
        visibilityHandler = () => {
            if (document.hidden) {
                Pause();
            } else {
                Resume();
            }
        };
        document.addEventListener('visibilitychange', visibilityHandler);
    }

    async function Start(wasm, options) {
        options = options || {};
        module = wasm;
        status = 'starting';
        startFrame = null;
        report = null;
        lastClock = 0;
        inFlight = 0;
        renderedFrames = 0;
        starvedFrames = 0;
        queueChunks = options.queueChunks || kQueueChunks;
        if (options.autoPause !== false && global.document) {
            WatchVisibility();
        }
        const Context = global.AudioContext || global.webkitAudioContext;
        if (!Context) {
            return GoSilent('this browser has no Web Audio');
        }
        rate = module._WebMusicRate();
        chunkFrames = module._WebMusicChunkFrames();
        try {
            // At the music's own rate: the browser resamples to the device if needed.
            context = new Context({sampleRate: rate, latencyHint: 'interactive'});
        } catch (error) {
            return GoSilent('the browser cannot open audio at ' + rate + ' Hz: ' + error.message);
        }
        if (context.state !== 'running') {
            await Promise.race([context.resume().catch(() => {}), Delay(ResumeTimeoutMs(options))]);
        }
        if (context.state !== 'running') {
            return GoSilent('the browser did not let the audio start');
        }
        buffer = module._malloc(chunkFrames * kChannels * kBytesPerSample);
        let output;
        if (context.audioWorklet && !options.forceScriptProcessor) {
            try {
                output = await StartWorklet(options.workletUrl || defaultWorkletUrl);
            } catch (error) {
                console.warn('Tromvisk: the audio worklet did not load (' + error.message +
                             '); using the older ScriptProcessor output.');
                output = StartScriptProcessor();
            }
        } else {
            output = StartScriptProcessor();
        }
        if (options.tap) {
            await options.tap(context, node);
        }
        node.connect(context.destination);
        status = 'running';
        if (output === 'audioworklet') {
            PostChunks();
        }
        if (global.document && document.hidden) {
            Pause();
        }
        return {state: 'running', output, reason: null};
    }

    function ClockSeconds() {
        if (status === 'silent') {
            const now = silentPausedAt !== null ? silentPausedAt : performance.now();
            return (now - silentSince) / 1000;
        }
        if (!context || startFrame === null) {
            return lastClock;
        }
        const now = context.currentTime * rate;
        let frames;
        if (report) {
            // Interpolated from the worklet's last report, never past what it had queued.
            frames = report.playedFrames + Math.max(0, now - report.frame);
            frames = Math.min(frames, report.playedFrames + report.queuedFrames);
        } else if (node && node.port) {
            frames = 0;
        } else {
            frames = Math.min(Math.max(0, now - startFrame), renderedFrames);
        }
        lastClock = Math.max(lastClock, frames / rate);
        return lastClock;
    }

    function Pause() {
        if (status === 'running') {
            status = 'paused';
            context.suspend();
        } else if (status === 'silent' && silentPausedAt === null) {
            silentPausedAt = performance.now();
        }
    }

    function Resume() {
        if (status === 'paused') {
            status = 'running';
            context.resume();
            if (node && node.port) {
                PostChunks();
            }
        } else if (status === 'silent' && silentPausedAt !== null) {
            silentSince += performance.now() - silentPausedAt;
            silentPausedAt = null;
        }
    }

    function Stop() {
        if (visibilityHandler) {
            document.removeEventListener('visibilitychange', visibilityHandler);
            visibilityHandler = null;
        }
        if (node) {
            node.disconnect();
            node = null;
        }
        if (context) {
            context.close().catch(() => {});
            context = null;
        }
        if (buffer) {
            module._free(buffer);
            buffer = 0;
        }
        status = 'idle';
        startPromise = null;
    }

    global.TromviskAudio = {
        start(wasm, options) {
            if (!startPromise) {
                startPromise = Start(wasm, options);
            }
            return startPromise;
        },
        clockSeconds: ClockSeconds,
        pause: Pause,
        resume: Resume,
        stop: Stop,
        state() {
            return status;
        },
        musicStartFrame() {
            return startFrame;
        },
        // How the output copes: chunks kept queued, frames of silence played
        // because none was there (AudioWorklet output only).
        stats() {
            return {queueChunks, starvedFrames};
        },
    };
})(typeof window !== 'undefined' ? window : globalThis);
