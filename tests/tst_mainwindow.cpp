// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as it opens, its menus, the themes, the order entries,
// the keyboard and shutdown.
#include "app/Startup.h"
#include "dialogs/FrmGoto.h"
#include "dialogs/FrmInfo.h"
#include "fixture/TestApp.h"
#include "ui_FrmMain.h"

#include <QBitmap>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>

namespace {

const char* const ThemeFolders[] = {"SquareRed",  "LightGrey", "LightBlue", "CyanJoy", "RedDanger",
                                    "ModernBlue", "Vista",     "HappyDay",  "Comix"};
const char* const Pictures[] = {"Wizard", "Refresh", "Trash", "Close", "Write", "Match", "Sound"};

// A solid colour naming the theme folder and the picture: steps of 51
// survive the GIF palette exactly.
QColor pictureColour(int theme, int picture) {
    return QColor(51 * (theme % 5), 51 * (theme / 5 + 2 * (picture % 2)), 51 * (picture / 2));
}

// Every theme's pictures as solid colours, so that a button tells where
// its picture came from.
void paintThemes(TestApp& app) {
    for (int t = 0; t < 9; ++t)
        for (int p = 0; p < 7; ++p)
            Fixture::writeGif(
                app.path(QString("Grafica/Temi/%1/%2.gif").arg(ThemeFolders[t], Pictures[p])),
                pictureColour(t, p));
}

QColor iconColour(QToolButton* button) {
    return button->icon().pixmap(32, 32).toImage().pixelColor(16, 16);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    // The run state after start-up. The hidden solution boxes are bound to
    // the last row, where start-up leaves the cursor.
    void startup() {
        LoadedApp app(300);
        FrmMain& w = *app.window;
        QCOMPARE(app.ui().TxtSolSill->text() + app.ui().TxtSolTn->text(), QString("hao3"));
        QCOMPARE(w.windowTitle() + QString::asprintf(" %d %d %d", w.CountRec, w.UpperRec, w.NumRec),
                 QString("- Tavorin - 300 225 0"));
        QCOMPARE(w.PercApp, app.dir.path());
        QCOMPARE(w.Theme, app.dir.path() + "\\Grafica\\Temi\\SquareRed");
        QCOMPARE(app.ui().PctGrafema->pixmap().size(), QSize(84, 84));
        QVERIFY(!w.loadedFrmPlay()); // the media window waits for the first sound or film
        QVERIFY(app.platform.boxes.empty());
    }

    // An empty table stops start-up with a message; no window is shown.
    void emptyTable() {
        TestApp app(3);
        const QString db = app.path("DBGrafemi1.sqlite");
        QVERIFY(QFile::remove(db));
        Fixture::writeSqlite(db, {});
        QVERIFY(!loadMainWindow());
        QCOMPARE(app.platform.shown(), QStringList{"16 - Impossibile aprire il database:\n" + db +
                                                   "\n\nLa tabella \"Tabella\" è vuota."});
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!top->isVisible());
        QCOMPARE(app.platform.ends, 0);
    }

    // Each theme entry: its mark alone, its folder's pictures on every
    // button (the new-character one as the order wants it), its colour on
    // the lines, the frame, the level and position labels and the answer
    // boxes; the poster stays.
    void themes_data() {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QColor>("accent"); // from the colour text, blue-green-red
        QTest::addColumn<bool>("sequential");
        const std::tuple<const char*, QColor> entries[] = {
            {"MnuSR", QColor(206, 0, 0)},  {"MnuLG", QColor(64, 64, 64)},
            {"MnuLB", QColor(0, 0, 255)},  {"MnuCJ", QColor(0, 207, 206)},
            {"MnuRD", QColor(255, 0, 0)},  {"MnuMB", QColor(0, 174, 206)},
            {"MnuVS", QColor(0, 125, 0)},  {"MnuHD", QColor(255, 113, 0)},
            {"MnuCM", QColor(140, 0, 206)}};
        for (int t = 0; t < 9; ++t)
            QTest::newRow(ThemeFolders[t])
                << t << std::get<0>(entries[t]) << std::get<1>(entries[t]) << bool(t % 2);
    }
    void themes() {
        QFETCH(int, theme);
        QFETCH(QString, entry);
        QFETCH(QColor, accent);
        QFETCH(bool, sequential);
        TestApp app;
        paintThemes(app);
        QVERIFY(app.load());
        Ui::FrmMain& ui = app.ui();
        ctl<QAction>(app.window.get(), theme == 7 ? "MnuLG" : "MnuHD")->trigger();
        ui.MnuSfd->trigger();
        if (sequential)
            app.useTableOrder();
        ctl<QAction>(app.window.get(), qPrintable(entry))->trigger();
        QCOMPARE(app.window->Theme, app.dir.path() + "\\Grafica\\Temi\\" + ThemeFolders[theme]);
        QStringList marked;
        for (QAction* a : ui.MnuTm->actions())
            if (a->isChecked())
                marked << a->objectName();
        QCOMPARE(marked, (QStringList{entry, "MnuSfd"}));
        QCOMPARE(iconColour(ui.CmdNewGraf), pictureColour(theme, sequential));
        int p = 2;
        for (QToolButton* button : {ui.CmdCanc, ui.CmdExit, ui.CmdFlm, ui.CmdMatch, ui.CmdSnd})
            QCOMPARE(iconColour(button), pictureColour(theme, p++));
        for (const QColor& taken :
             {ui.Line1->color(), ui.Line2->color(), ui.Line3->color(), ui.Line4->color(),
              ui.RiqGrafema->color(), ui.LblLev->palette().color(QPalette::WindowText),
              ui.LblPos->palette().color(QPalette::WindowText),
              ui.TxtImmSill->palette().color(QPalette::Active, QPalette::Text),
              ui.TxtImmTn->palette().color(QPalette::Inactive, QPalette::Text)})
            QCOMPARE(taken, accent);
        // Nothing else takes the colour.
        QCOMPARE(ui.LblFirma->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QCOMPARE(ui.TxtNote->palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 255));
        QVERIFY(app.platform.boxes.empty());
    }

    // "Sequenziale" opens the go-to dialog and draws nothing; "Casuale" draws
    // at once after the animation; each sets its own button picture, and
    // what is missing is reported while the command goes on.
    void orderEntries() {
        TestApp app(230);
        paintThemes(app);
        QVERIFY(app.load());
        Ui::FrmMain& ui = app.ui();
        auto state = [&] {
            return QString("%1%2%3")
                .arg(ui.MnuSeq->isChecked())
                .arg(ui.MnuRnd->isChecked())
                .arg(ui.MnuStart->isEnabled());
        };
        ui.MnuSeq->trigger();
        QCOMPARE(state(), QString("101"));
        QCOMPARE(iconColour(ui.CmdNewGraf), pictureColour(0, 1));
        QVERIFY(app.window->loadedFrmGoto() && app.window->loadedFrmGoto()->isVisible());
        QCOMPARE(app.position(), QString());
        QVERIFY(app.platform.sleeps.empty());
        app.window->loadedFrmGoto()->close();
        QVERIFY(QFile::remove(app.path("Grafica/Temi/SquareRed/Wizard.gif")));
        app.platform.randoms = {0.25f};
        ui.MnuRnd->trigger();
        QCOMPARE(state(), QString("010"));
        QCOMPARE(app.position(), QString("N.  57/225")); // 0.25 × 225
        QCOMPARE(app.platform.sleeps.size(), size_t(13));
        QCOMPARE(app.platform.shown(),
                 QStringList{"16 - Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\Wizard.gif"});
        QCOMPARE(iconColour(ui.CmdNewGraf), pictureColour(0, 1)); // kept
        Fixture::writeGif(app.path("Grafica/Temi/SquareRed/Wizard.gif"), Qt::yellow);
        ui.MnuRnd->trigger(); // already on: drawn again, its picture loaded again
        QCOMPARE(iconColour(ui.CmdNewGraf), QColor(Qt::yellow));
        QCOMPARE(app.platform.sleeps.size(), size_t(26));
        // A theme's missing and broken pictures are named in one message; the
        // buttons keep theirs and the colour changes all the same.
        app.platform.boxes.clear();
        QVERIFY(QFile::remove(app.path("Grafica/Temi/SquareRed/Trash.gif")));
        QFile bad(app.path("Grafica/Temi/SquareRed/Match.gif"));
        QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate) && bad.write("GIF89a"));
        bad.close();
        app.window->ChngThm("&HFF");
        QCOMPARE(app.platform.shown(),
                 QStringList{"16 - Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\Trash.gif\n"
                             "\\Grafica\\Temi\\SquareRed\\Match.gif"});
        QCOMPARE(iconColour(ui.CmdCanc), pictureColour(0, 2));
        QCOMPARE(ui.Line1->color(), QColor(255, 0, 0));
    }

    // Exit from button, menu or window closes every window once, never asks.
    void shutdown() {
        for (const bool button : {true, false}) {
            LoadedApp app;
            app.window->show();
            app.ui().MnuInfo->trigger();
            app.ui().MnuSeq->trigger(); // opens the go-to dialog
            QPointer<FrmInfo> info = app.window->loadedFrmInfo();
            QPointer<FrmGoto> go = app.window->loadedFrmGoto();
            QVERIFY(info && info->isVisible() && go && go->isVisible());
            QCOMPARE(ctl<QPlainTextEdit>(info, "TxtTitle")->toPlainText() +
                         ctl<QPlainTextEdit>(info, "TxtCredits")->toPlainText().left(8),
                     QString("Tavorin 4.2\n2009\nCREDITS\n"));
            button ? QTest::mouseClick(app.ui().CmdExit, Qt::LeftButton)
                   : void(app.window->close());
            QVERIFY(!app.window->isVisible() && !info && !go);
            app.ui().MnuExit->trigger(); // a second request changes nothing
            QCOMPARE(app.platform.ends, 1);
            QVERIFY(app.platform.boxes.empty());
        }
    }

    // At each scale the red frame is one band of one thickness, the window's
    // lines and the picture box's shadow equally thick all round, the
    // character 84 pixels, from the double-size file above 1, and at 2 that
    // file's own pixels.
    void scaled_data() {
        QTest::addColumn<double>("scale");
        for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0})
            QTest::newRow(qPrintable(QString::number(scale))) << scale;
    }
    void scaled() {
        QFETCH(double, scale);
        const QString tag = QTest::currentDataTag();
        if (qEnvironmentVariable("QT_SCALE_FACTOR") != tag) {
            // The scale is fixed when a program starts: this row again, in a child.
            const QString self = QCoreApplication::applicationFilePath();
            QCOMPARE(QProcess::execute("env", {"QT_SCALE_FACTOR=" + tag, self, "scaled:" + tag}),
                     0);
            return;
        }
        LoadedApp app;
        app.useTableOrder();
        app.window->CmdNewGraf_Click();
        const QPixmap picture = app.ui().PctGrafema->pixmap();
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(84, 84));
        QCOMPARE(picture.devicePixelRatio(), scale > 1 ? 2 : 1);
        const QImage grab = app.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        auto accents = [&](const QRect& area, QRgb colour = qRgb(206, 0, 0)) {
            const QImage mask = grab.copy(area).createMaskFromColor(colour, Qt::MaskOutColor);
            return QRegion(QBitmap::fromImage(mask)).translated(area.topLeft());
        };
        const QPoint at = app.ui().RiqGrafema->mapTo(app.window.get(), QPoint()) * scale;
        const QRegion red = accents(QRect(at, QSize(90, 90) * scale).adjusted(-3, -3, 3, 3));
        const QRect frame = red.boundingRect();
        QVERIFY(qAbs(frame.width() - 90 * scale) <= 1 && qAbs(frame.height() - 90 * scale) <= 1);
        const int t = (red & QRect(frame.center().x(), frame.top(), 1, 9)).boundingRect().height();
        QVERIFY((red ^ QRegion(frame).subtracted(frame.adjusted(t, t, -t, -t))).isEmpty());
        const int w = grab.width(), h = grab.height();
        QList<int> lines;
        for (const QRect& line : accents({w / 2, 0, 1, h}) + accents({0, h / 2, w / 4, 1}) +
                                     accents({w - w / 4, h / 2, w / 4, 1}))
            lines << qMax(line.width(), line.height());
        QVERIFY(lines.size() == 4 && lines.count(lines[0]) == 4 && qAbs(lines[0] - 2 * scale) < 1);
        // The four lines meet at the corners: one whole band, nothing beyond.
        QRect outer;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                outer |= grab.pixel(x, y) == qRgb(206, 0, 0) ? QRect(x, y, 1, 1) : QRect();
        const QRect inner = outer.adjusted(lines[0], lines[0], -lines[0], -lines[0]);
        for (int y = outer.top(); y <= outer.bottom(); ++y)
            for (int x = outer.left(); x <= outer.right(); ++x)
                if (!inner.contains(x, y))
                    QVERIFY2(grab.pixel(x, y) == qRgb(206, 0, 0),
                             qPrintable(QString("%1,%2").arg(x).arg(y)));
        const QRect box(app.ui().PctGrafema->mapTo(app.window.get(), QPoint()) * scale,
                        QSize(84, 84) * scale);
        const QRegion shadow = accents(box, app.ui().PctGrafema->palette().dark().color().rgb());
        QCOMPARE((shadow & QRect(box.center().x(), box.top(), 1, 9)).boundingRect().height(),
                 (shadow & QRect(box.left(), box.center().y(), 9, 1)).boundingRect().width());
        const QImage sharp = QImage(app.path("Grafemi/g001@2x.jpg")).convertToFormat(grab.format());
        if (scale == 2) // inside the frame
            QCOMPARE(grab.copy(QRect(box.topLeft() + QPoint(2, 2), QSize(164, 164))),
                     sharp.copy(0, 0, 164, 164));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
