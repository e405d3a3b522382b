// The JavaScript half of the web backend: the functions web_bridge.h declares. The document
// belongs to the page's own scripts (page/page-*.js); these only cross over to them.
mergeInto(LibraryManager.library, {
  // The NUL-terminated code page 932 bytes at ptr, as a view into the wasm memory.
  $keyfallBytes: function(ptr) {
    var end = ptr;
    while (HEAPU8[end]) ++end;
    return HEAPU8.subarray(ptr, end);
  },
  $keyfallText__deps: ['$keyfallBytes'],
  $keyfallText: function(ptr) { return keyfallPage.decode(keyfallBytes(ptr)); },

  keyfall_wait: function(timeoutMs, wantFrame) {
    return Asyncify.handleSleep(function(wakeUp) {
      keyfallPage.loop.sleep(timeoutMs, wantFrame !== 0, wakeUp);
    });
  },
  keyfall_next_event: function(valuePtr) {
    var event = keyfallPage.loop.take();
    if (!event) return 0;
    HEAP32[valuePtr >> 2] = event.value;
    return event.kind;
  },
  keyfall_take_frame: function() { return keyfallPage.loop.takeFrame() ? 1 : 0; },
  keyfall_now: function() { return keyfallPage.clock.now(); },

  keyfall_lock_data: function(folder, waitMs) {
    var name = UTF8ToString(folder);
    return Asyncify.handleSleep(function(wakeUp) {
      keyfallDataLock.take(name, waitMs >>> 0, wakeUp);
    });
  },
  keyfall_unlock_data: function(lock) {
    return Asyncify.handleSleep(function(wakeUp) {
      keyfallDataLock.give(lock, wakeUp);
    });
  },

  keyfall_window_created__deps: ['$keyfallText'],
  keyfall_window_created: function(title) { keyfallPage.windowCreated(keyfallText(title)); },
  keyfall_window_destroyed: function() { keyfallPage.windowDestroyed(); },
  keyfall_window_fill_white: function() { keyfallPage.screen.fillWhite(); },

  keyfall_menu_popup_begin__deps: ['$keyfallText'],
  keyfall_menu_popup_begin: function(label) { keyfallPage.menu.popupBegin(keyfallText(label)); },
  keyfall_menu_popup_end: function() { keyfallPage.menu.popupEnd(); },
  keyfall_menu_item__deps: ['$keyfallText'],
  keyfall_menu_item: function(command, label, checkable) {
    keyfallPage.menu.item(command >>> 0, keyfallText(label), checkable !== 0);
  },
  keyfall_menu_set_checked: function(command, checked) {
    keyfallPage.menu.setChecked(command >>> 0, checked !== 0);
  },
  keyfall_menu_set_enabled: function(command, enabled) {
    keyfallPage.menu.setEnabled(command >>> 0, enabled !== 0);
  },

  keyfall_box_open__deps: ['$keyfallText'],
  keyfall_box_open: function(text, caption) {
    return keyfallPage.boxes.open(keyfallText(text), keyfallText(caption));
  },
  keyfall_box_is_open: function(box) { return keyfallPage.boxes.isOpen(box) ? 1 : 0; },
  keyfall_box_close: function(box) { keyfallPage.boxes.close(box); },

  keyfall_bitmap_create: function(width, height) {
    return keyfallPage.bitmaps.create(width, height);
  },
  keyfall_bitmap_upload: function(bitmap, rgba, width, height, changedX, changedY,
                                  changedWidth, changedHeight) {
    // Read when the page needs them: memory growth replaces HEAPU8 in the meantime.
    var pixels = function() { return HEAPU8.subarray(rgba, rgba + width * height * 4); };
    keyfallPage.bitmaps.upload(bitmap, pixels, width, height,
                               {x: changedX, y: changedY, width: changedWidth, height: changedHeight});
  },
  keyfall_bitmap_delete: function(bitmap) { keyfallPage.bitmaps.remove(bitmap); },
  keyfall_text_width__deps: ['$keyfallText'],
  keyfall_text_width: function(fontHeight, text) {
    return keyfallPage.text.width(fontHeight, keyfallText(text));
  },
  keyfall_text_draw__deps: ['$keyfallText'],
  keyfall_text_draw: function(bitmap, fontHeight, colour, opaque, x, y, text) {
    keyfallPage.text.draw(bitmap, fontHeight, colour >>> 0, opaque !== 0, x, y,
                          keyfallText(text));
  },
  keyfall_present: function(bitmap, width, height) {
    keyfallPage.screen.present(bitmap, width, height);
  },
  keyfall_paint_took: function(ms) { keyfallPage.stats.paintTook(ms); },
  keyfall_timer_slipped: function(period, ms) { keyfallPage.stats.timerSlipped(period, ms); },

  keyfall_sound_play__deps: ['$FS'],
  keyfall_sound_play: function(path) {
    var name = UTF8ToString(path);
    // The site's music is converted at build time and fetched apart from the data package.
    if (keyfallPage.sound.converted(name)) {
      keyfallPage.sound.play(name, null);
      return;
    }
    var bytes = null;
    try {
      if (FS.isFile(FS.stat(name).mode)) bytes = FS.readFile(name);
    } catch (e) {
      bytes = null;  // no such file: silence
    }
    if (bytes) keyfallPage.sound.play(name, bytes);
  },
  keyfall_sound_stop: function() { keyfallPage.sound.stop(); },
});
