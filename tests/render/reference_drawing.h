// The straightforward drawing the fast paths must match pixel for pixel: the keyed blit one
// pixel at a time, the gauge one column at a time and the balloons one slice at a time.
#pragma once

#include "base/game_state.h"
#include "render/balloon.h"

void referenceBlitKeyed(DibImage& dst, const DibImage& src, int x, int y, int sx, int sy, int w,
                        int h);
// Game state: reads timeGauge.
void referenceTimeGauge(DibImage& dest, const DibImage& strip, int x, int row);
// Draws what drawBalloon draws, without touching the scroll flags: the typed balloon reads the
// scrollRomaji that is set when it is called.
void referenceBalloon(const char* text, DeviceContext dc, int x, int y, BalloonKind kind,
                      DibImage& dst, const DibImage& frame);
