// What the GTK backend's drawing keeps between calls, for its tests to see.
#pragma once

// How many laid-out texts are kept for the next measure or draw of the same text.
int keptLayoutCount();
