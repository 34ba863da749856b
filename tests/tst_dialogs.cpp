// The go-to dialog and the about window, driven through the main window's
// menus like a learner would.
#include "dialogs/FrmGoto.h"
#include "dialogs/FrmInfo.h"
#include "fixture/TestApp.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

QLineEdit* txtVai(FrmGoto* dialog) {
    return ctl<QLineEdit>(dialog, "TxtVai");
}

const QString NumbersOnly = QStringLiteral("Il campo può contenere solo numeri!");
const QString OutOfRange = QStringLiteral("Valore fuori intervallo!");

// Opens the dialog the way a learner does: "Sequenziale".
FrmGoto* openGoto(TestApp& app) {
    menu(app, "MnuSeq")->trigger();
    return app.window->loadedFrmGoto();
}

void pressOk(FrmGoto* dialog) {
    // A real click moves the focus to the button; the handler must hand it
    // back to the box.
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

QString label(int oneBased, int upper) {
    return QStringLiteral("N.  %1/%2").arg(oneBased).arg(upper);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void gotoRange_data();
    void gotoRange();
    void gotoRefusesNonDigits_data();
    void gotoRefusesNonDigits();
    void gotoTakesActivationBack();
    void gotoStartsTableOrder();
    void gotoClosedWithoutNumber();
    void gotoInRandomOrder();
    void gotoSingleInstance();
    void aboutContent();
    void aboutSingleInstance();
    void aboutIsReadOnly();
};

void TestDialogs::gotoRange_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("record"); // 0-based; -1 when refused

    QTest::newRow("1 at level 1") << 300 << 1 << "1" << 0;
    QTest::newRow("225 at level 1") << 300 << 1 << "225" << 224;
    QTest::newRow("226 at level 1") << 300 << 1 << "226" << -1;
    QTest::newRow("454 at level 2") << 460 << 2 << "454" << 453;
    QTest::newRow("455 at level 2") << 460 << 2 << "455" << -1;
    QTest::newRow("last of a short table") << 30 << 1 << "30" << 29;
    QTest::newRow("past a short table") << 30 << 1 << "31" << -1;
    QTest::newRow("past a short table, level 2") << 30 << 2 << "31" << -1;
    QTest::newRow("empty") << 30 << 1 << "" << -1;
    QTest::newRow("0") << 30 << 1 << "0" << -1;
    QTest::newRow("000") << 30 << 1 << "000" << -1;
    QTest::newRow("007") << 30 << 1 << "007" << 6;
    QTest::newRow("spaces around 12") << 30 << 1 << " 12 " << 11;
    QTest::newRow("trailing space") << 30 << 1 << "5 " << 4;
}

void TestDialogs::gotoRange() {
    QFETCH(int, rows);
    QFETCH(int, level);
    QFETCH(QString, typed);
    QFETCH(int, record);

    TestApp app(rows);
    QVERIFY(app.load());
    if (level == 2)
        menu(app, "MnuLev2")->trigger();
    app.window->PosStart = QStringLiteral("3");
    app.window->NumRec = 7;
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), typed);
    pressOk(dialog);

    if (record < 0) {
        QCOMPARE(app.platform.texts(), QStringList{OutOfRange});
        QCOMPARE(app.platform.boxes[0].style, 16);
        QCOMPARE(app.platform.boxes[0].title, std::nullopt); // the application's title
        QCOMPARE(app.window->NumRec, 0);
        QCOMPARE(app.window->PosStart, QStringLiteral("3"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(txtVai(dialog)->text(), QString());
        QCOMPARE(dialog->focusWidget(), txtVai(dialog));
        QCOMPARE(position(app), QString());
    } else {
        QCOMPARE(app.platform.texts(), QStringList());
        QCOMPARE(app.window->PosStart, QString::number(record));
        QCOMPARE(position(app), label(record + 1, level == 1 ? 225 : 454));
        QCOMPARE(app.window->NumRec, record + 1); // table order goes on from there
        QVERIFY(!dialog->isVisible());
        QTRY_VERIFY(!app.window->loadedFrmGoto());
    }
}

void TestDialogs::gotoRefusesNonDigits_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("left");

    QTest::newRow("letter") << "a" << 1 << "";
    QTest::newRow("digit then letter") << "1a" << 1 << "";
    QTest::newRow("minus sign") << "-5" << 1 << "5";
    QTest::newRow("plus sign") << "+" << 1 << "";
    QTest::newRow("decimal point") << "1.5" << 1 << "5";
    QTest::newRow("space between digits") << "1 2" << 1 << "";
    QTest::newRow("three letters") << "abc" << 3 << "";
    QTest::newRow("digits") << "123" << 0 << "123";
    QTest::newRow("spaces around") << " 7 " << 0 << " 7 ";
    QTest::newRow("no fourth character") << "4567" << 0 << "456";
}

void TestDialogs::gotoRefusesNonDigits() {
    QFETCH(QString, keys);
    QFETCH(int, messages);
    QFETCH(QString, left);

    TestApp app;
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), keys);

    // One message per refused key, although emptying the box runs the
    // check again.
    QCOMPARE(int(app.platform.boxes.size()), messages);
    for (const auto& box : app.platform.boxes) {
        QCOMPARE(box.text, NumbersOnly);
        QCOMPARE(box.title, std::optional<QString>(QStringLiteral("Errore!")));
        QCOMPARE(box.style, 16);
    }
    QCOMPARE(txtVai(dialog)->text(), left);
    if (messages > 0)
        QCOMPARE(dialog->focusWidget(), txtVai(dialog));
}

void TestDialogs::gotoTakesActivationBack() {
    // After a message the learner types on in the box, even when closing
    // the message left another window active.
    TestApp app;
    QVERIFY(app.load());
    app.window->show();
    FrmGoto* dialog = openGoto(app);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    app.platform.onMsgBox = [&](const RecordingPlatform::MsgBoxCall&) {
        app.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
    };
    QTest::keyClicks(txtVai(dialog), QStringLiteral("x"));
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
    QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
    pressOk(dialog);
    QCOMPARE(app.platform.texts(), (QStringList{NumbersOnly, OutOfRange}));
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
    QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
}

void TestDialogs::gotoStartsTableOrder() {
    TestApp app(230);
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QCOMPARE(dialog->size(), QSize(194, 46));
    QCOMPARE(dialog->windowTitle().trimmed(), QString());
    QVERIFY(!dialog->isModal());
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), txtVai(dialog));
    // Enter answers for "OK".
    QTest::keyClicks(txtVai(dialog), QStringLiteral("223"));
    QTest::keyClick(txtVai(dialog), Qt::Key_Return);
    QCOMPARE(position(app), label(223, 225));
    QCOMPARE(app.window->percGrafema(),
             app.window->PercApp + QStringLiteral("\\Grafemi\\g223.jpg"));

    for (int shown : {224, 225, 223, 224}) {
        ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
        QCOMPARE(position(app), label(shown, 225));
    }
    QVERIFY(app.platform.sleeps.empty()); // no animation in table order
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestDialogs::gotoClosedWithoutNumber() {
    TestApp app;
    QVERIFY(app.load());
    app.window->PosStart = QStringLiteral("3");
    app.window->NumRec = 5;
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), QStringLiteral("9"));
    QTest::keyClick(txtVai(dialog), Qt::Key_Escape);
    QTRY_VERIFY(!app.window->loadedFrmGoto());
    QCOMPARE(app.window->PosStart, QStringLiteral("3"));
    QCOMPARE(app.window->NumRec, 5);
    QCOMPARE(position(app), QString());

    // The next opening starts with an empty box.
    menu(app, "MnuStart")->trigger();
    QCOMPARE(txtVai(app.window->loadedFrmGoto())->text(), QString());
}

void TestDialogs::gotoInRandomOrder() {
    TestApp app(230);
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    app.platform.randoms = {0.0f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(position(app), label(1, 225));
    QVERIFY(dialog->isVisible());

    // The draw comes after the animation: NumRec as the dialog left it is
    // seen at the first frame.
    std::optional<int> numRecAtAnimation;
    app.platform.onSleep = [&](int) {
        if (!numRecAtAnimation)
            numRecAtAnimation = app.window->NumRec;
    };
    app.platform.randoms = {0.5f};
    QTest::keyClicks(txtVai(dialog), QStringLiteral("5"));
    pressOk(dialog);
    QCOMPARE(app.window->PosStart, QStringLiteral("4"));
    QCOMPARE(numRecAtAnimation, std::optional<int>(4));
    QCOMPARE(position(app), label(113, 225)); // drawn: 0.5 × 225
    QVERIFY(!dialog->isVisible());
}

void TestDialogs::gotoSingleInstance() {
    TestApp app;
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), QStringLiteral("12"));
    menu(app, "MnuStart")->trigger();
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(app.window->loadedFrmGoto(), dialog);
    QCOMPARE(openWindowsOf("FrmGoto"), 1);
    QCOMPARE(txtVai(dialog)->text(), QStringLiteral("12"));

    // The main window stays usable meanwhile.
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    QCOMPARE(position(app), label(1, 225));
}

void TestDialogs::aboutContent() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    auto* TxtTitle = ctl<QPlainTextEdit>(about, "TxtTitle");
    auto* TxtCredits = ctl<QPlainTextEdit>(about, "TxtCredits");

    QCOMPARE(about->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(about->size(), QSize(429, 358));
    QCOMPARE(FrmInfo::titleText(), QStringLiteral("Tavorin 4.2\r\n2009\r\n"));
    QCOMPARE(TxtTitle->toPlainText(), QStringLiteral("Tavorin 4.2\n2009\n"));
    QVERIFY(TxtTitle->font().bold());

    const QStringList credits = FrmInfo::creditsText().split(QStringLiteral("\r\n"));
    QCOMPARE(credits.size(), 18);
    QCOMPARE(credits[0], QStringLiteral("CREDITS"));
    QVERIFY(credits[7].endsWith(QStringLiteral("2007-2008 che ")));
    QVERIFY(credits[15].endsWith(QStringLiteral("scrivere a ")));
    for (int empty : {4, 6, 9, 11, 14, 17})
        QVERIFY2(credits[empty].isEmpty(), qPrintable(QString::number(empty + 1)));
    QCOMPARE(TxtCredits->toPlainText().split(u'\n'), credits);
    QCOMPARE(TxtCredits->palette().color(QPalette::Text), QColor(Qt::white));
    QCOMPARE(TxtCredits->palette().color(QPalette::Base), QColor(64, 64, 64));
    QCOMPARE(ctl<QLabel>(about, "Label1")->text(),
             QStringLiteral("Software sviluppato da Progetto Tavorin "));

    // Centred on the window's vertical axis, within rounding.
    for (const char* name : {"TxtTitle", "Picture1", "Label1", "Label6"})
        QVERIFY2(qAbs(ctl(about, name)->geometry().center().x() * 2 - about->width()) <= 3, name);

    // Tab order: the credits, then the title; labels and icon take no focus.
    QVERIFY(QTest::qWaitForWindowActive(about));
    QCOMPARE(QApplication::focusWidget(), TxtCredits);
    QTest::keyClick(TxtCredits, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), TxtTitle);
    QTest::keyClick(TxtTitle, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), TxtCredits);
}

void TestDialogs::aboutSingleInstance() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    menu(app, "MnuInfo")->trigger();
    QCOMPARE(app.window->loadedFrmInfo(), about);
    QCOMPARE(openWindowsOf("FrmInfo"), 1);

    // The main window stays usable.
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    QVERIFY(!position(app).isEmpty());
    QVERIFY(about->isVisible());

    // Closed with its own button, it comes back.
    about->close();
    QTRY_VERIFY(!app.window->loadedFrmInfo());
    menu(app, "MnuInfo")->trigger();
    QCOMPARE(openWindowsOf("FrmInfo"), 1);
}

void TestDialogs::aboutIsReadOnly() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    QApplication::clipboard()->setText(QStringLiteral("incollato"));
    for (const char* name : {"TxtTitle", "TxtCredits"}) {
        auto* box = ctl<QPlainTextEdit>(about, name);
        const QString before = box->toPlainText();
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("abc"));
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return})
            QTest::keyClick(box, key);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), before);
    }
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
