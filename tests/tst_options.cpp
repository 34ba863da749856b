// The "Opzioni" menu (order and level) and the "Stile" menu (themes).
#include "dialogs/FrmGoto.h"
#include "fixture/TestApp.h"
#include "ui/Shapes.h"

#include <QActionGroup>
#include <QFile>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

namespace {

const char* const ThemeEntries[] = {"MnuSR", "MnuLG", "MnuLB", "MnuCJ", "MnuRD",
                                    "MnuMB", "MnuVS", "MnuHD", "MnuCM"};

QStringList markedThemes(TestApp& app) {
    QStringList marked;
    for (const char* entry : ThemeEntries)
        if (menu(app, entry)->isChecked())
            marked << entry;
    return marked;
}

// Solid pictures whose colour names the theme folder and the picture, so
// that a button tells where its picture came from. Steps of 51 survive the
// GIF palette exactly.
QColor pictureColour(const QString& folder, const QString& picture) {
    int theme = 0;
    while (Fixture::themes()[theme].folder != folder)
        ++theme;
    const int kind = picture == u"Wizard" ? 0 : 1;
    return QColor(51 * (theme % 6), 51 * (theme / 6 + 2 * kind), 153);
}

QString picturePath(TestApp& app, const QString& folder, const QString& picture) {
    return app.path(QStringLiteral("Grafica/Temi/") + folder + u'/' + picture + ".gif");
}

// A loaded app whose themes carry solid Wizard and Refresh pictures.
bool load(TestApp& app) {
    for (const auto& theme : Fixture::themes())
        for (const char* picture : {"Wizard", "Refresh"})
            Fixture::writeGif(picturePath(app, theme.folder, picture),
                              pictureColour(theme.folder, picture));
    return app.load();
}

QColor iconColour(TestApp& app, const char* button) {
    const QImage image =
        ctl<QToolButton>(app.window.get(), button)->icon().pixmap(QSize(32, 32)).toImage();
    return image.isNull() ? QColor() : image.pixelColor(16, 16);
}

// What the learner sees of the order: both marks and the start entry.
QString orderState(TestApp& app) {
    return QStringLiteral("seq=%1 rnd=%2 start=%3")
        .arg(menu(app, "MnuSeq")->isChecked())
        .arg(menu(app, "MnuRnd")->isChecked())
        .arg(menu(app, "MnuStart")->isEnabled());
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void marksAreCheckMarks();
    void randomOrder();
    void sequentialOrder();
    void missingOrderPicture_data();
    void missingOrderPicture();
    void levels_data();
    void levels();
    void themes_data();
    void themes();
    void sameThemeAgain();
};

void TestOptions::marksAreCheckMarks() {
    // An entry of an exclusive action group is drawn as a radio bullet.
    TestApp app;
    QVERIFY(app.load());
    QStringList entries{"MnuSeq", "MnuRnd", "MnuLev1", "MnuLev2", "MnuSfd"};
    for (const char* theme : ThemeEntries)
        entries << theme;
    for (const QString& name : entries) {
        QAction* entry = menu(app, qPrintable(name));
        QVERIFY2(entry->isCheckable(), qPrintable(name));
        QVERIFY2(!entry->actionGroup() || !entry->actionGroup()->isExclusive(), qPrintable(name));
    }
}

void TestOptions::randomOrder() {
    TestApp app(230);
    QVERIFY(load(app));
    menu(app, "MnuCM")->trigger();
    menu(app, "MnuSeq")->trigger();
    app.platform.randoms = {0.25f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=0 rnd=1 start=0"));
    QCOMPARE(iconColour(app, "CmdNewGraf"), pictureColour("Comix", "Wizard"));
    // Drawn at once, after the animation: 0.25 × 225.
    QCOMPARE(position(app), QStringLiteral("N.  57/225"));
    QCOMPARE(app.platform.sleeps.size(), size_t(13));

    // Already on: drawn again all the same.
    app.platform.randoms = {0.0f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=0 rnd=1 start=0"));
    QCOMPARE(position(app), QStringLiteral("N.  1/225"));
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestOptions::sequentialOrder() {
    TestApp app;
    QVERIFY(load(app));
    menu(app, "MnuVS")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=0 rnd=1 start=0"));
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=1 rnd=0 start=1"));
    QCOMPARE(iconColour(app, "CmdNewGraf"), pictureColour("Vista", "Refresh"));
    FrmGoto* dialog = app.window->loadedFrmGoto();
    QVERIFY(dialog && dialog->isVisible());
    // Nothing is drawn until the dialog takes a number.
    QCOMPARE(position(app), QString());
    QVERIFY(app.platform.sleeps.empty());

    // Closed without a number and chosen again: the dialog comes back.
    dialog->close();
    QTRY_VERIFY(!app.window->loadedFrmGoto());
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=1 rnd=0 start=1"));
    QVERIFY(app.window->loadedFrmGoto() && app.window->loadedFrmGoto()->isVisible());
}

void TestOptions::missingOrderPicture_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("kept"); // the picture the button had

    QTest::newRow("Casuale") << "MnuRnd"
                             << "Wizard"
                             << "Refresh";
    QTest::newRow("Sequenziale") << "MnuSeq"
                                 << "Refresh"
                                 << "Wizard";
}

void TestOptions::missingOrderPicture() {
    QFETCH(QString, entry);
    QFETCH(QString, picture);
    QFETCH(QString, kept);

    TestApp app;
    QVERIFY(load(app));
    if (entry == u"MnuRnd") {
        menu(app, "MnuSeq")->trigger();
        app.window->loadedFrmGoto()->close();
    }
    QVERIFY(QFile::remove(picturePath(app, "SquareRed", picture)));
    menu(app, qPrintable(entry))->trigger();

    QCOMPARE(app.platform.boxes.size(), size_t(1));
    const auto& box = app.platform.boxes[0];
    QVERIFY2(box.text.startsWith(QStringLiteral("Immagine non trovata:")), qPrintable(box.text));
    QVERIFY2(box.text.endsWith(QStringLiteral("\\Grafica\\Temi\\SquareRed\\") + picture + ".gif"),
             qPrintable(box.text));
    QCOMPARE(box.style, 16);
    QCOMPARE(box.title, std::nullopt);
    QCOMPARE(iconColour(app, "CmdNewGraf"), pictureColour("SquareRed", kept));
    // The command goes on.
    if (entry == u"MnuRnd")
        QVERIFY(!position(app).isEmpty());
    else
        QVERIFY(app.window->loadedFrmGoto() && app.window->loadedFrmGoto()->isVisible());
}

void TestOptions::levels_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("upper");

    QTest::newRow("Livello 2") << QStringList{"MnuLev2"} << 454;
    QTest::newRow("Livello 2, then 1") << QStringList{"MnuLev2", "MnuLev1"} << 225;
    QTest::newRow("Livello 1 again") << QStringList{"MnuLev1"} << 225;
    QTest::newRow("Livello 2 twice") << QStringList{"MnuLev2", "MnuLev2"} << 454;
}

void TestOptions::levels() {
    QFETCH(QStringList, entries);
    QFETCH(int, upper);

    TestApp app(460);
    QVERIFY(app.load());
    app.platform.randoms = {0.1f};
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    auto* PctGrafema = ctl<QLabel>(app.window.get(), "PctGrafema");
    const QString shown = position(app);
    const qint64 picture = PctGrafema->pixmap().cacheKey();
    const int numRec = app.window->NumRec;
    const QString order = orderState(app);

    for (const QString& entry : entries)
        menu(app, qPrintable(entry))->trigger();

    const bool one = upper == 225;
    QCOMPARE(app.window->UpperRec, upper);
    QCOMPARE(ctl<QLabel>(app.window.get(), "LblLev")->text(),
             one ? QStringLiteral("Livello 1") : QStringLiteral("Livello 2"));
    QCOMPARE(menu(app, "MnuLev1")->isChecked(), one);
    QCOMPARE(menu(app, "MnuLev2")->isChecked(), !one);
    // Nothing else: the character on show and its label stay.
    QCOMPARE(position(app), shown);
    QCOMPARE(PctGrafema->pixmap().cacheKey(), picture);
    QCOMPARE(app.window->NumRec, numRec);
    QCOMPARE(orderState(app), order);
    QCOMPARE(app.platform.sleeps.size(), size_t(13));
    QCOMPARE(app.platform.texts(), QStringList());

    // The next character uses the new bound.
    app.platform.randoms = {0.999f};
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    QCOMPARE(position(app), QStringLiteral("N.  %1/%1").arg(upper));
}

void TestOptions::themes_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QColor>("accent"); // from the colour text, blue-green-red
    QTest::addColumn<bool>("sequential");

    QTest::newRow("Square Red") << "MnuSR"
                                << "SquareRed" << QColor(206, 0, 0) << false;
    QTest::newRow("Light Grey") << "MnuLG"
                                << "LightGrey" << QColor(64, 64, 64) << true;
    QTest::newRow("Light Blue") << "MnuLB"
                                << "LightBlue" << QColor(0, 0, 255) << false;
    QTest::newRow("Cyan Joy") << "MnuCJ"
                              << "CyanJoy" << QColor(0, 207, 206) << true;
    QTest::newRow("Red Danger") << "MnuRD"
                                << "RedDanger" << QColor(255, 0, 0) << false;
    QTest::newRow("Modern Blue") << "MnuMB"
                                 << "ModernBlue" << QColor(0, 174, 206) << true;
    QTest::newRow("Vista") << "MnuVS"
                           << "Vista" << QColor(0, 125, 0) << false;
    QTest::newRow("Happy Day") << "MnuHD"
                               << "HappyDay" << QColor(255, 113, 0) << true;
    QTest::newRow("Comix") << "MnuCM"
                           << "Comix" << QColor(140, 0, 206) << false;
}

void TestOptions::themes() {
    QFETCH(QString, entry);
    QFETCH(QString, folder);
    QFETCH(QColor, accent);
    QFETCH(bool, sequential);

    TestApp app;
    QVERIFY(load(app));
    // From another theme, with the poster on.
    menu(app, entry == u"MnuHD" ? "MnuLG" : "MnuHD")->trigger();
    menu(app, "MnuSfd")->trigger();
    if (sequential)
        menu(app, "MnuSeq")->trigger();

    menu(app, qPrintable(entry))->trigger();

    QCOMPARE(app.window->Theme, app.window->PercApp + QStringLiteral("\\Grafica\\Temi\\") + folder);
    QCOMPARE(markedThemes(app), QStringList{entry});
    QVERIFY(menu(app, "MnuSfd")->isChecked());
    QCOMPARE(iconColour(app, "CmdNewGraf"),
             pictureColour(folder, sequential ? "Refresh" : "Wizard"));
    // Applying the colour to every control is the theme application's own
    // business; one line shows which colour it was given.
    QCOMPARE(ctl<LineShape>(app.window.get(), "Line1")->color(), accent);

    // The divider below the themes does nothing.
    menu(app, "MnuDiv")->trigger();
    QCOMPARE(markedThemes(app), QStringList{entry});
    QVERIFY(menu(app, "MnuSfd")->isChecked());
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestOptions::sameThemeAgain() {
    TestApp app;
    QVERIFY(load(app));
    menu(app, "MnuLB")->trigger();
    // A changed picture shows that choosing the theme again reloads it.
    const QColor changed(255, 255, 0);
    Fixture::writeGif(picturePath(app, "LightBlue", "Wizard"), changed);
    menu(app, "MnuLB")->trigger();
    QCOMPARE(markedThemes(app), QStringList{"MnuLB"});
    QCOMPARE(iconColour(app, "CmdNewGraf"), changed);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
