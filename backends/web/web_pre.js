// Before main: the working folder that holds the data package's Date/, and the written files
// of Date/ (the ranking, the history) kept in IndexedDB, so that they survive a reload.
//
// The data folder itself stays in memory: only the files the game writes are saved, as a
// copy in a folder of IndexedDB's own. The game replaces a file by renaming a finished
// temporary file over it, and adds to one by appending: a rename into Date/, a removal there
// and the close of a file written there are what get saved. Other tabs' copies come back in
// under the data folder's lock (web_data_lock.js).
var keyfallFiles = {
  workingFolder: '/keyfall',
  dataFolder: '/keyfall/Date',
  savedFolder: '/keyfall-saved',
  usable: false,    // IndexedDB answered at the start
  restoring: false, // the saved copies are going back: nothing to save
  pending: new Set(), // names of the data folder's files changed by the message under way
  idle: Promise.resolve(), // the last transfer with IndexedDB: they run one at a time
  nextSave: null,   // a save queued and not begun: later changes go with it
  saves: 0,         // saves completed, for the page's tests
  inPlace: new Map(), // name -> time of the saved copy that the data folder's file equals

  refused: function(error) {
    keyfallFiles.usable = false;
    console.warn('Keyfall: IndexedDB is not available (' + error +
                 '); the ranking lasts this session only.');
  },

  // The saved copies go back into the data folder before the game reads anything. A copy
  // unchanged since it was last in place is left: the history grows to megabytes, and comes
  // back at every game over.
  restore: function() {
    if (!keyfallFiles.usable) return;
    keyfallFiles.restoring = true;
    FS.readdir(keyfallFiles.savedFolder).forEach(function(name) {
      if (name === '.' || name === '..') return;
      var from = keyfallFiles.savedFolder + '/' + name;
      var stat = FS.stat(from);
      if (!FS.isFile(stat.mode)) return;
      var time = stat.mtime.getTime();
      if (keyfallFiles.inPlace.get(name) === time) return;
      FS.writeFile(keyfallFiles.dataFolder + '/' + name, FS.readFile(from));
      keyfallFiles.inPlace.set(name, time);
    });
    keyfallFiles.restoring = false;
  },

  // A file of the data folder was written, replaced or removed: its saved copy follows, once
  // the game's message is done with it (a temporary file is renamed by then, not saved).
  changed: function(path) {
    if (!keyfallFiles.usable || keyfallFiles.restoring) return;
    var slash = path.lastIndexOf('/');
    if (slash < 0 || path.slice(0, slash) !== keyfallFiles.dataFolder) return;
    if (keyfallFiles.pending.size === 0) queueMicrotask(keyfallFiles.copyPending);
    keyfallFiles.pending.add(path.slice(slash + 1));
  },

  // Whatever goes wrong here, the game's own file is in place; only the copy is missed.
  // Resolves once the copies made are in IndexedDB.
  copyPending: function() {
    var copied = false;
    keyfallFiles.pending.forEach(function(name) {
      var path = keyfallFiles.dataFolder + '/' + name;
      var saved = keyfallFiles.savedFolder + '/' + name;
      try {
        var node = FS.analyzePath(path);
        keyfallFiles.inPlace.delete(name);
        if (node.exists && FS.isFile(node.object.mode)) {
          FS.writeFile(saved, FS.readFile(path));
          keyfallFiles.inPlace.set(name, FS.stat(saved).mtime.getTime());
          copied = true;
        } else if (FS.analyzePath(saved).exists) {
          FS.unlink(saved);
          copied = true;
        }
      } catch (error) {
        console.warn('Keyfall: ' + name + ' could not be saved (' + error + ').');
      }
    });
    keyfallFiles.pending.clear();
    return copied ? keyfallFiles.save() : keyfallFiles.idle;
  },

  // transfer(done) once the transfers queued before it are done: a read of IndexedDB never
  // meets a write of this tab half-way.
  queue: function(transfer) {
    keyfallFiles.idle = keyfallFiles.idle.then(function() {
      return new Promise(transfer);
    }).catch(function(error) {
      console.warn('Keyfall: IndexedDB failed (' + error + ').');
    });
    return keyfallFiles.idle;
  },

  save: function() {
    if (keyfallFiles.nextSave) return keyfallFiles.nextSave;
    keyfallFiles.nextSave = keyfallFiles.queue(function(done) {
      keyfallFiles.nextSave = null;
      FS.syncfs(false, function(error) {
        if (error) {
          console.warn('Keyfall: the ranking could not be saved in IndexedDB (' + error + ').');
        } else {
          keyfallFiles.saves++;
        }
        done();
      });
    });
    return keyfallFiles.nextSave;
  },

  // What the other tabs saved replaces this tab's files, once this tab's own changes are
  // saved. Resolves when it is done, or could not be.
  load: function() {
    if (!keyfallFiles.usable) return Promise.resolve();
    keyfallFiles.copyPending();
    return keyfallFiles.queue(function(done) {
      FS.syncfs(true, function(error) {
        if (error) {
          console.warn('Keyfall: the saved files could not be read (' + error + ').');
        } else {
          keyfallFiles.restore();
        }
        done();
      });
    });
  },

  // Every rename, removal and close passes here; the ones in the data folder are saved.
  watch: function() {
    var close = FS.close;
    FS.close = function(stream) {
      // O_ACCMODE of the flags: not O_RDONLY (the stream's own isWrite is not a getter here).
      var written = (stream.flags & 3) !== 0 && stream.path ? PATH_FS.resolve(stream.path) : null;
      close(stream);
      if (written) keyfallFiles.changed(written);
    };
    var rename = FS.rename;
    FS.rename = function(from, to) {
      rename(from, to);
      keyfallFiles.changed(PATH_FS.resolve(to));
      keyfallFiles.changed(PATH_FS.resolve(from));
    };
    var unlink = FS.unlink;
    FS.unlink = function(path) {
      var full = PATH_FS.resolve(path);
      unlink(path);
      keyfallFiles.changed(full);
    };
  },

  prepare: function() {
    FS.mkdirTree(keyfallFiles.dataFolder);
    FS.chdir(keyfallFiles.workingFolder);
    FS.mkdir(keyfallFiles.savedFolder);
    try {
      FS.mount(IDBFS, {}, keyfallFiles.savedFolder);
    } catch (error) {
      keyfallFiles.refused(error);
      return;
    }
    addRunDependency('keyfall-saved');
    FS.syncfs(true, function(error) {
      if (error) {
        keyfallFiles.refused(error);
      } else {
        keyfallFiles.usable = true;
      }
      removeRunDependency('keyfall-saved');
    });
    // Watched only from then on: the data package's own files are written before it.
    addOnPreMain(function() {
      keyfallFiles.restore();
      keyfallFiles.watch();
    });
  },
};

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(keyfallFiles.prepare);
Module['keyfallFiles'] = keyfallFiles;
