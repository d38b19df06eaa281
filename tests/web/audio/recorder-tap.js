// Test only: puts a recorder (recorder-worklet.js) on the music's output node
// and waits until it runs, so that it holds the music's first sample: the
// music flows once the tap returns, and a browser may start a new node late.
// Resolves to {recording}: a promise of {firstFrame, left, right}.
'use strict';

async function TapRecorder(context, node, frames) {
    await context.audioWorklet.addModule('recorder-worklet.js');
    const recorder = new AudioWorkletNode(context, 'test-recorder', {
        numberOfInputs: 1,
        numberOfOutputs: 1,
        outputChannelCount: [2],
        channelCount: 2,
        channelCountMode: 'explicit',
        processorOptions: {frames},
    });
    let recordingStarted;
    const started = new Promise((resolve) => {
        recordingStarted = resolve;
    });
    const recording = new Promise((resolve) => {
        recorder.port.onmessage = (event) => {
            if (event.data.started !== undefined) {
                recordingStarted();
            } else {
                resolve(event.data);
            }
        };
    });
    node.connect(recorder);
    recorder.connect(context.destination);
    await started;
    return {recording};
}
