// The main window as it opens, start-up on good and bad folders, the theme
// application and shutdown.
#include "app/Startup.h"
#include "dialogs/FrmGoto.h"
#include "dialogs/FrmInfo.h"
#include "fixture/TestApp.h"
#include "ui_FrmMain.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initialState_data();
    void initialState();
    void initialMenus_data();
    void initialMenus();
    void startupState();
    void startupFailures_data();
    void startupFailures();
    void themeApplied();
    void themeFollowsOrder();
    void missingThemePictures();
    void shutdownClosesEveryWindow();
    void closeButtonEndsOnce();
    void shortcutsWinOverTextBoxes();
    void accessKeysOnlyWhileEnabled();
    void tabOrder();
};

static QColor iconColor(QToolButton* button) {
    const QImage image = button->icon().pixmap(32, 32).toImage();
    return image.pixelColor(16, 16);
}

void TestMainWindow::initialState_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QRect>("geometry");

    auto row = [](const char* name, bool enabled, bool shown, const char* text, const char* tip,
                  QRect geometry) {
        QTest::newRow(name) << QString(name) << enabled << shown << QString::fromUtf8(text)
                            << QString::fromUtf8(tip) << geometry;
    };
    row("PctGrafema", true, true, "", "Qui compare il carattere da riconoscere",
        QRect(100, 48, 84, 84));
    row("CmdSnd", false, true, "", "Ascolta pronuncia", QRect(40, 50, 35, 35));
    row("CmdFlm", false, true, "", "Vedi sequenza dei tratti", QRect(40, 95, 35, 35));
    row("TxtImmSill", false, true, "(Sillaba)",
        "Immetti sillaba corrispondente al carattere mostrato", QRect(275, 55, 97, 24));
    row("TxtImmTn", false, true, "(Tono)", "Immetti tono corrispondente al carattere mostrato",
        QRect(275, 96, 97, 24));
    // The solution boxes are bound to the last row, where start-up leaves the cursor.
    row("TxtSolSill", true, false, "hao", "Sillaba corretta corrispondente al carattere mostrato",
        QRect(390, 55, 67, 24));
    row("TxtSolTn", true, false, "3", "Tono corretto corrispondente al carattere mostrato",
        QRect(390, 96, 67, 24));
    row("TxtSolSign", true, false, "", "Significato del carattere mostrato",
        QRect(67, 160, 153, 43));
    row("TxtNote", true, false, "", "Altre informazioni", QRect(67, 220, 153, 87));
    row("CmdNewGraf", true, true, "&Nuovo carattere", "Premi per visualizzare un nuovo carattere",
        QRect(275, 160, 100, 57));
    row("CmdCanc", false, true, "&Cancella tutto", "Cancella i campi", QRect(390, 160, 100, 57));
    row("CmdMatch", false, true, "&Risolvi", "Verifica la tua risposta e visualizza la soluzione",
        QRect(275, 230, 100, 57));
    row("CmdExit", true, true, "&Uscita", "Esci dall'applicazione", QRect(390, 230, 100, 57));
    row("LblLev", true, true, "Livello 1", "", QRect(453, 8, 67, 13));
    row("LblPos", true, true, "", "", QRect());
    row("LblFirma", true, true, "Tavorin 4.2", "", QRect());
    row("RiqGrafema", true, false, "", "", QRect(98, 45, 90, 90));
}

void TestMainWindow::initialState() {
    QFETCH(QString, name);
    QFETCH(bool, enabled);
    QFETCH(bool, shown);
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(QRect, geometry);
    TestApp app;
    QVERIFY(app.load());
    app.window->show();
    auto* widget = app.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->isEnabled(), enabled);
    QCOMPARE(widget->isVisible(), shown);
    QCOMPARE(widget->toolTip(), tip);
    if (geometry.isValid())
        QCOMPARE(widget->geometry(), geometry);
    QString shownText;
    if (auto* label = qobject_cast<QLabel*>(widget))
        shownText = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        shownText = button->text();
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
        shownText = line->text();
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        shownText = combo->currentText();
    QCOMPARE(shownText, text);
    QCOMPARE(app.platform.boxes.size(), size_t(0));
}

void TestMainWindow::initialMenus_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("checked"); // -1: no check mark

    auto row = [](const char* name, const char* text, const char* shortcut, bool enabled,
                  int checked) {
        QTest::newRow(name) << QString(name) << QString::fromUtf8(text) << QString(shortcut)
                            << enabled << checked;
    };
    row("MnuNew", "Genera nuovo carattere", "Ctrl+N", true, -1);
    row("MnuSlv", "Vedi soluzione", "Ctrl+R", false, -1);
    row("MnuCanc", "Cancella tutto", "Ctrl+C", true, -1);
    row("MnuExit", "Esci", "Ctrl+U", true, -1);
    row("MnuSeq", "Sequenziale", "Ctrl+Q", true, 0);
    row("MnuRnd", "Casuale", "Ctrl+D", true, 1);
    row("MnuStart", "Parti da...", "", false, -1);
    row("MnuLev1", "Livello 1", "", true, 1);
    row("MnuLev2", "Livello 2", "", true, 0);
    row("MnuSR", "Square Red", "", true, 1);
    row("MnuLG", "Light Grey", "", true, 0);
    row("MnuLB", "Light Blue", "", true, 0);
    row("MnuCJ", "Cyan Joy", "", true, 0);
    row("MnuRD", "Red Danger", "", true, 0);
    row("MnuMB", "Modern Blue", "", true, 0);
    row("MnuVS", "Vista", "", true, 0);
    row("MnuHD", "Happy Day", "", true, 0);
    row("MnuCM", "Comix", "", true, 0);
    row("MnuDiv", "______________", "", true, -1);
    row("MnuSfd", "Sfondo \"Dragon\"", "", true, 0);
    row("MnuInfo", "About", "", true, -1);
}

void TestMainWindow::initialMenus() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    QFETCH(int, checked);
    TestApp app;
    QVERIFY(app.load());
    auto* action = app.window->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut().toString(), shortcut);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isCheckable() ? int(action->isChecked()) : -1, checked);
}

void TestMainWindow::startupState() {
    TestApp app(300);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    QCOMPARE(w.windowTitle(), QString("- Tavorin -"));
    QCOMPARE(w.CountRec, 300);
    QCOMPARE(w.UpperRec, 225);
    QCOMPARE(w.NumRec, 0);
    QVERIFY(w.PosStart.isEmpty());
    QCOMPARE(w.PercApp, app.dir.path());
    QCOMPARE(w.Theme, app.dir.path() + "\\Grafica\\Temi\\SquareRed");
    // The record set stays on the last row: the hidden boxes show it.
    QCOMPARE(w.DataDBCaratteri().absolutePosition(), 299);
    QCOMPARE(w.form().TxtSolSign->toPlainText(), QString("significato 300"));
    // Menu order of the bar.
    QStringList bar;
    for (QAction* a : w.form().menubar->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{"Comandi", "Opzioni", "Stile", "About"}));
    QVERIFY(!w.form().MnuInfo->menu());
    QVERIFY(!w.form().PctGrafema->pixmap().isNull());
    QCOMPARE(w.form().PctGrafema->pixmap().size(), QSize(84, 84));
    QVERIFY(!w.loadedFrmPlay()); // the media window waits for the first sound or film
}

void TestMainWindow::startupFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no database") << "none"
                                 << "non esiste";
    QTest::newRow("not a database") << "garbage"
                                    << "non è un database";
    QTest::newRow("empty table") << "empty"
                                 << "è vuota";
    QTest::newRow("no table") << "otherTable"
                              << "non trovata";
}

void TestMainWindow::startupFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    TestApp app(3);
    const QString db = app.path("DBGrafemi1.sqlite");
    QFile::remove(db);
    if (kind == "garbage") {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all, just text");
    } else if (kind == "empty") {
        Fixture::writeSqlite(db, {});
    } else if (kind == "otherTable") {
        Fixture::writeSqlite(db, Fixture::sampleRows(2), "Caratteri");
    }
    std::unique_ptr<FrmMain> window = loadMainWindow();
    QVERIFY(!window);
    QCOMPARE(app.platform.boxes.size(), size_t(1));
    const auto& box = app.platform.boxes.front();
    QCOMPARE(box.style, 16);
    QVERIFY(!box.title); // the application's title
    QVERIFY2(box.text.startsWith("Impossibile aprire il database:"), qPrintable(box.text));
    QVERIFY2(box.text.contains("DBGrafemi1"), qPrintable(box.text));
    QVERIFY2(box.text.contains(cause), qPrintable(box.text));
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(!top->isVisible());
}

void TestMainWindow::themeApplied() {
    TestApp app;
    // Solid pictures tell which file each button got.
    const QString dir = app.path("Grafica/Temi/SquareRed/");
    const QList<std::pair<QString, QColor>> pictures{
        {"Wizard", QColor(10, 0, 0)}, {"Refresh", QColor(20, 0, 0)}, {"Trash", QColor(30, 0, 0)},
        {"Close", QColor(40, 0, 0)},  {"Write", QColor(50, 0, 0)},   {"Match", QColor(60, 0, 0)},
        {"Sound", QColor(70, 0, 0)}};
    for (const auto& [name, color] : pictures)
        Fixture::writeGif(dir + name + ".gif", color);
    QVERIFY(app.load());
    const Ui::FrmMain& ui = app.window->form();
    QCOMPARE(iconColor(ui.CmdNewGraf), QColor(10, 0, 0));
    QCOMPARE(iconColor(ui.CmdCanc), QColor(30, 0, 0));
    QCOMPARE(iconColor(ui.CmdExit), QColor(40, 0, 0));
    QCOMPARE(iconColor(ui.CmdFlm), QColor(50, 0, 0));
    QCOMPARE(iconColor(ui.CmdMatch), QColor(60, 0, 0));
    QCOMPARE(iconColor(ui.CmdSnd), QColor(70, 0, 0));

    const QColor accent(206, 0, 0);
    for (LineShape* line : {ui.Line1, ui.Line2, ui.Line3, ui.Line4})
        QCOMPARE(line->color(), accent);
    QCOMPARE(ui.RiqGrafema->color(), accent);
    QCOMPARE(ui.LblLev->palette().color(QPalette::WindowText), accent);
    QCOMPARE(ui.LblPos->palette().color(QPalette::WindowText), accent);
    QCOMPARE(ui.TxtImmSill->palette().color(QPalette::Active, QPalette::Text), accent);
    QCOMPARE(ui.TxtImmTn->palette().color(QPalette::Active, QPalette::Text), accent);
    // Nothing else takes the colour.
    QCOMPARE(ui.LblFirma->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(ui.TxtSolSill->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::white));
    QCOMPARE(ui.TxtNote->palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(app.window->palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestMainWindow::themeFollowsOrder() {
    TestApp app;
    Fixture::writeGif(app.path("Grafica/Temi/Vista/Refresh.gif"), QColor(1, 2, 3));
    Fixture::writeGif(app.path("Grafica/Temi/Vista/Wizard.gif"), QColor(3, 2, 1));
    QVERIFY(app.load());
    Ui::FrmMain& ui = app.window->form();
    ui.MnuSeq->setChecked(true);
    ui.MnuRnd->setChecked(false);
    app.window->Theme = app.window->PercApp + "\\Grafica\\Temi\\Vista";
    app.window->ChngThm("&H007D00");
    QCOMPARE(iconColor(ui.CmdNewGraf), QColor(1, 2, 3));
    ui.MnuSeq->setChecked(false);
    app.window->ChngThm("&H007D00");
    QCOMPARE(iconColor(ui.CmdNewGraf), QColor(3, 2, 1));
    QCOMPARE(ui.Line3->color(), QColor(0, 125, 0));
}

void TestMainWindow::missingThemePictures() {
    TestApp app;
    Fixture::writeGif(app.path("Grafica/Temi/SquareRed/Trash.gif"), QColor(30, 0, 0));
    QVERIFY(app.load());
    const QColor before = iconColor(app.window->form().CmdCanc);
    QFile::remove(app.path("Grafica/Temi/SquareRed/Trash.gif"));
    QFile bad(app.path("Grafica/Temi/SquareRed/Match.gif"));
    QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("GIF89a broken");
    bad.close();
    app.window->ChngThm("&HFF");
    QCOMPARE(app.platform.boxes.size(), size_t(1));
    QCOMPARE(app.platform.boxes[0].text,
             QString("Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\Trash.gif\n"
                     "\\Grafica\\Temi\\SquareRed\\Match.gif"));
    QCOMPARE(app.platform.boxes[0].style, 16);
    QVERIFY(!app.platform.boxes[0].title);
    // The button keeps its picture and the other steps still ran.
    QCOMPARE(iconColor(app.window->form().CmdCanc), before);
    QCOMPARE(app.window->form().Line1->color(), QColor(255, 0, 0));
}

void TestMainWindow::shutdownClosesEveryWindow() {
    TestApp app;
    QVERIFY(app.load());
    app.window->show();
    app.window->form().MnuInfo->trigger();
    app.window->form().MnuSeq->trigger(); // opens the go-to dialog
    QPointer<FrmInfo> info = app.window->loadedFrmInfo();
    QPointer<FrmGoto> go = app.window->loadedFrmGoto();
    QVERIFY(info && info->isVisible());
    QVERIFY(go && go->isVisible());
    QTest::mouseClick(app.window->form().CmdExit, Qt::LeftButton);
    QVERIFY(!app.window->isVisible());
    QVERIFY(!info);
    QVERIFY(!go);
    QCOMPARE(app.platform.ends, 1);
    QVERIFY(app.platform.boxes.empty()); // never asks
}

void TestMainWindow::closeButtonEndsOnce() {
    TestApp app;
    QVERIFY(app.load());
    app.window->show();
    app.window->form().MnuInfo->trigger();
    QVERIFY(app.window->close());
    QVERIFY(!app.window->loadedFrmInfo());
    QCOMPARE(app.platform.ends, 1);
    app.window->form().MnuExit->trigger(); // a second request changes nothing
    QCOMPARE(app.platform.ends, 1);
}

void TestMainWindow::shortcutsWinOverTextBoxes() {
    TestApp app;
    QVERIFY(app.load());
    app.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
    app.window->form().MnuSeq->setChecked(true);
    app.window->form().MnuRnd->setChecked(false);
    QTest::keyClick(app.window.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(app.window->form().LblPos->text(), QString("N.  1/225"));
    QLineEdit* sill = app.window->form().TxtImmSill;
    sill->setFocus();
    QTest::keyClick(sill, Qt::Key_C, Qt::ControlModifier);
    // Ctrl+C cleared the window instead of copying.
    QVERIFY(app.window->form().LblPos->text().isEmpty());
    QVERIFY(!app.window->form().MnuCanc->isEnabled());
    QVERIFY(app.platform.boxes.empty());
}

void TestMainWindow::accessKeysOnlyWhileEnabled() {
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Ui::FrmMain& ui = w.form();
    // Disabled buttons do not answer to their keys.
    QTest::keyClick(&w, Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(ui.TxtSolSill->isHidden());
    QVERIFY(ui.MnuCanc->isEnabled());
    ui.MnuSeq->setChecked(true);
    ui.MnuRnd->setChecked(false);
    QTest::keyClick(&w, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(ui.LblPos->text(), QString("N.  1/225")); // a mnemonic animates the click
    QTest::keyClick(&w, Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(ui.TxtSolSill->isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(ui.TxtSolSill->isHidden());
    QVERIFY(!ui.CmdCanc->isEnabled());
    QVERIFY(app.platform.boxes.empty());
}

void TestMainWindow::tabOrder() {
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    const QStringList expected{"PctGrafema", "TxtImmSill", "TxtImmTn", "CmdNewGraf", "CmdMatch",
                               "CmdCanc",    "CmdExit",    "CmdSnd",   "CmdFlm",     "TxtNote",
                               "TxtSolSill", "TxtSolSign", "TxtSolTn"};
    QStringList chain;
    QWidget* widget = w.form().PctGrafema;
    do {
        if (expected.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != w.form().PctGrafema && chain.size() < 20);
    QCOMPARE(chain, expected);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
