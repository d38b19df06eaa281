// The page around the show: credits, the start gesture, the show clock, full
// screen, the ending and the failures a viewer should read about.
'use strict';

(function () {
  const kAspect = 4 / 3;
  const canvas = document.getElementById('canvas');
  const credits = document.getElementById('credits');
  const prompt = document.getElementById('prompt');
  const again = document.getElementById('again');
  const note = document.getElementById('note');

  function Say(text, failure) {
    prompt.textContent = text;
    prompt.classList.toggle('failure', !!failure);
  }

  // One line at the foot of the page, said once.
  const notesSaid = new Set();
  const kNoteShownMs = 5000; // then the show has the whole window
  let noteTimer = null;
  function NoteOnce(text) {
    if (notesSaid.has(text)) {
      return;
    }
    notesSaid.add(text);
    note.textContent = text;
    note.hidden = false;
    console.info(text);
    clearTimeout(noteTimer);
    noteTimer = setTimeout(() => { note.hidden = true; }, kNoteShownMs);
  }

  function HasWebGL() {
    try {
      const probe = document.createElement('canvas');
      return !!(probe.getContext('webgl') || probe.getContext('experimental-webgl'));
    } catch (e) {
      return false;
    }
  }

  if (!HasWebGL()) {
    Say('This browser cannot show the show: it needs WebGL, which is turned off or ' +
        'not available here. Turn on hardware acceleration (or try another browser) and reload.',
        true);
    return;
  }

  // The show clock. With sound, it is the music's own clock, so the acts and
  // the music stay together however slow the page was to start. Silent, it
  // is the wall clock from the start. Both pause while the tab is hidden
  // (the browser stops drawing then) and go on from there when it is shown.
  let clockOrigin = null;
  let hiddenAt = null;
  let audioClock = null;
  function ShowSeconds() {
    if (audioClock) {
      return audioClock();
    }
    if (clockOrigin === null) {
      return 0;
    }
    return ((hiddenAt === null ? performance.now() : hiddenAt) - clockOrigin) / 1000;
  }
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      hiddenAt = performance.now();
    } else if (hiddenAt !== null) {
      if (clockOrigin !== null) {
        clockOrigin += performance.now() - hiddenAt;
      }
      hiddenAt = null;
    }
  });

  // The canvas's drawing buffer follows its size on screen, in device pixels.
  function FitCanvas() {
    if (!ready) {
      return;
    }
    const box = canvas.getBoundingClientRect();
    const scale = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(box.width * scale));
    const height = Math.max(1, Math.round(width / kAspect));
    Module._TromviskResize(width, height);
  }

  function ToggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
      return;
    }
    // Browsers grant full screen only shortly after a key or click; a refusal
    // leaves the show running in the page.
    const request = document.documentElement.requestFullscreen;
    if (!request) {
      NoteOnce('This browser has no full screen for pages.');
      return;
    }
    request.call(document.documentElement).catch(() => {
      console.info('The browser refused full screen; the show goes on in the page.');
    });
  }

  // Starts the music's output; resolves with why there is no sound, or null.
  async function StartAudio() {
    if (!window.TromviskAudio) {
      return 'this page has no audio script';
    }
    try {
      const result = await window.TromviskAudio.start(Module);
      return result && result.state === 'running' ? null : (result && result.reason) || 'unknown';
    } catch (e) {
      return e.message || String(e);
    }
  }

  function FetchFile(name) {
    return fetch(name).then((response) => {
      if (!response.ok) {
        throw new Error(`HTTP ${response.status}`);
      }
      return response.arrayBuffer();
    });
  }

  // The music comes in a file of its own (tromvisk.data, the module itself),
  // fetched here rather than by Emscripten's file packager, whose failure
  // stops the program: a page whose module did not arrive runs silent, as the
  // native show does without demo.xm. Null, or why it is missing.
  const kMusicFile = 'tromvisk.data';
  const kProgramFile = 'tromvisk.wasm';
  let musicMissing = null;
  const music = FetchFile(kMusicFile).then((bytes) => ({bytes}), (error) => ({error}));

  // The program's file, fetched here too, so that a failure reads as one line
  // naming the file rather than as the runtime's abort text.
  function InstantiateProgram(imports, receiveInstance) {
    FetchFile(kProgramFile)
        .then((bytes) => WebAssembly.instantiate(bytes, imports), (error) => {
          throw new Error(`${kProgramFile} did not arrive (${error.message})`);
        })
        .then((result) => receiveInstance(result.instance, result.module), (error) => {
          Say(`The show could not load: ${error.message}. Reload the page.`, true);
        });
    return {}; // the exports come through receiveInstance
  }

  let ready = false;
  let starting = false;
  async function Start() {
    if (!ready || starting) {
      return;
    }
    starting = true;
    document.removeEventListener('keydown', Start);
    document.removeEventListener('click', Start);
    again.hidden = true;
    // The music is set playing before the audio output starts, so that its
    // first sample is the module's first and the clock, the audio played,
    // starts with it. Until then the show stands at its first frame.
    clockOrigin = performance.now();
    hiddenAt = null;
    audioClock = window.TromviskAudio ? () => window.TromviskAudio.clockSeconds() : null;
    Module._TromviskStart();
    document.body.classList.add('playing');
    canvas.focus();
    const silence = await StartAudio(); // within the click's or key's handler: the audio policy's gesture
    const why = musicMissing || silence;
    if (why !== null) {
      NoteOnce(`No sound (${why}): the show runs silent.`);
    }
    starting = false;
  }

  function WaitForStart() {
    Say('Click or press a key to start');
    document.addEventListener('keydown', Start);
    document.addEventListener('click', Start);
  }

  function ShowEnded(how) {
    document.body.classList.remove('playing');
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    }
    if (window.TromviskAudio && window.TromviskAudio.stop) {
      window.TromviskAudio.stop();
    }
    Say(how === 1 ? 'Stopped.' : 'The end.');
    again.hidden = false;
    again.focus();
  }
  again.addEventListener('click', (event) => {
    event.stopPropagation();
    Start();
  });
  // The credits and licences open in a tab of their own and do not start the show.
  for (const type of ['click', 'keydown']) {
    document.getElementById('licences').addEventListener(type, (event) => event.stopPropagation());
  }

  window.Module = {
    canvas: canvas,
    print(text) {
      credits.textContent += text + '\n';
      console.log(text);
    },
    printErr(text) {
      console.warn(text);
    },
    showSeconds: ShowSeconds,
    toggleFullScreen: ToggleFullScreen,
    showEnded: ShowEnded,
    instantiateWasm: InstantiateProgram,
    // The program waits for the music file, then finds it where the show
    // opens it, or finds nothing and plays silent.
    preRun: [() => {
      Module.addRunDependency('music');
      music.then(({bytes, error}) => {
        if (bytes) {
          Module.FS_createDataFile('/', 'demo.xm', new Uint8Array(bytes), true, false);
        } else {
          musicMissing = `the music, ${kMusicFile}, did not arrive: ${error.message}`;
        }
        Module.removeRunDependency('music');
      });
    }],
    onRuntimeInitialized() {
      ready = true;
      FitCanvas();
      WaitForStart();
    },
    onAbort(what) {
      document.body.classList.remove('playing');
      Say('The show stopped with an error: ' + what, true);
    },
    onExit(status) {
      if (status !== 0) {
        document.body.classList.remove('playing');
        Say('The show could not start here (see the console).', true);
      }
    },
  };

  window.addEventListener('resize', FitCanvas);
  document.addEventListener('fullscreenchange', FitCanvas);
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  const program = document.createElement('script');
  program.src = 'tromvisk.js';
  program.onerror = () => Say('The show could not load: tromvisk.js did not arrive. Reload the page.', true);
  document.body.appendChild(program);
})();
