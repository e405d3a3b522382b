// The page's music: the game's looping sound through Web Audio, the site's converted music
// fetched ahead of Start.
'use strict';

(function() {
  const page = window.keyfallPage;

  // Web Audio, started from the Start command: the player's key or click has already let the
  // page make sound. Anything that goes wrong is silence. The context is suspended whenever
  // nothing plays, or the game is paused: a running one costs the browser a steady wakeup.
  // Music wants no promptness: the largest buffer the browser allows wakes its audio thread
  // least often.
  const bufferSeconds = 1;
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
        if (!this.context) this.context = new AudioContext({latencyHint: bufferSeconds});
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
