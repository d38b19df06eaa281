// The show's music output on the audio thread: plays the chunks the page
// renders (interleaved signed 16-bit stereo, posted as Int16Arrays) in order,
// and tells the page how far it got so that the page keeps a few chunks
// queued and its clock follows the music actually played.
'use strict';

const kFullScale = 32768;
// Between finished chunks the page hears from the audio thread every so many
// blocks of 128 frames (about 23 ms); its clock interpolates in between.
const kReportEveryBlocks = 8;

class TromviskMusicProcessor extends AudioWorkletProcessor {
    constructor() {
        super();
        this.queue = []; // Int16Arrays, interleaved stereo
        this.offset = 0; // frames of queue[0] already played
        this.queuedFrames = 0;
        this.playedFrames = 0; // frames of music played since the first chunk
        this.started = false;
        this.starvedFrames = 0; // frames of silence played for want of a chunk
        this.blocksSinceReport = 0;
        this.port.onmessage = (event) => {
            const chunk = event.data;
            this.queue.push(chunk);
            this.queuedFrames += chunk.length / 2;
        };
    }

    process(inputs, outputs) {
        const left = outputs[0][0];
        const right = outputs[0][1] || outputs[0][0];
        const frames = left.length;
        let written = 0;
        let finishedChunks = 0;
        if (!this.started && this.queue.length > 0) {
            this.started = true;
            this.port.postMessage({type: 'started', frame: currentFrame});
        }
        while (written < frames && this.queue.length > 0) {
            const chunk = this.queue[0];
            const chunkFrames = chunk.length / 2;
            const count = Math.min(frames - written, chunkFrames - this.offset);
            for (let i = 0; i < count; ++i) {
                const at = 2 * (this.offset + i);
                left[written + i] = chunk[at] / kFullScale;
                right[written + i] = chunk[at + 1] / kFullScale;
            }
            written += count;
            this.offset += count;
            if (this.offset === chunkFrames) {
                this.queue.shift();
                this.offset = 0;
                ++finishedChunks;
            }
        }
        this.queuedFrames -= written;
        this.playedFrames += written;
        if (this.started && written < frames) {
            this.starvedFrames += frames - written; // the outputs are zero-filled already
        }
        ++this.blocksSinceReport;
        if (this.started && (finishedChunks > 0 || written < frames ||
                             this.blocksSinceReport >= kReportEveryBlocks)) {
            this.blocksSinceReport = 0;
            // Where the music stands at the end of this block, for the page's clock.
            this.port.postMessage({
                type: 'played',
                finishedChunks,
                playedFrames: this.playedFrames,
                queuedFrames: this.queuedFrames,
                starvedFrames: this.starvedFrames,
                frame: currentFrame + frames,
            });
        }
        return true;
    }
}

registerProcessor('tromvisk-music', TromviskMusicProcessor);
