// An input method composing: the page cannot switch it off, so it says how to type the moment a
// composition starts, and whatever the composition would put into the page goes nowhere. The
// keys of a composition are left out where the keyboard is read (page-input.js).
'use strict';

(function() {
  const imeHint = document.getElementById('ime-hint');
  const showHint = () => {
    if (document.body.dataset.keyfall === 'running') imeHint.hidden = false;
  };
  document.addEventListener('compositionstart', showHint, true);
  // Committed or composed text has no place in the page (its only fields are the boxes'
  // buttons); the game hears typed keys, never inserted text.
  document.addEventListener('beforeinput', (event) => {
    if (event.isComposing || /^insert/.test(event.inputType)) {
      showHint();
      if (event.cancelable) event.preventDefault();
    }
  }, true);
})();
