// Test only: records what reaches its input, each block stamped with the
// context frame it belongs to, and posts the recording once it holds the
// frames asked for. Its own output stays silent. It says when it first runs,
// so that a page can hold the music back until the recording has begun.
'use strict';

class TestRecorder extends AudioWorkletProcessor {
    constructor(options) {
        super();
        this.frames = options.processorOptions.frames;
        this.left = new Float32Array(this.frames);
        this.right = new Float32Array(this.frames);
        this.recorded = 0;
        this.firstFrame = null;
    }

    process(inputs) {
        if (this.recorded >= this.frames) {
            return false;
        }
        const input = inputs[0];
        const blockFrames = 128;
        if (this.firstFrame === null) {
            this.firstFrame = currentFrame;
            this.port.postMessage({started: currentFrame});
        }
        const count = Math.min(blockFrames, this.frames - this.recorded);
        if (input.length > 0) {
            this.left.set(input[0].subarray(0, count), this.recorded);
            this.right.set((input[1] || input[0]).subarray(0, count), this.recorded);
        }
        this.recorded += count;
        if (this.recorded === this.frames) {
            this.port.postMessage({firstFrame: this.firstFrame, left: this.left, right: this.right});
        }
        return true;
    }
}

registerProcessor('test-recorder', TestRecorder);
