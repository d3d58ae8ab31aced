// The page's half of the browser back end (web_backend.cpp calls it as
// Module.chompo): the canvas and its scale, full screen, waiting, sound
// through an AudioWorklet, the best score in local storage, the touch
// controls and the goodbye.
'use strict';

var Module = (function() {
  const stage = document.getElementById('stage');
  const screen = document.getElementById('screen');
  const status = document.getElementById('status');
  const thanks = document.getElementById('thanks');
  const fullScreenButton = document.getElementById('full-screen');
  const dpad = document.getElementById('dpad');
  const spaceButton = document.getElementById('space');
  const context2d = screen.getContext('2d', {alpha: false});

  const VK_SPACE = 0x20;
  const VK_LEFT = 0x25;
  const VK_UP = 0x26;
  const VK_RIGHT = 0x27;
  const VK_DOWN = 0x28;
  const STORAGE_PREFIX = 'chompo/state/';
  // Sound queued ahead of the speakers, topped up in steps of a few
  // milliseconds: with the output's own latency, about 25 ms.
  const AUDIO_TARGET_SECONDS = 0.016;
  const AUDIO_STEP_SECONDS = 0.003;

  let pictureWidth = 320;
  let pictureHeight = 240;
  let image = null;
  let ended = false;
  let gameReady = false;
  // Milliseconds since the page was asked for, and pictures drawn.
  const stats = {firstPictureMs: null, pictures: 0};

  // The picture: the largest whole number of device pixels per game pixel
  // that fits, never below one; the rest of the page stays black.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const box = stage.getBoundingClientRect();
    const scale = Math.max(
        1,
        Math.floor(Math.min((box.width * ratio) / pictureWidth, (box.height * ratio) / pictureHeight)),
    );
    screen.style.width = (pictureWidth * scale) / ratio + 'px';
    screen.style.height = (pictureHeight * scale) / ratio + 'px';
    stats.scale = scale;
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', () => {
    fit();
    fullScreenButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  });

  function toggleFullScreen() {
    const root = document.documentElement;
    if (document.fullscreenElement || document.webkitFullscreenElement) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else if (root.requestFullscreen) {
      root.requestFullscreen().catch(() => {});
    } else if (root.webkitRequestFullscreen) {
      root.webkitRequestFullscreen();
    }
  }
  fullScreenButton.addEventListener('mousedown', (event) => event.preventDefault());
  fullScreenButton.addEventListener('click', () => {
    unlockAudio();
    toggleFullScreen();
    stage.focus();
  });

  // Waiting. A wait ends through a message rather than in the timer's own
  // task: browsers stretch timers set from timers nested deeper than a few
  // levels to 4 ms, and the game's next wait is set from this one's end.
  const channel = new MessageChannel();
  let resumeGame = null;
  let wakeGame = null;
  channel.port1.onmessage = () => {
    const resume = resumeGame;
    resumeGame = null;
    if (resume) resume();
  };
  function pause(milliseconds, wakeable) {
    return new Promise((resolve) => {
      let timer = null;
      const end = () => {
        if (timer !== null) clearTimeout(timer);
        timer = null;
        wakeGame = null;
        resumeGame = resolve;
        channel.port2.postMessage(0);
      };
      if (wakeable) wakeGame = end;
      if (milliseconds > 0) {
        timer = setTimeout(end, milliseconds);
      } else {
        end();
      }
    });
  }
  function wake() {
    if (wakeGame) wakeGame();
  }

  function showScreen(width, height) {
    pictureWidth = width;
    pictureHeight = height;
    screen.width = width;
    screen.height = height;
    image = null;
    gameReady = true;
    status.hidden = true;
    screen.hidden = false;
    fit();
    stage.focus();
  }

  function putFrame(pointer, width, height) {
    if (image === null || image.width !== width || image.height !== height) {
      image = context2d.createImageData(width, height);
    }
    image.data.set(Module.HEAPU8.subarray(pointer, pointer + width * height * 4));
    context2d.putImageData(image, 0, 0);
    stats.pictures += 1;
    if (stats.firstPictureMs === null) stats.firstPictureMs = performance.now();
  }

  // Sound.
  let audio = null;

  function openAudio() {
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) return 0;
    let context;
    try {
      context = new AudioContextClass({latencyHint: 'interactive'});
    } catch (error) {
      return 0;
    }
    // AudioWorklet needs a secure page (https, or this machine's own address).
    if (!context.audioWorklet) {
      context.close();
      return 0;
    }
    const rate = context.sampleRate;
    audio = {context: context, node: null, rate: rate, requests: 0, frames: 0, starved: 0, peak: 0};
    const opened = audio;
    context.audioWorklet.addModule('feed_worklet.js')
        .then(() => {
          if (audio !== opened) return;
          const node = new AudioWorkletNode(context, 'chompo-feed', {
            numberOfInputs: 0,
            outputChannelCount: [2],
            processorOptions: {
              target: Math.round(rate * AUDIO_TARGET_SECONDS),
              step: Math.round(rate * AUDIO_STEP_SECONDS),
            },
          });
          node.port.onmessage = (event) => feed(opened, event.data);
          node.connect(context.destination);
          opened.node = node;
        })
        .catch((error) => console.warn('chompo: no sound:', error));
    return rate;
  }

  function feed(opened, request) {
    if (audio !== opened || opened.node === null) return;
    const frames = request.need;
    const pointer = Module._chompo_web_mix(frames);
    if (!pointer) return;
    const base = pointer >> 2;
    const left = Module.HEAPF32.slice(base, base + frames);
    const right = Module.HEAPF32.slice(base + frames, base + 2 * frames);
    for (let i = 0; i < frames; i++)
      opened.peak = Math.max(opened.peak, Math.abs(left[i]), Math.abs(right[i]));
    opened.requests += 1;
    opened.frames += frames;
    opened.starved = request.starved;
    opened.node.port.postMessage({left: left, right: right}, [left.buffer, right.buffer]);
  }

  function audioFlowing() {
    return audio !== null && audio.node !== null && audio.context.state === 'running';
  }

  function closeAudio() {
    if (audio === null) return;
    if (audio.node !== null) audio.node.disconnect();
    audio.context.close();
    audio = null;
  }

  // Browsers start sound only after the player has pressed or touched something.
  function unlockAudio() {
    if (audio !== null && audio.context.state !== 'running') audio.context.resume().catch(() => {});
  }
  window.addEventListener('keydown', unlockAudio, true);
  window.addEventListener('pointerdown', unlockAudio, true);

  function audioStats() {
    if (audio === null) return null;
    const context = audio.context;
    return {
      state: context.state,
      rate: audio.rate,
      worklet: audio.node !== null,
      requests: audio.requests,
      frames: audio.frames,
      starved: audio.starved,
      peak: audio.peak,
      baseLatency: context.baseLatency || 0,
      outputLatency: context.outputLatency || 0,
      // The queue runs between the target and a step and a block below it.
      queuedSeconds: AUDIO_TARGET_SECONDS - (AUDIO_STEP_SECONDS + 128 / audio.rate) / 2,
    };
  }

  // The state folder's files, kept in local storage: written at once, so a
  // save made just before the page closes is kept too.
  function keepFiles(files) {
    try {
      for (const name of Object.keys(files)) {
        let text = '';
        for (const byte of files[name]) text += String.fromCharCode(byte);
        localStorage.setItem(STORAGE_PREFIX + name, btoa(text));
      }
    } catch (error) {
      console.warn('chompo: the best score cannot be kept in this browser:', error);
    }
  }

  function keptFiles() {
    const files = {};
    try {
      for (let i = 0; i < localStorage.length; i++) {
        const key = localStorage.key(i);
        if (key === null || !key.startsWith(STORAGE_PREFIX)) continue;
        const name = key.slice(STORAGE_PREFIX.length);
        if (name === '' || name.includes('/')) continue;
        const text = atob(localStorage.getItem(key));
        const bytes = new Uint8Array(text.length);
        for (let j = 0; j < text.length; j++) bytes[j] = text.charCodeAt(j);
        files[name] = bytes;
      }
    } catch (error) {
      console.warn('chompo: no best score could be read from this browser:', error);
    }
    return files;
  }

  function finish() {
    if (ended) return;
    ended = true;
    closeAudio();
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(() => {});
    document.body.classList.add('ended');
    screen.hidden = true;
    status.hidden = true;
    thanks.hidden = false;
  }

  // Touch: a direction pad and a Space button feeding the same keys.
  function touchKey(virtualKey, down) {
    if (gameReady && !ended) Module._chompo_web_touch_key(virtualKey, down ? 1 : 0);
  }

  const directions = {up: VK_UP, down: VK_DOWN, left: VK_LEFT, right: VK_RIGHT};
  let heldDirection = null;
  let dpadPointer = null;
  function holdDirection(name) {
    if (name === heldDirection) return;
    if (heldDirection !== null) {
      touchKey(directions[heldDirection], false);
      dpad.querySelector('.' + heldDirection).classList.remove('held');
    }
    heldDirection = name;
    if (name !== null) {
      touchKey(directions[name], true);
      dpad.querySelector('.' + name).classList.add('held');
    }
  }
  // The direction is the one the touch lies furthest towards from the
  // pad's centre; the middle fifth holds none.
  function directionAt(event) {
    const box = dpad.getBoundingClientRect();
    const dx = event.clientX - (box.left + box.width / 2);
    const dy = event.clientY - (box.top + box.height / 2);
    if (Math.hypot(dx, dy) < box.width * 0.1) return null;
    if (Math.abs(dx) > Math.abs(dy)) return dx < 0 ? 'left' : 'right';
    return dy < 0 ? 'up' : 'down';
  }
  dpad.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    dpadPointer = event.pointerId;
    dpad.setPointerCapture(event.pointerId);
    holdDirection(directionAt(event));
  });
  dpad.addEventListener('pointermove', (event) => {
    if (event.pointerId === dpadPointer) holdDirection(directionAt(event));
  });
  const releaseDpad = (event) => {
    if (event.pointerId !== dpadPointer) return;
    dpadPointer = null;
    holdDirection(null);
  };
  dpad.addEventListener('pointerup', releaseDpad);
  dpad.addEventListener('pointercancel', releaseDpad);

  let spacePointer = null;
  spaceButton.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    if (spacePointer !== null) return;
    spacePointer = event.pointerId;
    spaceButton.setPointerCapture(event.pointerId);
    spaceButton.classList.add('held');
    touchKey(VK_SPACE, true);
  });
  const releaseSpace = (event) => {
    if (event.pointerId !== spacePointer) return;
    spacePointer = null;
    spaceButton.classList.remove('held');
    touchKey(VK_SPACE, false);
  };
  spaceButton.addEventListener('pointerup', releaseSpace);
  spaceButton.addEventListener('pointercancel', releaseSpace);
  window.addEventListener('contextmenu', (event) => event.preventDefault());

  function showTouchControls() {
    if (document.body.classList.contains('touch')) return;
    document.body.classList.add('touch');
    fit();
  }
  if (navigator.maxTouchPoints > 0 || window.matchMedia('(pointer: coarse)').matches) showTouchControls();
  window.addEventListener('touchstart', showTouchControls, {passive: true});

  window.addEventListener('load', () => stage.focus());
  // A reload or a closing tab gives the game no close of its own: its best
  // score is saved while the page still can.
  window.addEventListener('pagehide', () => {
    if (gameReady && !ended) Module._chompo_web_save();
  });
  stage.addEventListener('pointerdown', () => stage.focus());

  return {
    chompo: {
      pause: pause,
      wake: wake,
      showScreen: showScreen,
      putFrame: putFrame,
      toggleFullScreen: toggleFullScreen,
      openAudio: openAudio,
      closeAudio: closeAudio,
      audioFlowing: audioFlowing,
      audioStats: audioStats,
      keepFiles: keepFiles,
      keptFiles: keptFiles,
      finish: finish,
      stats: stats,
    },
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    onAbort: (what) => {
      status.hidden = false;
      screen.hidden = true;
      status.textContent = 'The game stopped: ' + what;
    },
  };
})();
