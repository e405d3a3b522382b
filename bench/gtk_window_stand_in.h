// A display-free stand-in for the window half of the GTK backend's paint.
#pragma once

// Makes the backend's window picture (white, 640 x 320) and the widget's surface.
void createWindowStandIn();
// What the draw handler does after the paint: the window picture onto the widget.
void showWindowStandIn();
