// The page's side of the web platform library (src/web/page_js.h): fetching
// the data, the browser's decode of the music, the title, messages and the
// benchmark's numbers. Linked into afterglow.js with --js-library.

mergeInto(LibraryManager.library, {
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
  pageFetchData__deps: ['malloc'],
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
});
