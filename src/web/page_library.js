// The page's side of the web platform library (src/web/page_js.h): fetching
// the data, the browser's decode of the music and its playing (Web Audio),
// the title, the page's words over the picture and its input, the canvas's
// layout, messages, the benchmark's numbers and the clock log. Linked into
// afterglow.js with --js-library.

mergeInto(LibraryManager.library, {
  // What the functions below share; the page's script reads it as
  // Module.afterglowPage (index.html: window.afterglow).
  $PageState: {
    music: null,      // the decoded music, an AudioBuffer (a copy is in the heap for the spectrum)
    audio: null,      // the audio context, made in the first gesture's handler
    source: null,     // what plays the music now
    phase: 'loading',
    picture: null,    // the canvas: width, height, and the rows of its 16:9 band
    inputTaken: false,
    clockLog: [],
    startTimes: {},
  },

  pageQuery__deps: ['malloc'],
  pageQuery: function () {
    var query = location.search;
    var size = lengthBytesUTF8(query) + 1;
    var text = _malloc(size);
    stringToUTF8(query, text, size);
    return text;
  },

  // Every file in parallel, each written where the program will read it
  // (relative to the page, so the site works from any folder of a host).
  // A file that cannot be fetched is left out: the program names what it
  // misses when it reads, as it does natively.
  pageFetchData__deps: ['malloc', '$PageState'],
  pageFetchData: function (namesText) {
    var names = UTF8ToString(namesText).split('\n').filter(function (n) { return n.length > 0; });
    var done = 0;
    var music = null;
    var fetches = names.map(function (name) {
      return fetch(name)
        .then(function (response) {
          if (!response.ok) throw new Error('HTTP ' + response.status);
          return response.arrayBuffer();
        })
        .then(function (bytes) {
          var slash = name.lastIndexOf('/');
          if (slash > 0) FS.createPath('/', name.substring(0, slash), true, true);
          FS.writeFile(name, new Uint8Array(bytes));
          if (name === 'demo.mp3') music = bytes;
        })
        .catch(function (error) {
          console.warn('afterglow: ' + name + ': ' + error.message);
        })
        .finally(function () {
          done += 1;
          _pageDataProgress(done, names.length);
        });
    });
    Promise.all(fetches).then(function () {
      if (!music) {
        _pageMusicDecoded(0, 0, 0);
        return;
      }
      // At the file's own rate (44.1 kHz), so that nothing is resampled:
      // the samples are then those the native decoder gives.
      var context = new OfflineAudioContext(2, 1, 44100);
      context.decodeAudioData(music).then(function (buffer) {
        // Kept to be played: an audio context plays a buffer decoded by another.
        PageState.music = buffer;
        var frames = buffer.length;
        var left = buffer.getChannelData(0);
        var right = buffer.numberOfChannels > 1 ? buffer.getChannelData(1) : left;
        var samples = _malloc(frames * 8);
        var at = samples >> 2;
        for (var i = 0; i < frames; ++i) {
          HEAPF32[at + 2 * i] = left[i];
          HEAPF32[at + 2 * i + 1] = right[i];
        }
        _pageMusicDecoded(samples, frames, buffer.sampleRate);
      }, function (error) {
        console.warn('afterglow: demo.mp3: ' + error.message);
        _pageMusicDecoded(0, 0, 0);
      });
    });
  },

  pageSetTitle: function (title) {
    document.title = UTF8ToString(title);
  },

  pageShowMessage: function (caption, text) {
    var box = document.getElementById('message');
    var line = UTF8ToString(caption) + ': ' + UTF8ToString(text);
    console.error(line);
    if (!box) return;
    box.textContent = box.textContent ? box.textContent + '\n' + line : line;
    box.hidden = false;
  },

  pagePublishBenchmark: function (json, table) {
    console.log(UTF8ToString(table));
    var report = JSON.parse(UTF8ToString(json));
    window.afterglowBenchmark = report;
    console.table(report.scenes.map(function (s) {
      return { scene: s.scene, frames: s.frames, 'mean ms': s.cpuMeanMs, 'worst ms': s.cpuWorstMs };
    }));
  },

  // ---- The page's words and input ----

  pageSetPhase__deps: ['$PageState', '$pageTakeInput'],
  pageSetPhase: function (phase) {
    pageTakeInput();
    PageState.phase = UTF8ToString(phase);
    document.body.dataset.phase = PageState.phase;  // the page's style shows the words of the phase
  },

  // The show starts from a gesture: browsers let an audio context play
  // only when it is made, or resumed, in a gesture's handler.
  $pageBegin__deps: ['$PageState', '$callUserCallback'],
  $pageBegin: function () {
    PageState.startTimes = { gesture: performance.now() };
    if (PageState.music) {
      try {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!PageState.audio && Context) PageState.audio = new Context({ latencyHint: 'interactive' });
        if (PageState.audio && PageState.audio.state === 'suspended') {
          PageState.audio.resume().catch(function (error) {
            console.warn('afterglow: the audio does not start: ' + error.message);
          });
        }
      } catch (error) {
        console.warn('afterglow: no audio: ' + error.message);
        PageState.audio = null;
      }
    }
    callUserCallback(function () { _pageBeginShow(); });
  },

  $pageToggleFullScreen: function () {
    var page = document;
    if (page.fullscreenElement || page.webkitFullscreenElement) {
      (page.exitFullscreen || page.webkitExitFullscreen).call(page);
      return;
    }
    var stage = page.getElementById('stage');
    var enter = stage.requestFullscreen || stage.webkitRequestFullscreen;
    if (!enter) return;
    var entering = enter.call(stage);
    if (entering && entering.catch) {
      entering.catch(function (error) { console.warn('afterglow: no full screen: ' + error.message); });
    }
  },

  // GLUT's codes for a key: a character (special 0), or a special key's
  // code (special 1); null for a key GLUT has no code for.
  $glutKeyOf: function (event) {
    var specials = {
      F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11, F12: 12,
      ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103,
      PageUp: 104, PageDown: 105, Home: 106, End: 107, Insert: 108,
    };
    var characters = { Escape: 27, Enter: 13, Backspace: 8, Tab: 9, Delete: 127 };
    if (event.key in specials) return { code: specials[event.key], special: 1 };
    if (event.key in characters) return { code: characters[event.key], special: 0 };
    if (event.key.length === 1 && event.key.charCodeAt(0) < 128) return { code: event.key.charCodeAt(0), special: 0 };
    return null;
  },

  // The page's listeners, once: keys and the mouse to the show's controls
  // while it plays (page_input.h), and as the gesture that starts it before;
  // F and the page's button for full screen; the page hidden and shown.
  $pageTakeInput__deps: ['$PageState', '$pageBegin', '$pageToggleFullScreen', '$glutKeyOf', '$callUserCallback'],
  $pageTakeInput: function () {
    if (PageState.inputTaken) return;
    PageState.inputTaken = true;
    Module.afterglowPage = PageState;
    var stage = document.getElementById('stage');
    var startKey = function (event) {
      var phase = PageState.phase;
      if (phase === 'prompt') return !/^(Escape|Shift|Control|Alt|Meta|CapsLock|Tab)$/.test(event.key);
      return phase === 'ended' && (event.key === 'Enter' || event.key === ' ');
    };
    window.addEventListener('keydown', function (event) {
      if (event.ctrlKey || event.metaKey || event.altKey) return;  // the browser's own
      if (event.key === 'f' || event.key === 'F') {
        pageToggleFullScreen();
        return;
      }
      if (startKey(event)) {
        event.preventDefault();
        if (!event.repeat) pageBegin();
        return;
      }
      var key = PageState.phase === 'playing' ? glutKeyOf(event) : null;
      if (!key) return;
      // Space, the arrows and the page keys would scroll; the browser keeps F1 to F12.
      if (!(key.special && key.code <= 12)) event.preventDefault();
      callUserCallback(function () { _pageKey(key.code, key.special, event.shiftKey ? 1 : 0); });
    });
    var mouse = function (event) {
      if (event.target.closest('button')) return;  // the page's own buttons
      if (PageState.phase === 'prompt' && event.type === 'mouseup') {
        pageBegin();
        return;
      }
      if (PageState.phase !== 'playing' || event.button > 2) return;
      // The canvas's pixels, as a window's: GLUT's buttons are numbered as the page's.
      var canvas = Module.canvas;
      var box = canvas.getBoundingClientRect();
      var x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
      var y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
      var state = event.type === 'mouseup' ? 1 : 0;
      callUserCallback(function () { _pageMouse(event.button, state, x, y, event.shiftKey ? 1 : 0); });
    };
    stage.addEventListener('mousedown', mouse);
    stage.addEventListener('mouseup', mouse);
    stage.addEventListener('contextmenu', function (event) { event.preventDefault(); });
    document.getElementById('fullscreen').addEventListener('click', pageToggleFullScreen);
    document.getElementById('again').addEventListener('click', function () {
      if (PageState.phase === 'ended') pageBegin();
    });
    document.addEventListener('visibilitychange', function () {
      callUserCallback(function () { _pageHiddenChanged(document.hidden ? 1 : 0); });
    });
  },

  // The band fills the stage (the window, or the screen in full screen) as
  // far as it fits, centred; the rest of the canvas, its bars, lies beyond
  // the band's box, and the stage is black around it.
  $pageFit__deps: ['$PageState'],
  $pageFit: function () {
    var p = PageState.picture;
    var stage = document.getElementById('stage');
    var band = p.bottom - p.top;
    var scale = Math.min(stage.clientWidth / p.width, stage.clientHeight / band);
    var box = document.getElementById('picture');
    box.style.width = p.width * scale + 'px';
    box.style.height = band * scale + 'px';
    box.style.left = (stage.clientWidth - p.width * scale) / 2 + 'px';
    box.style.top = (stage.clientHeight - band * scale) / 2 + 'px';
    var canvas = Module.canvas;
    canvas.style.width = p.width * scale + 'px';
    canvas.style.height = p.height * scale + 'px';
    canvas.style.top = -p.top * scale + 'px';
  },

  pageLayOut__deps: ['$PageState', '$pageFit'],
  pageLayOut: function (width, height, bandTop, bandBottom) {
    if (!PageState.picture) {
      window.addEventListener('resize', pageFit);
      document.addEventListener('fullscreenchange', pageFit);
    }
    // A display wider than 16:9 has its bars outside the picture: the band is all of it.
    PageState.picture = {
      width: width, height: height, top: Math.max(bandTop, 0), bottom: Math.min(bandBottom, height),
    };
    pageFit();
  },

  pageShowLine: function (text) {
    document.getElementById('line').textContent = UTF8ToString(text);
  },

  // ---- The music played ----

  pageAudioAvailable__deps: ['$PageState'],
  pageAudioAvailable: function () {
    return PageState.audio && PageState.music ? 1 : 0;
  },

  pageAudioStop__deps: ['$PageState'],
  pageAudioStop: function () {
    if (!PageState.source) return;
    PageState.source.stop();
    PageState.source.disconnect();
    PageState.source = null;
  },

  pageAudioPlay__deps: ['$PageState', 'pageAudioStop'],
  pageAudioPlay: function (offsetSec) {
    var audio = PageState.audio;
    if (!audio || !PageState.music) return -1;
    _pageAudioStop();
    var source = audio.createBufferSource();
    source.buffer = PageState.music;
    source.connect(audio.destination);
    // A moment ahead: the audio thread renders ahead of currentTime, and a
    // start it finds already past would begin late, out of step with the
    // time returned.
    var when = audio.currentTime + 0.03;
    source.start(when, offsetSec);
    PageState.source = source;
    return when;
  },

  pageAudioStamp__deps: ['$PageState'],
  pageAudioStamp: function (out) {
    var audio = PageState.audio;
    if (!audio || audio.state !== 'running') return 0;
    var stamp = audio.getOutputTimestamp ? audio.getOutputTimestamp() : {};
    if (!stamp.performanceTime) {
      // Without output timestamps (or before the first): the time rendered,
      // less what lies between it and the speakers.
      stamp = {
        contextTime: audio.currentTime - (audio.outputLatency || audio.baseLatency || 0),
        performanceTime: performance.now(),
      };
    }
    HEAPF64[out >> 3] = stamp.contextTime;
    HEAPF64[(out >> 3) + 1] = stamp.performanceTime;
    return 1;
  },

  // ---- For tests ----

  pageLogClock__deps: ['$PageState'],
  pageLogClock: function (readMs, musicMs, contextSec, audioMs, deltaMs) {
    PageState.clockLog.push({
      readMs: readMs, musicMs: musicMs, deltaMs: deltaMs,
      // null while the music is not heard (held, starting, silent)
      contextTime: isNaN(contextSec) ? null : contextSec,
      audioMs: isNaN(audioMs) ? null : audioMs,
    });
  },

  pageNoteStart__deps: ['$PageState'],
  pageNoteStart: function (what, ms) {
    PageState.startTimes[UTF8ToString(what)] = ms;
  },
});
