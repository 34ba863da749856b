// The "Opzioni" menu (order and level) and the "Stile" menu (themes).
#include "dialogs/FrmGoto.h"
#include "fixture/TestApp.h"
#include "ui/Shapes.h"

#include <QActionGroup>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>
#include <QtTest>

namespace {

template <class T = QWidget> T* ctl(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
QAction* menu(TestApp& app, const char* name) {
    return ctl<QAction>(app.window.get(), name);
}
QToolButton* button(TestApp& app, const char* name) {
    return ctl<QToolButton>(app.window.get(), name);
}

const char* const ThemeEntries[] = {"MnuSR", "MnuLG", "MnuLB", "MnuCJ", "MnuRD",
                                    "MnuMB", "MnuVS", "MnuHD", "MnuCM"};

// Every theme folder gets solid pictures whose colour names the folder and
// the picture, so that a button tells where its picture came from.
QColor pictureColour(int themeIndex, const QString& picture) {
    const int kind = picture == u"Wizard" ? 0 : picture == u"Refresh" ? 1 : 2;
    // Steps of 51: the GIF writer keeps such colours exact.
    return QColor(51 * (themeIndex % 6), 51 * (themeIndex / 6 + 2 * kind), 153);
}

int themeIndex(const QString& folder) {
    const auto& themes = Fixture::themes();
    for (size_t i = 0; i < themes.size(); ++i)
        if (themes[i].folder == folder)
            return int(i);
    return -1;
}

QString themePicturePath(TestApp& app, const QString& folder, const QString& picture) {
    return app.path(QStringLiteral("Grafica/Temi/") + folder + u'/' + picture + ".gif");
}

void writeSolidThemePictures(TestApp& app) {
    for (const auto& theme : Fixture::themes())
        for (const char* picture : {"Wizard", "Refresh", "Trash"})
            Fixture::writeGif(themePicturePath(app, theme.folder, picture),
                              pictureColour(themeIndex(theme.folder), picture));
}

QColor iconColour(QToolButton* button) {
    const QImage image = button->icon().pixmap(QSize(32, 32)).toImage();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

// The order a learner sees: both marks, the start entry and the button.
QString orderState(TestApp& app) {
    return QStringLiteral("seq=%1 rnd=%2 start=%3")
        .arg(menu(app, "MnuSeq")->isChecked())
        .arg(menu(app, "MnuRnd")->isChecked())
        .arg(menu(app, "MnuStart")->isEnabled());
}

QColor textColour(QWidget* widget, QPalette::ColorRole role) {
    return widget->palette().color(QPalette::Active, role);
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
    void themeFollowsOrder();
    void dividerDoesNothing();
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
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    menu(app, "MnuCM")->trigger();
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(themeIndex("Comix"), "Refresh"));

    app.platform.randoms = {0.25f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=0 rnd=1 start=0"));
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(themeIndex("Comix"), "Wizard"));
    // Drawn at once, after the animation: 0.25 × 225.
    QCOMPARE(ctl<QLabel>(app.window.get(), "LblPos")->text(), QStringLiteral("N.  57/225"));
    QCOMPARE(app.platform.sleeps.size(), size_t(13));

    // Already on: drawn again all the same.
    app.platform.randoms = {0.0f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=0 rnd=1 start=0"));
    QCOMPARE(ctl<QLabel>(app.window.get(), "LblPos")->text(), QStringLiteral("N.  1/225"));
    QCOMPARE(app.platform.sleeps.size(), size_t(26));
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestOptions::sequentialOrder() {
    TestApp app;
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    menu(app, "MnuVS")->trigger();
    QVERIFY(!menu(app, "MnuStart")->isEnabled());
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(themeIndex("Vista"), "Wizard"));

    menu(app, "MnuSeq")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=1 rnd=0 start=1"));
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(themeIndex("Vista"), "Refresh"));
    FrmGoto* dialog = app.window->loadedFrmGoto();
    QVERIFY(dialog && dialog->isVisible());
    // Nothing is drawn until the dialog takes a number.
    QCOMPARE(ctl<QLabel>(app.window.get(), "LblPos")->text(), QString());
    QVERIFY(app.platform.sleeps.empty());

    // Closed without a number, chosen again: the dialog comes back.
    dialog->close();
    QTRY_VERIFY(!app.window->loadedFrmGoto());
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(orderState(app), QStringLiteral("seq=1 rnd=0 start=1"));
    QVERIFY(app.window->loadedFrmGoto() && app.window->loadedFrmGoto()->isVisible());
    QCOMPARE(app.platform.texts(), QStringList());
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

    TestApp app(30);
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    if (entry == u"MnuRnd") {
        menu(app, "MnuSeq")->trigger();
        app.window->loadedFrmGoto()->close();
    }
    QVERIFY(QFile::remove(themePicturePath(app, "SquareRed", picture)));
    menu(app, qPrintable(entry))->trigger();

    QCOMPARE(app.platform.boxes.size(), size_t(1));
    const auto& box = app.platform.boxes[0];
    QVERIFY2(box.text.startsWith(QStringLiteral("Immagine non trovata:")), qPrintable(box.text));
    QVERIFY2(box.text.endsWith(QStringLiteral("\\Grafica\\Temi\\SquareRed\\") + picture + ".gif"),
             qPrintable(box.text));
    QCOMPARE(box.style, 16);
    QCOMPARE(box.title, std::nullopt);
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(themeIndex("SquareRed"), kept));
    // The command goes on.
    if (entry == u"MnuRnd")
        QVERIFY(!ctl<QLabel>(app.window.get(), "LblPos")->text().isEmpty());
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
    button(app, "CmdNewGraf")->click();
    auto* LblPos = ctl<QLabel>(app.window.get(), "LblPos");
    auto* PctGrafema = ctl<QLabel>(app.window.get(), "PctGrafema");
    const QString position = LblPos->text();
    const qint64 picture = PctGrafema->pixmap().cacheKey();
    const int numRec = app.window->NumRec;
    const QString order = orderState(app);
    const size_t sleeps = app.platform.sleeps.size();

    for (const QString& entry : entries)
        menu(app, qPrintable(entry))->trigger();

    const bool one = upper == 225;
    QCOMPARE(app.window->UpperRec, upper);
    QCOMPARE(ctl<QLabel>(app.window.get(), "LblLev")->text(),
             one ? QStringLiteral("Livello 1") : QStringLiteral("Livello 2"));
    QCOMPARE(menu(app, "MnuLev1")->isChecked(), one);
    QCOMPARE(menu(app, "MnuLev2")->isChecked(), !one);
    // Nothing else: the character on show and its label stay.
    QCOMPARE(LblPos->text(), position);
    QCOMPARE(PctGrafema->pixmap().cacheKey(), picture);
    QCOMPARE(app.window->NumRec, numRec);
    QCOMPARE(orderState(app), order);
    QCOMPARE(app.platform.sleeps.size(), sleeps);
    QCOMPARE(app.platform.texts(), QStringList());

    // The next character uses the new bound.
    app.platform.randoms = {0.999f};
    button(app, "CmdNewGraf")->click();
    QCOMPARE(LblPos->text(), QStringLiteral("N.  %1/%1").arg(upper));
}

void TestOptions::themes_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QColor>("accent");

    // Values from the colour texts, blue-green-red.
    QTest::newRow("Square Red") << "MnuSR"
                                << "SquareRed" << QColor(206, 0, 0);
    QTest::newRow("Light Grey") << "MnuLG"
                                << "LightGrey" << QColor(64, 64, 64);
    QTest::newRow("Light Blue") << "MnuLB"
                                << "LightBlue" << QColor(0, 0, 255);
    QTest::newRow("Cyan Joy") << "MnuCJ"
                              << "CyanJoy" << QColor(0, 207, 206);
    QTest::newRow("Red Danger") << "MnuRD"
                                << "RedDanger" << QColor(255, 0, 0);
    QTest::newRow("Modern Blue") << "MnuMB"
                                 << "ModernBlue" << QColor(0, 174, 206);
    QTest::newRow("Vista") << "MnuVS"
                           << "Vista" << QColor(0, 125, 0);
    QTest::newRow("Happy Day") << "MnuHD"
                               << "HappyDay" << QColor(255, 113, 0);
    QTest::newRow("Comix") << "MnuCM"
                           << "Comix" << QColor(140, 0, 206);
}

void TestOptions::themes() {
    QFETCH(QString, entry);
    QFETCH(QString, folder);
    QFETCH(QColor, accent);

    TestApp app;
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    // Start from another theme, with the poster on.
    menu(app, entry == u"MnuHD" ? "MnuLG" : "MnuHD")->trigger();
    menu(app, "MnuSfd")->trigger();
    QVERIFY(menu(app, "MnuSfd")->isChecked());

    menu(app, qPrintable(entry))->trigger();

    QCOMPARE(app.window->Theme, app.window->PercApp + QStringLiteral("\\Grafica\\Temi\\") + folder);
    QStringList marked;
    for (const char* theme : ThemeEntries)
        if (menu(app, theme)->isChecked())
            marked << theme;
    QCOMPARE(marked, QStringList{entry});
    QVERIFY(menu(app, "MnuSfd")->isChecked());

    const int index = themeIndex(folder);
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), pictureColour(index, "Wizard"));
    QCOMPARE(iconColour(button(app, "CmdCanc")), pictureColour(index, "Trash"));
    for (const char* line : {"Line1", "Line2", "Line3", "Line4"})
        QCOMPARE(ctl<LineShape>(app.window.get(), line)->color(), accent);
    QCOMPARE(ctl<ShapeWidget>(app.window.get(), "RiqGrafema")->color(), accent);
    for (const char* label : {"LblLev", "LblPos"})
        QCOMPARE(textColour(ctl(app.window.get(), label), QPalette::WindowText), accent);
    QCOMPARE(textColour(ctl(app.window.get(), "TxtImmSill"), QPalette::Text), accent);
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestOptions::sameThemeAgain() {
    TestApp app;
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    menu(app, "MnuLB")->trigger();
    // A changed picture shows that choosing the theme again reloads it.
    const QColor changed(255, 255, 0);
    Fixture::writeGif(themePicturePath(app, "LightBlue", "Wizard"), changed);
    menu(app, "MnuLB")->trigger();

    int marks = 0;
    for (const char* theme : ThemeEntries)
        marks += menu(app, theme)->isChecked();
    QCOMPARE(marks, 1);
    QVERIFY(menu(app, "MnuLB")->isChecked());
    QCOMPARE(iconColour(button(app, "CmdNewGraf")), changed);
}

void TestOptions::themeFollowsOrder() {
    TestApp app;
    writeSolidThemePictures(app);
    QVERIFY(app.load());
    menu(app, "MnuSeq")->trigger();
    menu(app, "MnuMB")->trigger();
    QCOMPARE(iconColour(button(app, "CmdNewGraf")),
             pictureColour(themeIndex("ModernBlue"), "Refresh"));
    QCOMPARE(orderState(app), QStringLiteral("seq=1 rnd=0 start=1"));
    menu(app, "MnuRnd")->trigger();
    menu(app, "MnuRD")->trigger();
    QCOMPARE(iconColour(button(app, "CmdNewGraf")),
             pictureColour(themeIndex("RedDanger"), "Wizard"));
}

void TestOptions::dividerDoesNothing() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuCJ")->trigger();
    const QString theme = app.window->Theme;
    menu(app, "MnuDiv")->trigger();
    QCOMPARE(app.window->Theme, theme);
    QVERIFY(menu(app, "MnuCJ")->isChecked());
    QVERIFY(!menu(app, "MnuDiv")->isChecked());
    QVERIFY(!menu(app, "MnuSfd")->isChecked());
    QCOMPARE(app.platform.texts(), QStringList());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
