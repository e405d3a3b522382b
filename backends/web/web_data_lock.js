// Before main: the lock of the data folder (web_file_lock.cpp) as a Web Lock that every tab of
// the page's origin shares. Each tab holds the files in its own memory, so the lock carries
// them: the tab that takes it first reads what the others saved in IndexedDB, and before it
// lets go it saves what it wrote and tells the others, which read it too and redraw.
var keyfallDataLock = {
  held: new Map(),  // the game's locks by number: each lets go of its Web Lock
  next: 1,
  channel: null,
  reading: new Set(),  // folders whose re-read is queued and not begun
  warned: false,
  busy: 0,  // takes that found another tab holding the lock, for the page's tests

  lockName: function(folder) { return 'keyfall ' + folder; },

  // done(number) once held and read, done(0) when another tab held it for waitMs.
  take: function(folder, waitMs, done) {
    var number = keyfallDataLock.next++;
    var entry = {folder: folder, letGo: null, released: Promise.resolve()};
    var granted = function(letGo) {
      entry.letGo = letGo;
      keyfallDataLock.held.set(number, entry);
      keyfallFiles.load().then(function() { done(number); });
    };
    if (!navigator.locks) {
      // Outside a secure context: one tab is safe, two may each keep their own table.
      if (!keyfallDataLock.warned) {
        keyfallDataLock.warned = true;
        console.warn('Keyfall: this browser has no Web Locks here; play in one tab only, or ' +
                     'scores of another tab may be lost.');
      }
      granted(function() {});
      return;
    }
    var options = {};
    var timer = 0;
    if (waitMs === 0) {
      options.ifAvailable = true;
    } else {
      var abort = new AbortController();
      options.signal = abort.signal;
      timer = setTimeout(function() { abort.abort(); }, waitMs);
    }
    var name = keyfallDataLock.lockName(folder);
    var request = navigator.locks.request(name, options, function(lock) {
      clearTimeout(timer);
      if (!lock) {
        keyfallDataLock.busy++;
        done(0);
        return undefined;
      }
      // Held until the game lets go: the promise the lock waits for.
      return new Promise(granted);
    });
    // Settled once the lock is let go: the game, quick to take it again, must not find its own
    // lock still held.
    entry.released = request.then(function() {}, function() {});
    request.catch(function(error) {
      // Aborted while waiting: another tab held it all the time.
      clearTimeout(timer);
      if (error.name !== 'AbortError') console.warn('Keyfall: no lock (' + error + ').');
      keyfallDataLock.busy++;
      done(0);
    });
  },

  // done() once this tab's changes are saved and the lock is let go.
  give: function(number, done) {
    var lock = keyfallDataLock.held.get(number);
    keyfallDataLock.held.delete(number);
    var changed = keyfallFiles.pending.size > 0;
    keyfallFiles.copyPending().then(function() {
      if (!lock) return undefined;
      lock.letGo();
      return lock.released.then(function() {
        if (changed && keyfallDataLock.channel) keyfallDataLock.channel.postMessage(lock.folder);
      });
    }).then(done);
  },

  // Another tab saved the folder: its files are read under the lock, once however many tabs
  // saved meanwhile, and the screen is drawn again (the ranking screen shows the new table).
  reread: function(folder) {
    if (!keyfallFiles.usable || !navigator.locks || keyfallDataLock.reading.has(folder)) return;
    keyfallDataLock.reading.add(folder);
    navigator.locks.request(keyfallDataLock.lockName(folder), function() {
      keyfallDataLock.reading.delete(folder);
      return keyfallFiles.load();
    }).then(function() {
      if (window.keyfallPage) keyfallPage.send(keyfallPage.events.filesChanged);
    }, function(error) {
      keyfallDataLock.reading.delete(folder);
      console.warn('Keyfall: the other tab\'s files could not be read (' + error + ').');
    });
  },

  start: function() {
    if (typeof BroadcastChannel === 'undefined') return;
    keyfallDataLock.channel = new BroadcastChannel('keyfall-data');
    keyfallDataLock.channel.onmessage = function(event) {
      if (typeof event.data === 'string') keyfallDataLock.reread(event.data);
    };
  },
};

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(keyfallDataLock.start);
Module['keyfallDataLock'] = keyfallDataLock;
