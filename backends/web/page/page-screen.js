// The page's drawing: frame bitmaps as canvases, text in the web font, the copy to the screen
// canvas and the paint statistics. A frame touches only the pixels that changed: the game's
// rows where they differ from the last frame's, and the texts that are new, gone or drawn over.
'use strict';

(function() {
  const page = window.keyfallPage;
  const frameWidth = page.frameWidth;
  const frameHeight = page.frameHeight;
  const fontFamily = 'Keyfall IPAGothic';
  page.fontFamily = fontFamily;
  const screenContext = document.getElementById('screen').getContext('2d');

  // --- Rectangles ----------------------------------------------------------------------------

  const isEmpty = (r) => r.width <= 0 || r.height <= 0;
  const meets = (a, b) => a.x < b.x + b.width && b.x < a.x + a.width &&
                          a.y < b.y + b.height && b.y < a.y + a.height;
  function clip(r, width, height) {
    const x = Math.max(0, r.x);
    const y = Math.max(0, r.y);
    return {x, y, width: Math.min(width, r.x + r.width) - x,
            height: Math.min(height, r.y + r.height) - y};
  }

  // --- Text --------------------------------------------------------------------------------

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
      setFont(measuring, height);
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

  // The game measures its texts at every paint, mostly the same ones: each is measured once
  // (a font change in a context is parsed anew each time it is set, and measuring shapes).
  const widths = new Map();
  let faces = 0;  // fonts come in: every context sets its font again
  function setFont(context, height) {
    const font = faces + ':' + height;
    if (context.keyfallFont === font) return;
    context.font = fontOf(height);
    context.keyfallFont = font;
  }
  function widthOf(height, string) {
    const key = height + '\0' + string;
    let width = widths.get(key);
    if (width === undefined) {
      setFont(measuring, height);
      width = Math.round(measuring.measureText(string).width);
      if (widths.size > 4096) widths.clear();
      widths.set(key, width);
    }
    return width;
  }

  // What a drawn text may cover: its cell, and a margin for the smoothing at its edges.
  const boxOf = (t) => ({x: t.x - 2, y: t.y - 2, width: t.width + 4, height: t.height + 4});
  const sameText = (a, b) => a.text === b.text && a.x === b.x && a.y === b.y &&
    a.colour === b.colour && a.height === b.height && a.opaque === b.opaque;

  function paintText(context, t) {
    setFont(context, t.height);
    if (t.opaque) {
      context.fillStyle = '#fff';
      context.fillRect(t.x, t.y, t.width, t.height);
    }
    context.fillStyle = colourOf(t.colour);
    context.textBaseline = 'alphabetic';
    context.fillText(t.text, t.x, t.y + ascentOf(t.height));
  }

  const text = {
    // A face has come in (or failed): the ascents measured so far may be another face's.
    fontsChanged() {
      fontAscents.clear();
      widths.clear();
      ++faces;
      bitmaps.lastUploaded = null;  // so that every text is drawn again in the face now in
      bitmaps.uploadedBefore = null;
    },
    width: widthOf,
    // Kept until the frame is presented: a text drawn in the same place as in the last frame
    // is already on the canvas.
    draw(id, height, colour, opaque, x, y, string) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      bitmap.texts.push({x, y, colour, opaque, height, text: string,
                         width: widthOf(height, string)});
    },
  };
  page.text = text;

  // --- Frame bitmaps -------------------------------------------------------------------------

  // Frame bitmaps are canvases; the game makes and deletes one at every paint, so deleted
  // ones are kept for the next. A canvas remembers the texts on it; the one that took the last
  // upload holds the last frame's pixels, so the next frame sends only what differs. The game
  // keeps the last frame until the next is shown, so frames take turns between two canvases:
  // the other one holds the frame before last, and gets what changed over two frames.
  const bitmaps = {
    live: new Map(),
    spare: [],
    next: 1,
    uploads: 0,
    lastUploaded: null,  // the canvas that holds the game's last pixels
    uploadedBefore: null,  // the one that holds the frame before, if no other took it since
    lastChange: null,  // where the last frame's game pixels differ from the frame before

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
        bitmap = {canvas, context, shown: [], owed: [], screenKnows: false};
      }
      bitmap.texts = [];
      bitmap.changed = [];
      bitmap.change = null;
      bitmap.upload = 0;
      bitmap.pixels = null;
      const id = this.next++;
      this.live.set(id, bitmap);
      return id;
    },
    upload(id, pixels, width, height, changed) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      bitmap.pixels = pixels;
      bitmap.width = width;
      bitmap.height = height;
      // Another canvas, or one of another frame: all of it is the game's now.
      const whole = {x: 0, y: 0, width, height};
      const last = this.lastUploaded === bitmap.canvas;
      const beforeLast = !last && this.uploadedBefore === bitmap.canvas && this.lastChange;
      const since = [changed, ...(beforeLast ? [this.lastChange] : [])];
      bitmap.changed = last || beforeLast ? since.filter((r) => !isEmpty(r)) : [whole];
      if (!last && !beforeLast) bitmap.shown = [];
      this.put(bitmap, bitmap.changed);
      // What differs from the frame before: all of it when the canvas was drawn anew.
      bitmap.change = last || beforeLast ? changed : whole;
      bitmap.upload = ++this.uploads;
      if (!last) this.uploadedBefore = this.lastUploaded;
      this.lastUploaded = bitmap.canvas;
      this.lastChange = changed;
    },
    put(bitmap, rectangles) {
      if (rectangles.length === 0) return;
      const rgba = bitmap.pixels();
      const image = new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
                                  bitmap.width, bitmap.height);
      for (const r of rectangles) {
        const c = clip(r, bitmap.width, bitmap.height);
        if (!isEmpty(c)) bitmap.context.putImageData(image, 0, 0, c.x, c.y, c.width, c.height);
      }
    },
    // The frame's texts onto its canvas: those gone are wiped with the game's pixels, then the
    // new ones and every one that a wipe or the upload touched are drawn, in the game's order.
    // Returns the rectangles that changed.
    finish(bitmap) {
      if (!bitmap.pixels) return [];
      const kept = new Set();
      const unmatched = bitmap.shown.slice();
      for (const t of bitmap.texts) {
        const i = unmatched.findIndex((s) => sameText(s, t));
        if (i >= 0) {
          kept.add(t);
          unmatched.splice(i, 1);
        }
      }
      const wiped = bitmap.changed.concat(unmatched.map(boxOf),
                                          bitmap.texts.filter((t) => !kept.has(t)).map(boxOf));
      const redrawn = new Set(bitmap.texts.filter((t) => !kept.has(t)));
      // Wiping a text's box for its redraw may cut into another kept text: that one too.
      for (let more = true; more;) {
        more = false;
        for (const t of kept) {
          if (redrawn.has(t) || !wiped.some((r) => meets(r, boxOf(t)))) continue;
          redrawn.add(t);
          wiped.push(boxOf(t));
          more = true;
        }
      }
      this.put(bitmap, wiped.slice(bitmap.changed.length));
      for (const t of bitmap.texts) if (redrawn.has(t)) paintText(bitmap.context, t);
      bitmap.shown = bitmap.texts;
      bitmap.pixels = null;
      bitmap.owed.push(...wiped);
      return wiped;
    },
    remove(id) {
      const bitmap = this.live.get(id);
      if (!bitmap) return;
      this.finish(bitmap);
      this.live.delete(id);
      if (this.spare.length < 2) {
        this.spare.push(bitmap);
      } else {
        if (this.lastUploaded === bitmap.canvas) this.lastUploaded = null;
        if (this.uploadedBefore === bitmap.canvas) this.uploadedBefore = null;
      }
    },
  };
  page.bitmaps = bitmaps;

  // --- The screen ----------------------------------------------------------------------------

  // Where two frames' texts may differ: the boxes of those not the same at the same place in
  // the drawing order (any pixel they cover may be drawn otherwise).
  function textChanges(before, after) {
    const boxes = [];
    for (let i = 0; i < Math.max(before.length, after.length); ++i) {
      if (before[i] && after[i] && sameText(before[i], after[i])) continue;
      if (before[i]) boxes.push(boxOf(before[i]));
      if (after[i]) boxes.push(boxOf(after[i]));
    }
    return boxes;
  }

  // What the player sees: the last frame copied to the window, and its texts. Only what
  // changed since the canvas was last copied goes over; from the other canvas, when the
  // screen shows the frame just before, what changed between the two frames.
  const screen = {
    texts: [],
    showing: null,  // the canvas whose copy the screen shows
    shownUpload: 0,  // and the upload that made that frame

    present(id, width, height) {
      const bitmap = bitmaps.live.get(id);
      if (!bitmap) return;
      const whole = stats.checking && bitmap.pixels ? stats.drawnWhole(bitmap) : null;
      bitmaps.finish(bitmap);
      const w = Math.min(width, bitmap.canvas.width, frameWidth);
      const h = Math.min(height, bitmap.canvas.height, frameHeight);
      if (w <= 0 || h <= 0) return;
      let rectangles = [{x: 0, y: 0, width: w, height: h}];
      if (this.showing === bitmap.canvas) {
        rectangles = bitmap.owed;
      } else if (this.showing && bitmap.change && bitmap.upload === this.shownUpload + 1) {
        rectangles = [bitmap.change, ...textChanges(this.texts, bitmap.texts)];
      }
      for (const r of rectangles) {
        const c = clip(r, w, h);
        if (!isEmpty(c)) {
          screenContext.drawImage(bitmap.canvas, c.x, c.y, c.width, c.height,
                                  c.x, c.y, c.width, c.height);
        }
      }
      bitmap.owed = [];
      this.showing = bitmap.canvas;
      this.shownUpload = bitmap.upload;
      this.texts = bitmap.texts;
      if (whole) stats.compare(whole, w, h);
      if (stats.firstFrame === null) stats.firstFrame = performance.now();
    },
    fillWhite() {
      screenContext.fillStyle = '#fff';
      screenContext.fillRect(0, 0, frameWidth, frameHeight);
      this.showing = null;
    },
  };
  page.screen = screen;

  // How long the paints took (the newest thousand), for the bench, and how far timers slipped
  // (below). With checking on (the page's tests), each new frame is also drawn whole on a
  // canvas of its own, and the screen must then hold the same pixels as that one: what is
  // left out of a frame changed nothing.
  const stats = {
    firstFrame: null,  // ms from the navigation to the first frame on the screen
    paints: [],
    checking: false,
    checked: 0,
    mismatches: [],  // the first few frames whose screen differed, and where
    // Per timer period, the ms its ticks moved on when the browser woke the game over a
    // period late (ticks dropped, as WM_TIMER drops them): how much longer than its ticks
    // a game lasted on the clock.
    slipped: {},
    timerSlipped(period, ms) {
      this.slipped[period] = (this.slipped[period] || 0) + ms;
    },
    paintTook(ms) {
      this.paints.push(ms);
      if (this.paints.length > 1000) this.paints.splice(0, this.paints.length - 1000);
    },
    drawnWhole(bitmap) {
      const canvas = document.createElement('canvas');
      canvas.width = bitmap.width;
      canvas.height = bitmap.height;
      const context = canvas.getContext('2d');
      const rgba = bitmap.pixels();
      context.putImageData(new ImageData(new Uint8ClampedArray(rgba), bitmap.width,
                                         bitmap.height), 0, 0);
      for (const t of bitmap.texts) paintText(context, t);
      return context;
    },
    compare(whole, width, height) {
      const want = whole.getImageData(0, 0, width, height).data;
      const got = screenContext.getImageData(0, 0, width, height).data;
      this.checked++;
      for (let i = 0; i < want.length; ++i) {
        if (want[i] === got[i]) continue;
        const pixel = i >> 2;
        if (this.mismatches.length < 5) {
          this.mismatches.push({frame: this.checked, x: pixel % width, y: Math.floor(pixel / width)});
        }
        return;
      }
    },
  };
  page.stats = stats;
})();
