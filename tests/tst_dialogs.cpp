// The go-to dialog and the about window, driven through the main window's
// menus like a learner would.
#include "dialogs/FrmGoto.h"
#include "dialogs/FrmInfo.h"
#include "fixture/TestApp.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString NumbersOnly = QStringLiteral("Il campo può contenere solo numeri!");
const QString OutOfRange = QStringLiteral("Valore fuori intervallo!");

QLineEdit* txtVai(FrmGoto* dialog) {
    return ctl<QLineEdit>(dialog, "TxtVai");
}

// Opens the dialog the way a learner does: "Sequenziale".
FrmGoto* openGoto(TestApp& app) {
    ctl<QAction>(app.window.get(), "MnuSeq")->trigger();
    return app.window->loadedFrmGoto();
}

// A real click moves the focus to the button; the dialog must hand it back.
void pressOk(FrmGoto* dialog) {
    auto* CmdVai = ctl<QPushButton>(dialog, "CmdVai");
    CmdVai->setFocus();
    QTest::mouseClick(CmdVai, Qt::LeftButton);
}

int openWindowsOf(const char* className) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->inherits(className) && widget->isVisible();
    return count;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void gotoRange_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("record"); // 0-based; -1 when refused
        QTest::newRow("225 at level 1") << 300 << 1 << "225" << 224;
        QTest::newRow("226 at level 1") << 300 << 1 << "226" << -1;
        QTest::newRow("454 at level 2") << 460 << 2 << "454" << 453;
        QTest::newRow("455 at level 2") << 460 << 2 << "455" << -1;
        QTest::newRow("last of a short table") << 30 << 1 << "30" << 29;
        QTest::newRow("past a short table") << 30 << 1 << "31" << -1;
        QTest::newRow("past a short table, level 2") << 30 << 2 << "31" << -1;
        QTest::newRow("empty") << 30 << 1 << "" << -1;
        QTest::newRow("0") << 30 << 1 << "0" << -1;
        QTest::newRow("007") << 30 << 1 << "007" << 6;
        QTest::newRow("spaces around 12") << 30 << 1 << " 12 " << 11;
    }
    void gotoRange() {
        QFETCH(int, rows);
        QFETCH(int, level);
        QFETCH(QString, typed);
        QFETCH(int, record);
        TestApp app(rows);
        QVERIFY(app.load());
        if (level == 2)
            ctl<QAction>(app.window.get(), "MnuLev2")->trigger();
        app.window->PosStart = "3";
        app.window->NumRec = 7;
        FrmGoto* dialog = openGoto(app);
        QTest::keyClicks(txtVai(dialog), typed);
        pressOk(dialog);
        if (record < 0) {
            QCOMPARE(app.platform.texts(), QStringList{OutOfRange});
            QCOMPARE(app.platform.boxes[0].style, 16);
            QCOMPARE(app.platform.boxes[0].title, std::nullopt); // the application's title
            QCOMPARE(app.window->NumRec, 0);
            QCOMPARE(app.window->PosStart, QString("3"));
            QVERIFY(dialog->isVisible());
            QCOMPARE(txtVai(dialog)->text(), QString());
            QCOMPARE(dialog->focusWidget(), txtVai(dialog));
            QCOMPARE(app.position(), QString());
        } else {
            QCOMPARE(app.platform.texts(), QStringList());
            QCOMPARE(app.window->PosStart, QString::number(record));
            QCOMPARE(app.position(),
                     QString("N.  %1/%2").arg(record + 1).arg(level == 1 ? 225 : 454));
            QCOMPARE(app.window->NumRec, record + 1); // table order goes on from there
            QVERIFY(!dialog->isVisible());
        }
    }

    // One message per refused key, although emptying the box runs the check
    // again; the box keeps at most three characters.
    void gotoRefusesNonDigits_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("left");
        QTest::newRow("digit then letter") << "1a" << 1 << "";
        QTest::newRow("minus sign") << "-5" << 1 << "5";
        QTest::newRow("decimal point") << "1.5" << 1 << "5";
        QTest::newRow("space between digits") << "1 2" << 1 << "";
        QTest::newRow("three letters") << "abc" << 3 << "";
        QTest::newRow("spaces around") << " 7 " << 0 << " 7 ";
        QTest::newRow("no fourth character") << "4567" << 0 << "456";
    }
    void gotoRefusesNonDigits() {
        QFETCH(QString, keys);
        QFETCH(int, messages);
        QFETCH(QString, left);
        TestApp app;
        QVERIFY(app.load());
        FrmGoto* dialog = openGoto(app);
        QTest::keyClicks(txtVai(dialog), keys);
        QCOMPARE(app.platform.texts(), QStringList(messages, NumbersOnly));
        for (const auto& box : app.platform.boxes) {
            QCOMPARE(box.title, std::optional<QString>("Errore!"));
            QCOMPARE(box.style, 16);
        }
        QCOMPARE(txtVai(dialog)->text(), left);
    }

    // After a message the learner types on in the box, even when closing the
    // message left another window active.
    void gotoTakesActivationBack() {
        TestApp app;
        QVERIFY(app.load());
        app.window->show();
        FrmGoto* dialog = openGoto(app);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        app.platform.onMsgBox = [&](const RecordingPlatform::MsgBoxCall&) {
            app.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        };
        QTest::keyClicks(txtVai(dialog), "x");
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
        pressOk(dialog);
        QCOMPARE(app.platform.texts(), (QStringList{NumbersOnly, OutOfRange}));
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
    }

    // Enter answers for "OK"; table order goes on from the number and wraps
    // back to it.
    void gotoStartsTableOrder() {
        TestApp app(230);
        QVERIFY(app.load());
        FrmGoto* dialog = openGoto(app);
        QCOMPARE(dialog->windowTitle().trimmed(), QString());
        QVERIFY(!dialog->isModal());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
        QTest::keyClicks(txtVai(dialog), "223");
        QTest::keyClick(txtVai(dialog), Qt::Key_Return);
        QCOMPARE(app.position(), QString("N.  223/225"));
        QTRY_VERIFY(!app.window->loadedFrmGoto());
        for (int shown : {224, 225, 223}) {
            app.newCharacter();
            QCOMPARE(app.position(), QString("N.  %1/225").arg(shown));
        }
        QVERIFY(app.platform.sleeps.empty());
        QCOMPARE(app.platform.texts(), QStringList());
    }

    // Escape closes it and changes nothing; it opens again with an empty box.
    void gotoClosedWithoutNumber() {
        TestApp app;
        QVERIFY(app.load());
        app.window->PosStart = "3";
        app.window->NumRec = 5;
        FrmGoto* dialog = openGoto(app);
        QTest::keyClicks(txtVai(dialog), "9");
        QTest::keyClick(txtVai(dialog), Qt::Key_Escape);
        QTRY_VERIFY(!app.window->loadedFrmGoto());
        QCOMPARE(app.window->PosStart, QString("3"));
        QCOMPARE(app.window->NumRec, 5);
        QCOMPARE(app.position(), QString());
        ctl<QAction>(app.window.get(), "MnuStart")->trigger();
        QCOMPARE(txtVai(app.window->loadedFrmGoto())->text(), QString());
    }

    // Left open in random order, a number still starts a random draw.
    void gotoInRandomOrder() {
        TestApp app(230);
        QVERIFY(app.load());
        FrmGoto* dialog = openGoto(app);
        app.platform.randoms = {0.0f, 0.5f};
        ctl<QAction>(app.window.get(), "MnuRnd")->trigger();
        QVERIFY(dialog->isVisible());
        QTest::keyClicks(txtVai(dialog), "5");
        pressOk(dialog);
        QCOMPARE(app.window->PosStart, QString("4"));
        QCOMPARE(app.position(), QString("N.  113/225")); // drawn: 0.5 × 225
        QCOMPARE(app.platform.sleeps.size(), size_t(26));
    }

    // Each dialog exists once, the main window stays usable meanwhile, and a
    // closed one comes back.
    void singleInstances() {
        TestApp app;
        QVERIFY(app.load());
        FrmGoto* dialog = openGoto(app);
        QTest::keyClicks(txtVai(dialog), "12");
        ctl<QAction>(app.window.get(), "MnuStart")->trigger();
        ctl<QAction>(app.window.get(), "MnuSeq")->trigger();
        QCOMPARE(app.window->loadedFrmGoto(), dialog);
        QCOMPARE(txtVai(dialog)->text(), QString("12"));
        ctl<QAction>(app.window.get(), "MnuInfo")->trigger();
        FrmInfo* about = app.window->loadedFrmInfo();
        ctl<QAction>(app.window.get(), "MnuInfo")->trigger();
        QCOMPARE(app.window->loadedFrmInfo(), about);
        QCOMPARE(openWindowsOf("FrmGoto") + openWindowsOf("FrmInfo"), 2);
        app.newCharacter();
        QCOMPARE(app.position(), QString("N.  1/225"));
        about->close();
        QTRY_VERIFY(!app.window->loadedFrmInfo());
        ctl<QAction>(app.window.get(), "MnuInfo")->trigger();
        QCOMPARE(openWindowsOf("FrmInfo"), 1);
    }

    void aboutContent() {
        TestApp app;
        QVERIFY(app.load());
        ctl<QAction>(app.window.get(), "MnuInfo")->trigger();
        FrmInfo* about = app.window->loadedFrmInfo();
        QCOMPARE(about->windowTitle(), QString("Info"));
        QCOMPARE(FrmInfo::titleText(), QString("Tavorin 4.2\r\n2009\r\n"));
        QCOMPARE(ctl<QPlainTextEdit>(about, "TxtTitle")->toPlainText(),
                 QString("Tavorin 4.2\n2009\n"));
        const QStringList credits = FrmInfo::creditsText().split("\r\n");
        QCOMPARE(credits.size(), 18);
        QCOMPARE(credits[0], QString("CREDITS"));
        QVERIFY(credits[7].endsWith("2007-2008 che "));
        QVERIFY(credits[15].endsWith("scrivere a "));
        for (int empty : {4, 6, 9, 11, 14, 17})
            QVERIFY2(credits[empty].isEmpty(), qPrintable(QString::number(empty + 1)));
        QCOMPARE(ctl<QPlainTextEdit>(about, "TxtCredits")->toPlainText().split(u'\n'), credits);
        QCOMPARE(ctl<QLabel>(about, "Label1")->text(),
                 QString("Software sviluppato da Progetto Tavorin "));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
