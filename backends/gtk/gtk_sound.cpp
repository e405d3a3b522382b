// The music of the GTK backend: one GStreamer playbin, looped by seeking back at its end.
// Whatever goes wrong (no file, a file it cannot decode, no audio device) is silence.
#include "backends/gtk/gtk_sound.h"

#include <gst/gst.h>
#include <sys/stat.h>

#include <string>

#include "backends/native_path.h"
#include "platform/platform.h"

namespace {

constexpr guint playAudioOnly = 1u << 1;  // GST_PLAY_FLAG_AUDIO: no video or subtitle chains

struct Sound {
    bool initialised = false;
    GstElement* player = nullptr;
    guint busWatch = 0;
};

Sound sound;

gboolean onBusMessage(GstBus*, GstMessage* message, gpointer) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            // Looping: back to the start without leaving the playing state.
            gst_element_seek_simple(sound.player, GST_FORMAT_TIME,
                                    static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH), 0);
            break;
        case GST_MESSAGE_ERROR:
            // Unplayable or no device: stop quietly; the next play tries again.
            gst_element_set_state(sound.player, GST_STATE_NULL);
            break;
        default: break;
    }
    return G_SOURCE_CONTINUE;
}

bool playerReady() {
    if (!sound.initialised) {
        sound.initialised = true;
        if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
        sound.player = gst_element_factory_make("playbin", nullptr);
        if (!sound.player) return false;
        gst_object_ref_sink(sound.player);
        g_object_set(sound.player, "flags", playAudioOnly, nullptr);
        GstBus* bus = gst_element_get_bus(sound.player);
        sound.busWatch = gst_bus_add_watch(bus, onBusMessage, nullptr);
        gst_object_unref(bus);
    }
    return sound.player != nullptr;
}

bool isRegularFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void playLoopingSound(const char* resolvedPath) {
    stopAllSound();  // a new sound replaces the old one, even when it cannot play
    if (!resolvedPath || !*resolvedPath) return;
    std::string path = nativePath(resolvedPath);
    if (!isRegularFile(path) || !playerReady()) return;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) return;
    g_object_set(sound.player, "uri", uri, nullptr);
    g_free(uri);
    gst_element_set_state(sound.player, GST_STATE_PLAYING);
}

void stopAllSound() {
    if (sound.player) gst_element_set_state(sound.player, GST_STATE_NULL);
}

void gtkReleaseSound() {
    if (sound.player) {
        gst_element_set_state(sound.player, GST_STATE_NULL);
        if (sound.busWatch) g_source_remove(sound.busWatch);
        gst_object_unref(sound.player);
        sound.player = nullptr;
        sound.busWatch = 0;
    }
}
