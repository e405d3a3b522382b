// The page's drawing: frame bitmaps as canvases, text in the web font, the copy to the
// screen canvas, the paint statistics, and the music through Web Audio.
'use strict';

(function() {
  const page = window.keyfallPage;
  const frameWidth = page.frameWidth;
  const frameHeight = page.frameHeight;
  const fontFamily = 'Keyfall IPAGothic';
  page.fontFamily = fontFamily;
  const screenContext = document.getElementById('screen').getContext('2d');

  // --- Frame bitmaps, text and the screen ----------------------------------------------------

  // Frame bitmaps are canvases; the game makes and deletes one at every paint, so deleted
  // ones are kept for the next.
  const bitmaps = {
    live: new Map(),
    spare: [],
    next: 1,

    create(width, height) {
      let found = this.spare.findIndex((b) => b.canvas.width === width &&
                                              b.canvas.height === height);
      let bitmap;
      if (found >= 0) {
        bitmap = this.spare.splice(found, 1)[0];
      } else {
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        const context = canvas.getContext('2d');
        if (!context) return 0;
        bitmap = {canvas, context};
      }
      bitmap.texts = [];
      const id = this.next++;
      this.live.set(id, bitmap);
      return id;
    },
    upload(id, rgba, width, height) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, width * height * 4);
      bitmap.context.putImageData(new ImageData(pixels, width, height), 0, 0);
    },
    remove(id) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      this.live.delete(id);
      if (this.spare.length < 2) this.spare.push(bitmap);
    },
  };
  page.bitmaps = bitmaps;

  const measuring = document.createElement('canvas').getContext('2d');
  const fontAscents = new Map();

  function fontOf(height) {
    return height + 'px "' + fontFamily + '", monospace';
  }

  // Texts are placed by the top of their cell, as the game's text calls are: the baseline
  // lies the font's ascent below it.
  function ascentOf(height) {
    let ascent = fontAscents.get(height);
    if (ascent === undefined) {
      measuring.font = fontOf(height);
      const metrics = measuring.measureText('\u3042');
      ascent = Math.round(metrics.fontBoundingBoxAscent || height * 0.88);
      fontAscents.set(height, ascent);
    }
    return ascent;
  }

  function colourOf(colour) {
    const red = colour & 0xff;
    const green = (colour >> 8) & 0xff;
    const blue = (colour >> 16) & 0xff;
    return 'rgb(' + red + ',' + green + ',' + blue + ')';
  }

  const text = {
    // A face has come in (or failed): the ascents measured so far may be another face's.
    fontsChanged() {
      fontAscents.clear();
    },
    width(height, string) {
      measuring.font = fontOf(height);
      return Math.round(measuring.measureText(string).width);
    },
    draw(id, height, colour, opaque, x, y, string) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      const context = bitmap.context;
      context.font = fontOf(height);
      if (opaque) {
        context.fillStyle = '#fff';
        context.fillRect(x, y, Math.round(context.measureText(string).width), height);
      }
      context.fillStyle = colourOf(colour);
      context.textBaseline = 'alphabetic';
      context.fillText(string, x, y + ascentOf(height));
      bitmap.texts.push({x, y, colour, text: string});
    },
  };
  page.text = text;

  // What the player sees: the last frame copied to the window, and its texts.
  const screen = {
    texts: [],
    present(id, width, height) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      const w = Math.min(width, bitmap.canvas.width, frameWidth);
      const h = Math.min(height, bitmap.canvas.height, frameHeight);
      if (w <= 0 || h <= 0) return;
      screenContext.drawImage(bitmap.canvas, 0, 0, w, h, 0, 0, w, h);
      this.texts = bitmap.texts;
      if (stats.firstFrame === null) stats.firstFrame = performance.now();
    },
    fillWhite() {
      screenContext.fillStyle = '#fff';
      screenContext.fillRect(0, 0, frameWidth, frameHeight);
    },
  };
  page.screen = screen;

  // How long the paints took (the newest thousand), for the bench.
  const stats = {
    firstFrame: null,  // ms from the navigation to the first frame on the screen
    paints: [],
    paintTook(ms) {
      this.paints.push(ms);
      if (this.paints.length > 1000) this.paints.splice(0, this.paints.length - 1000);
    },
  };
  page.stats = stats;

  // --- Music -------------------------------------------------------------------------------

  // Web Audio, started from the Start command: the player's key or click has already let the
  // page make sound. Anything that goes wrong is silence. The context is suspended whenever
  // nothing plays, or the game is paused: a running one costs the browser a steady wakeup.
  const sound = {
    context: null,
    buffers: new Map(),
    fetched: new Map(),  // the site's converted music: URL -> its bytes, once asked for
    source: null,
    generation: 0,
    paused: false,

    // The site's file for a data path ("/keyfall/Date/BackMusic.wav"), or undefined.
    urlOf(path) {
      const music = (window.keyfallSite && window.keyfallSite.music) || {};
      const lower = path.toLowerCase();
      const key = Object.keys(music).find((dataPath) => lower.endsWith('/' + dataPath));
      return key === undefined ? undefined : music[key];
    },
    converted(path) {
      return this.urlOf(path) !== undefined;
    },
    // Fetched ahead, so that Start does not wait for the network.
    prefetch() {
      const music = (window.keyfallSite && window.keyfallSite.music) || {};
      for (const url of Object.values(music)) this.bytesOf(url).catch(() => {});
    },
    bytesOf(url) {
      let bytes = this.fetched.get(url);
      if (!bytes) {
        bytes = fetch(url).then((response) => {
          if (!response.ok) throw new Error(url + ': ' + response.status);
          return response.arrayBuffer();
        });
        bytes.catch(() => this.fetched.delete(url));
        this.fetched.set(url, bytes);
      }
      return bytes;
    },
    play(path, bytes) {
      this.stop();
      const generation = this.generation;
      try {
        if (!this.context) this.context = new AudioContext({latencyHint: 'playback'});
      } catch (error) {
        return;
      }
      const context = this.context;
      let buffer = this.buffers.get(path);
      if (!buffer) {
        const url = this.urlOf(path);
        const data = url !== undefined ? this.bytesOf(url).then((b) => b.slice(0)) :
          Promise.resolve(bytes.slice().buffer);
        buffer = data.then((copy) => context.decodeAudioData(copy));
        this.buffers.set(path, buffer);
      }
      buffer.then((decodedBuffer) => {
        if (generation !== this.generation) return;  // stopped or replaced meanwhile
        const source = context.createBufferSource();
        source.buffer = decodedBuffer;
        source.loop = true;
        source.connect(context.destination);
        source.start();
        this.source = source;
        this.follow();
      }).catch(() => {
        this.buffers.delete(path);
      });
    },
    stop() {
      this.generation++;
      if (this.source) {
        try {
          this.source.stop();
        } catch (error) {
          // already stopped
        }
        this.source.disconnect();
        this.source = null;
      }
      this.follow();
    },
    pause(paused) {
      this.paused = paused;
      this.follow();
    },
    // The context runs exactly while something plays and the game is not paused.
    follow() {
      const context = this.context;
      if (!context || context.state === 'closed') return;
      const wanted = this.source !== null && !this.paused;
      if (wanted && context.state !== 'running') context.resume().catch(() => {});
      if (!wanted && context.state === 'running') context.suspend().catch(() => {});
    },
  };
  page.sound = sound;
})();
