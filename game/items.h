// The five items and the function keys that use them.
#pragma once

// The key-down event: F1 to F5 use a held item, F6 makes all five held; other keys do nothing.
void useItem(unsigned virtualKey);
