// Plays the sound the page mixes: a queue of blocks kept near its target
// by asking the page for more as it drains, a few milliseconds at a time,
// so the page has most of the queue's length to answer. Runs on the
// browser's audio thread.
'use strict';

class Feed extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.target = options.processorOptions.target;
    this.step = options.processorOptions.step;
    this.blocks = [];
    this.offset = 0;
    this.queued = 0;
    this.asked = 0;
    this.fed = false;
    this.starved = 0;
    this.port.onmessage = (event) => {
      this.blocks.push(event.data);
      this.queued += event.data.left.length;
      this.asked = Math.max(0, this.asked - event.data.left.length);
      this.fed = true;
    };
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    const frames = left.length;
    let done = 0;
    while (done < frames && this.blocks.length > 0) {
      const block = this.blocks[0];
      const take = Math.min(frames - done, block.left.length - this.offset);
      left.set(block.left.subarray(this.offset, this.offset + take), done);
      right.set(block.right.subarray(this.offset, this.offset + take), done);
      done += take;
      this.offset += take;
      this.queued -= take;
      if (this.offset === block.left.length) {
        this.blocks.shift();
        this.offset = 0;
      }
    }
    if (done < frames) {
      left.fill(0, done);
      right.fill(0, done);
      // Counted once the page has fed us: before that, silence is expected.
      if (this.fed) this.starved += 1;
    }
    const need = this.target - this.queued - this.asked;
    if (need >= this.step) {
      this.asked += need;
      this.port.postMessage({need: need, starved: this.starved});
    }
    return true;
  }
}

registerProcessor('chompo-feed', Feed);
