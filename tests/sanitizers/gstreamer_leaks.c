// SPDX-License-Identifier: GPL-3.0-or-later
// The program behind the suppressions in lsan.supp: GStreamer alone, with
// no code of ours, playing one sound to its end through playbin with the
// sinks the media module uses. Built and run with the sanitizer options of
// the test environment, it reports exactly the suppressed leaks:
//   gcc -g -fsanitize=address gstreamer_leaks.c -o gl \
//       $(pkg-config --cflags --libs gstreamer-1.0)
//   ASAN_OPTIONS=intercept_tls_get_addr=0:fast_unwind_on_malloc=0 ./gl FILE.mp3
// Not part of the build.
#include <gst/gst.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    gst_init(NULL, NULL);
    GstElement* playbin = gst_element_factory_make("playbin", NULL);
    g_object_set(playbin, "audio-sink", gst_element_factory_make("autoaudiosink", NULL),
                 "video-sink", gst_element_factory_make("appsink", NULL), NULL);
    gchar* uri = gst_filename_to_uri(argv[1], NULL);
    g_object_set(playbin, "uri", uri, NULL);
    g_free(uri);
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(playbin);
    GstMessage* end =
        gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND, GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
    return 0;
}
