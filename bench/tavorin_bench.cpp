// SPDX-License-Identifier: GPL-3.0-or-later
// In-process figures for the steps a learner repeats: opening the table, a
// new character, the answer check, a theme change, clearing, the dragon.
//
//   tavorin-bench [--app DIR] [--figures FILE] [Google Benchmark flags]
//
// --app names an application folder to use for the window benchmarks (the
// demo content); without it a sample folder of 454 rows is written to a
// temporary folder. --figures writes "name median_ms" lines for bench/run.
#include "app/FrmMain.h"
#include "bench/MdbRows.h"
#include "data/DataControl.h"
#include "fixture/AppFolder.h"
#include "fixture/RecordingPlatform.h"
#include "platform/FileSystemObject.h"
#include "ui_FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct Folders {
    QTemporaryDir temp;
    QString app; // the window benchmarks' folder
    QString sqlite454;
    QString sqlite10000;
    QString mdb12;
    QString mdb454;
    QString mdb10000;
};

Folders* g_folders = nullptr;

QString makeSqliteFolder(const QString& parent, int rows) {
    const QString dir = parent + QStringLiteral("/sqlite%1").arg(rows);
    QDir().mkpath(dir);
    Fixture::writeSqlite(dir + QStringLiteral("/DBGrafemi1.sqlite"), Fixture::sampleRows(rows));
    return dir;
}

QString makeMdbFolder(const QString& parent, int rows) {
    const QString dir = parent + QStringLiteral("/mdb%1").arg(rows);
    QDir().mkpath(dir);
    QFile source(QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb/DBGrafemi1.mdb"));
    if (!source.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = source.readAll();
    if (rows > 12)
        BenchMdb::appendSampleRows(bytes, 13, rows - 12);
    QFile out(dir + QStringLiteral("/DBGrafemi1.mdb"));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + out.fileName().toStdString());
    return dir;
}

// Loads the table of the folder as start-up does.
int openTable(const QString& folder) {
    FileSystemObject fso(folder);
    DataControl data;
    data.setDatabaseName(folder + QStringLiteral("\\DBGrafemi1.mdb"));
    data.setConnect(QStringLiteral("Access 2000;pwd=582317"));
    data.setRecordSource(QStringLiteral("Tabella"));
    data.refresh(fso);
    return data.recordCount();
}

void BM_OpenTable(benchmark::State& state, const QString* folder, int expected) {
    if (folder->isEmpty()) {
        state.SkipWithError("no such folder");
        return;
    }
    if (openTable(*folder) != expected) {
        state.SkipWithError("wrong row count");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(openTable(*folder));
}

// A shown main window over the benchmark folder, started as the program
// starts it, with sleeps recorded instead of slept.
struct Window {
    Window() : platform(g_folders->app) {
        frm = std::make_unique<FrmMain>();
        if (!frm->Form_Load())
            throw std::runtime_error("start-up failed: " +
                                     platform.shown().join(u' ').toStdString());
        frm->show();
        settle();
    }
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    void tableOrder() {
        frm->form().MnuRnd->setChecked(false);
        frm->form().MnuSeq->setChecked(true);
    }
    void randomOrder() {
        frm->form().MnuSeq->setChecked(false);
        frm->form().MnuRnd->setChecked(true);
    }
    bool quiet() const { return platform.boxes.empty(); }

    RecordingPlatform platform;
    std::unique_ptr<FrmMain> frm;
};

void reportBoxes(benchmark::State& state, const Window& w) {
    if (!w.quiet())
        state.SkipWithError(
            ("message box: " + w.platform.boxes.front().text.toStdString()).c_str());
}

void BM_SelezionaRecord(benchmark::State& state) {
    Window w;
    w.tableOrder();
    const int levelSize = std::min(w.frm->UpperRec, w.frm->CountRec);
    for (auto _ : state) {
        w.frm->NumRec = (w.frm->NumRec + 1) % levelSize;
        w.frm->SelezionaRecord();
    }
    reportBoxes(state, w);
}

// The new-character button in table order, then the paint it asked for.
void BM_NewCharacter(benchmark::State& state) {
    Window w;
    w.tableOrder();
    for (auto _ : state) {
        w.frm->form().CmdNewGraf->click();
        Window::settle();
    }
    reportBoxes(state, w);
}

// The check button after an answer has been typed; the new character before
// it is not timed. With paint: until the window has been painted again.
void answerCheck(benchmark::State& state, bool withPaint) {
    Window w;
    w.tableOrder();
    Ui::FrmMain& ui = w.frm->form();
    for (auto _ : state) {
        ui.CmdNewGraf->click();
        ui.TxtImmSill->setText(QStringLiteral("lv"));
        ui.TxtImmTn->setEditText(QStringLiteral("4"));
        Window::settle();
        const auto start = Clock::now();
        ui.CmdMatch->click();
        if (withPaint)
            Window::settle();
        state.SetIterationTime(seconds(start, Clock::now()));
    }
    if (ui.CmdMatch->isEnabled() || !ui.TxtSolSill->isVisibleTo(w.frm.get()))
        state.SkipWithError("the check did not run");
    reportBoxes(state, w);
}
void BM_AnswerCheck(benchmark::State& state) {
    answerCheck(state, false);
}
void BM_AnswerCheckPainted(benchmark::State& state) {
    answerCheck(state, true);
}

// Two themes in turn through their menu entries, each with its paint.
void BM_ThemeChange(benchmark::State& state) {
    Window w;
    Ui::FrmMain& ui = w.frm->form();
    bool flip = false;
    for (auto _ : state) {
        (flip ? ui.MnuSR : ui.MnuLG)->trigger();
        flip = !flip;
        Window::settle();
    }
    reportBoxes(state, w);
}

// Clearing the boxes after a checked answer (SvuotaCampi paints itself).
void BM_SvuotaCampi(benchmark::State& state) {
    Window w;
    w.tableOrder();
    Ui::FrmMain& ui = w.frm->form();
    for (auto _ : state) {
        ui.CmdNewGraf->click();
        ui.CmdMatch->click();
        Window::settle();
        const auto start = Clock::now();
        w.frm->SvuotaCampi();
        state.SetIterationTime(seconds(start, Clock::now()));
    }
    reportBoxes(state, w);
}

// The dragon with its 13 sleeps recorded, not slept: the work alone.
void BM_DragonOverhead(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.frm->AnimazioneDragon();
        Window::settle();
    }
    if (w.platform.sleeps.size() % 13 != 0)
        state.SkipWithError("not 13 sleeps an animation");
    reportBoxes(state, w);
}

// The dragon as the learner sees it, with the real 13 x 50 ms of sleep.
void BM_DragonTotal(benchmark::State& state) {
    Window w;
    w.platform.realSleep = true;
    for (auto _ : state) {
        w.frm->AnimazioneDragon();
        Window::settle();
    }
    reportBoxes(state, w);
}

// A new character in random order: the dragon, then the character.
void BM_NewCharacterRandom(benchmark::State& state) {
    Window w;
    w.randomOrder();
    w.platform.realSleep = true;
    for (auto _ : state) {
        w.frm->form().CmdNewGraf->click();
        Window::settle();
    }
    reportBoxes(state, w);
}

// Keeps the medians of the repeated runs for the figures file.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const double ms =
                run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMillisecond   ? 1.0
                                             : run.time_unit == benchmark::kMicrosecond ? 1e-3
                                             : run.time_unit == benchmark::kNanosecond  ? 1e-6
                                                                                        : 1e3);
            medians[run.run_name.function_name + run.run_name.args] = ms;
        }
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QString appFolder;
    QString figuresFile;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--app" && i + 1 < argc)
            appFolder = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--figures" && i + 1 < argc)
            figuresFile = QString::fromLocal8Bit(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 2;

    Folders folders;
    g_folders = &folders;
    const QString temp = folders.temp.path();
    if (appFolder.isEmpty()) {
        appFolder = temp + QStringLiteral("/app");
        Fixture::writeAppFolder(appFolder, Fixture::sampleRows(454));
    }
    folders.app = QDir(appFolder).absolutePath();
    folders.sqlite454 = makeSqliteFolder(temp, 454);
    folders.sqlite10000 = makeSqliteFolder(temp, 10000);
    folders.mdb12 = makeMdbFolder(temp, 12);
    folders.mdb454 = makeMdbFolder(temp, 454);
    folders.mdb10000 = makeMdbFolder(temp, 10000);

    using benchmark::kMillisecond;
    benchmark::RegisterBenchmark("open_sqlite_454", BM_OpenTable, &folders.sqlite454, 454)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("open_sqlite_10000", BM_OpenTable, &folders.sqlite10000, 10000)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("open_mdb_12", BM_OpenTable, &folders.mdb12, 12)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("open_mdb_454", BM_OpenTable, &folders.mdb454, 454)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("open_mdb_10000", BM_OpenTable, &folders.mdb10000, 10000)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("seleziona_record", BM_SelezionaRecord)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("new_character", BM_NewCharacter)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("answer_check", BM_AnswerCheck)
        ->UseManualTime()
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("answer_check_painted", BM_AnswerCheckPainted)
        ->UseManualTime()
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("theme_change", BM_ThemeChange)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("svuota_campi", BM_SvuotaCampi)
        ->UseManualTime()
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("dragon_overhead", BM_DragonOverhead)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("dragon_total", BM_DragonTotal)->Unit(kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("new_character_random", BM_NewCharacterRandom)
        ->Unit(kMillisecond)
        ->Iterations(1);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (!figuresFile.isEmpty()) {
        QFile out(figuresFile);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
            return 1;
        for (const auto& [name, ms] : reporter.medians)
            out.write(QByteArray::fromStdString(name) + ' ' + QByteArray::number(ms, 'f', 4) +
                      '\n');
    }
    return 0;
}
