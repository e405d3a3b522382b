// Sound of the GTK backend beyond platform.h: what the entry does at exit.
#pragma once

// Stops the music and releases the player and GStreamer's own resources.
void gtkReleaseSound();
