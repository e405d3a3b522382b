// A display-free stand-in for the window half of the GTK backend's paint.
#pragma once

// Makes the window surface (white, 640 x 480, as the backend's) and the widget's surface.
void createWindowStandIn();
// What the draw handler does after the paint: the window surface onto the widget.
void showWindowStandIn();
