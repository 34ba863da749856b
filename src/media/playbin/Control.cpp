// SPDX-License-Identifier: GPL-3.0-or-later
// The control thread: GStreamer is started here, and every pipeline is
// made, changed and freed here. Streaming threads only copy what they
// produce into reports.
#include "media/playbin/Playbin.h"

#include <QCoreApplication>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace Playbin {

QEvent::Type Report::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {

QObject* g_receiver = nullptr;
GAsyncQueue* g_commands = nullptr;
GThread* g_thread = nullptr;
// Set at exit: nothing more is posted to a receiver that may be gone.
std::atomic<bool> g_quiet{false};
std::atomic<bool> g_finished{false};

// A command that is not one of the player's: ends the control thread.
constexpr int QuitPlayer = -1;

void post(Report* report) {
    if (g_quiet.load())
        delete report;
    else
        QCoreApplication::postEvent(g_receiver, report);
}

// What the callbacks of one pipeline need. GStreamer may call a callback
// on one thread while another removes it, so each registration holds its
// own reference (an atomic reference-counted box).
struct Shared {
    int player;
    // The generation whose file is loaded; -1 once the pipeline is being
    // freed. Written by the control thread only.
    gint generation;
};

gpointer acquire(Shared* shared) {
    return g_atomic_rc_box_acquire(shared);
}
void release(gpointer shared) {
    g_atomic_rc_box_release(shared);
}

qint64 endMs(GstBuffer* buffer) {
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return 0;
    GstClockTime end = GST_BUFFER_PTS(buffer);
    if (GST_BUFFER_DURATION_IS_VALID(buffer))
        end += GST_BUFFER_DURATION(buffer);
    return static_cast<qint64>(end / GST_MSECOND);
}

// Streaming thread: a picture of the film, due now.
GstFlowReturn onSample(GstAppSink* sink, gpointer data) {
    auto* shared = static_cast<Shared*>(data);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    const int generation = g_atomic_int_get(&shared->generation);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    GstVideoFrame frame;
    if (generation >= 0 && buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        auto* report = new Report(shared->player, generation, Report::Frame);
        report->frame = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                               GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                               GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32)
                            .copy();
        report->ms = endMs(buffer);
        gst_video_frame_unmap(&frame);
        post(report);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

// Streaming thread: sound on its way into the output.
GstPadProbeReturn onSound(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* shared = static_cast<Shared*>(data);
    const int generation = g_atomic_int_get(&shared->generation);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (generation >= 0 && buffer) {
        auto* report = new Report(shared->player, generation, Report::Sound);
        report->ms = endMs(buffer);
        post(report);
    }
    return GST_PAD_PROBE_OK;
}

// Whatever thread posted the message: what matters goes on as a report.
void report(Shared* shared, GstMessage* message) {
    const int generation = g_atomic_int_get(&shared->generation);
    if (generation < 0)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_IS_PIPELINE(GST_MESSAGE_SRC(message))) {
            GstState now = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, &now, nullptr);
            if (now == GST_STATE_PLAYING) {
                post(new Report(shared->player, generation, Report::Playing));
                send({Command::QueryDuration, shared->player, generation, {}});
            }
        }
        break;
    case GST_MESSAGE_EOS:
        post(new Report(shared->player, generation, Report::Ended));
        break;
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        auto* report = new Report(shared->player, generation, Report::Failed);
        gchar* path = gst_object_get_path_string(GST_MESSAGE_SRC(message));
        report->text = QStringLiteral("%1: %2").arg(QString::fromUtf8(path),
                                                    QString::fromUtf8(error ? error->message : ""));
        g_free(path);
        g_clear_error(&error);
        post(report);
        break;
    }
    default:
        break;
    }
}

// Nothing is kept on the bus.
GstBusSyncReply onMessage(GstBus*, GstMessage* message, gpointer data) {
    report(static_cast<Shared*>(data), message);
    // A sync handler that drops a message owns it. Left alive, each message
    // would hold its element, and with it every file's decoders, for good.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

struct Pipeline {
    Shared* shared = nullptr;
    GstElement* playbin = nullptr;
};

// A playbin that draws films through an application sink (our widget
// paints the pictures) and plays sound on the default output: the
// automatic sink falls back to a silent one that keeps real time where the
// machine has no sound output. Empty text on success, else why not.
// The sound output at half volume: the automatic sink, or a silent one that
// keeps real time where there is none. The volume is ours rather than
// playbin's: its own ("soft-volume") is made afresh for every file and the
// old one is never freed. The sink's pad, for watching the sound, in `sink`.
GstElement* makeAudioOutput(GstPad*& sink) {
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* output = gst_element_factory_make("autoaudiosink", nullptr);
    if (!output) {
        output = gst_element_factory_make("fakesink", nullptr);
        if (output)
            g_object_set(output, "sync", TRUE, nullptr);
    }
    if (!volume || !output) {
        for (GstElement* element : {volume, output})
            if (element)
                gst_object_unref(element);
        return nullptr;
    }
    g_object_set(volume, "volume", 0.5, nullptr);
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), volume, output, nullptr);
    gst_element_link(volume, output);
    GstPad* in = gst_element_get_static_pad(volume, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", in));
    gst_object_unref(in);
    sink = gst_element_get_static_pad(output, "sink");
    return bin;
}

QString makePipeline(int player, Pipeline& pipeline) {
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* video = gst_element_factory_make("appsink", nullptr);
    GstPad* sound = nullptr;
    GstElement* audio = makeAudioOutput(sound);
    if (!playbin || !video || !audio) {
        for (GstElement* element : {playbin, video, audio})
            if (element)
                gst_object_unref(element);
        if (sound)
            gst_object_unref(sound);
        return QStringLiteral("GStreamer non ha gli elementi di base (playbin, appsink, volume): "
                              "manca il pacchetto gstreamer1.0-plugins-base.");
    }
    auto* shared = g_atomic_rc_box_new0(Shared);
    shared->player = player;

    // The file's own speed, no subtitles or visualisations.
    gst_util_set_object_arg(G_OBJECT(playbin), "flags", "audio+video");
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
#if G_BYTE_ORDER == G_LITTLE_ENDIAN
                                        "BGRx",
#else
                                        "xRGB",
#endif
                                        nullptr);
    g_object_set(video, "caps", caps, "sync", TRUE, "max-buffers", 2u, "enable-last-sample", FALSE,
                 nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(video), &callbacks, acquire(shared), release);
    if (sound) {
        gst_pad_add_probe(sound, GST_PAD_PROBE_TYPE_BUFFER, onSound, acquire(shared), release);
        gst_object_unref(sound);
    }
    g_object_set(playbin, "video-sink", video, "audio-sink", audio, nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, onMessage, acquire(shared), release);
    gst_object_unref(bus);

    pipeline.shared = shared;
    pipeline.playbin = playbin;
    return {};
}

void dispose(Pipeline& pipeline) {
    g_atomic_int_set(&pipeline.shared->generation, -1);
    gst_element_set_state(pipeline.playbin, GST_STATE_NULL);
    gst_object_unref(pipeline.playbin);
    release(pipeline.shared);
}

// A file has been let go: the memory its decoders and pictures used, now
// free but scattered over the arenas, goes back to the system. (A few
// milliseconds, on this thread, while nothing plays.)
void giveBack() {
    malloc_trim(0);
}

void carryOut(const Command& command, std::map<int, Pipeline>& pipelines, const QString& problem) {
    if (command.kind == Command::Create) {
        Pipeline pipeline;
        const QString why = problem.isEmpty() ? makePipeline(command.player, pipeline) : problem;
        if (why.isEmpty()) {
            pipelines[command.player] = pipeline;
        } else {
            auto* report = new Report(command.player, 0, Report::Unavailable);
            report->text = why;
            post(report);
        }
        return;
    }
    const auto found = pipelines.find(command.player);
    if (found == pipelines.end())
        return;
    Pipeline& pipeline = found->second;
    GstElement* playbin = pipeline.playbin;
    const bool current = command.generation == g_atomic_int_get(&pipeline.shared->generation);
    switch (command.kind) {
    case Command::Open:
        // Streaming stops here, so every report of the earlier load has
        // been posted before the new generation is set. All the way down:
        // a pipeline taken only to READY after a file it could not play
        // may fail the next one too.
        gst_element_set_state(playbin, GST_STATE_NULL);
        g_atomic_int_set(&pipeline.shared->generation, command.generation);
        g_object_set(playbin, "uri", command.uri.constData(), nullptr);
        if (gst_element_set_state(playbin, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            auto* report = new Report(command.player, command.generation, Report::Failed);
            report->text = QStringLiteral("il file non si apre");
            post(report);
        }
        break;
    case Command::Play:
        if (current)
            gst_element_set_state(playbin, GST_STATE_PLAYING);
        break;
    case Command::Pause:
        if (current)
            gst_element_set_state(playbin, GST_STATE_PAUSED);
        break;
    case Command::Stop:
        if (current) {
            gst_element_set_state(playbin, GST_STATE_NULL);
            giveBack();
        }
        break;
    case Command::Close:
        gst_element_set_state(playbin, GST_STATE_NULL);
        g_atomic_int_set(&pipeline.shared->generation, command.generation);
        giveBack();
        break;
    case Command::QueryDuration: {
        gint64 duration = 0;
        if (current && gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration)) {
            auto* report = new Report(command.player, command.generation, Report::Duration);
            report->ms = duration / GST_MSECOND;
            post(report);
        }
        break;
    }
    case Command::Dispose:
        dispose(pipeline);
        pipelines.erase(found);
        break;
    case Command::Create:
        break;
    }
}

// A load or close replaces whatever was asked of the same player before it:
// those commands are skipped when they are still waiting.
bool replaced(const std::vector<Command*>& batch, size_t index) {
    const Command& command = *batch[index];
    if (command.kind == Command::Create || command.kind == Command::Dispose)
        return false;
    for (size_t later = index + 1; later < batch.size(); ++later)
        if (batch[later]->player == command.player &&
            (batch[later]->kind == Command::Open || batch[later]->kind == Command::Close))
            return true;
    return false;
}

gpointer run(gpointer) {
    GError* error = nullptr;
    QString problem;
    if (!gst_init_check(nullptr, nullptr, &error))
        problem = QStringLiteral("GStreamer non si avvia: ") +
                  QString::fromUtf8(error ? error->message : "");
    g_clear_error(&error);
    // The sounds' decoder: libav's, of the same rank, comes first by name,
    // and loading libav costs the first sound about a quarter of a second
    // (the films need it anyway, but only once a film is asked for).
    if (GstPluginFeature* mpg123 =
            problem.isEmpty() ? gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec")
                              : nullptr) {
        gst_plugin_feature_set_rank(mpg123, GST_RANK_PRIMARY + 1);
        gst_object_unref(mpg123);
    }

    std::map<int, Pipeline> pipelines;
    for (bool quit = false; !quit;) {
        std::vector<Command*> batch{static_cast<Command*>(g_async_queue_pop(g_commands))};
        while (auto* more = static_cast<Command*>(g_async_queue_try_pop(g_commands)))
            batch.push_back(more);
        for (size_t i = 0; i < batch.size(); ++i) {
            if (batch[i]->player == QuitPlayer)
                quit = true;
            else if (!replaced(batch, i))
                carryOut(*batch[i], pipelines, problem);
            delete batch[i];
        }
    }
    for (auto& [player, pipeline] : pipelines)
        dispose(pipeline);
    g_finished = true;
    return nullptr;
}

// At exit: the players still loaded are stopped and freed by the control
// thread; the exit waits a little for that, never for long.
struct Finish {
    ~Finish() {
        if (!g_thread)
            return;
        g_quiet = true;
        g_async_queue_push(g_commands, new Command{Command::Dispose, QuitPlayer, 0, {}});
        for (int waited = 0; !g_finished.load() && waited < 2000; waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (g_finished.load())
            g_thread_join(g_thread);
    }
} g_finish;

} // namespace

void start(QObject* receiver) {
    // Each streaming thread would otherwise get a malloc arena of its own;
    // the films' pictures, made on one thread and freed on another, leave
    // those arenas fragmented, and the resident memory then creeps up with
    // every film. Two arenas hold it level at no measurable cost in speed.
    mallopt(M_ARENA_MAX, 2);
    g_receiver = receiver;
    g_commands = g_async_queue_new();
    g_thread = g_thread_new("tavorin-media", run, nullptr);
}

void send(const Command& command) {
    g_async_queue_push(g_commands, new Command(command));
}

} // namespace Playbin
