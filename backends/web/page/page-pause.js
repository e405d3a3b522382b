// The page hidden or frozen: the game pauses, visibly, with its clock and its music, and goes
// on after a countdown once the page is back in view. The clock the game reads stands still
// meanwhile, so a pause neither gives the player time nor takes any.
'use strict';

(function() {
  const page = window.keyfallPage;
  const clock = page.clock;
  const overlay = document.getElementById('pause');
  const overlayText = document.getElementById('pause-text');
  const countdownSeconds = 3;

  const pause = {
    countdown: 0,         // the countdown's timer while it runs
    countdownWanted: false,  // something timed was going on when the page went away

    // The page is hidden or about to be frozen.
    begin() {
      clearTimeout(this.countdown);
      this.countdown = 0;
      if (!clock.paused) this.countdownWanted = page.loop.timed;
      clock.pause();
      page.sound.pause(true);
      this.show('一時停止中 (Paused)');
    },
    // The page is in view again: at once when nothing was running, else after the countdown.
    end() {
      if (!clock.paused || this.countdown || document.visibilityState !== 'visible') return;
      if (!this.countdownWanted) {
        this.resume();
        return;
      }
      let left = countdownSeconds;
      const step = () => {
        if (left === 0) {
          this.countdown = 0;
          this.resume();
          return;
        }
        this.show(String(left));
        --left;
        this.countdown = setTimeout(step, 1000);
      };
      step();
    },
    resume() {
      overlay.hidden = true;
      document.body.dataset.paused = '';
      this.countdownWanted = false;
      page.sound.pause(false);
      clock.resume();
    },
    show(text) {
      overlayText.textContent = text;
      overlay.hidden = false;
      document.body.dataset.paused = text;
    },
  };
  page.pause = pause;

  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') {
      pause.begin();
    } else {
      pause.end();
    }
  });
  document.addEventListener('freeze', () => pause.begin());
  document.addEventListener('resume', () => pause.end());
  if (document.visibilityState === 'hidden') pause.begin();
})();
