// Hits, combo, score and the scroll steps of long words.
#pragma once

// Records one accepted letter (always the expected one): hit, cursor or scroll, combo, score.
void acceptKey(unsigned char letter);
// 1 when this key comes within 800 ms of the last correct key, else 0 (the combo is broken).
int comboTimer();
// Game state: comboShifted10, comboShifted100, comboLabelX, comboLabelY. The combo number
// goes back to its home place, unshifted; its text is left as it is.
void resetComboLabel();
