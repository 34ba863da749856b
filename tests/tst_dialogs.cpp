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

// A control by its name; the names are the program's control names.
template <class T = QWidget> T* ctl(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
QAction* menu(TestApp& app, const char* name) {
    return ctl<QAction>(app.window.get(), name);
}
QLabel* lblPos(TestApp& app) {
    return ctl<QLabel>(app.window.get(), "LblPos");
}
QLineEdit* txtVai(FrmGoto* dialog) {
    return ctl<QLineEdit>(dialog, "TxtVai");
}
QPushButton* cmdVai(FrmGoto* dialog) {
    return ctl<QPushButton>(dialog, "CmdVai");
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
    cmdVai(dialog)->setFocus();
    QTest::mouseClick(cmdVai(dialog), Qt::LeftButton);
}

int openWindowsOf(const char* className) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->inherits(className) && widget->isVisible();
    return count;
}

QString positionLabel(int oneBased, int upper) {
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
    void gotoStartsTableOrder();
    void gotoEnterPressesOk();
    void gotoClosedWithoutNumber();
    void gotoInRandomOrder();
    void gotoSingleInstance();
    void gotoLayout();
    void gotoTakesActivationBack();
    void layout_data();
    void layout();
    void aboutContent();
    void aboutFocus();
    void aboutSingleInstance();
    void aboutIsReadOnly();
    void shutdownClosesBoth();
};

void TestDialogs::gotoRange_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("position"); // 0-based; -1 when refused

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
    QFETCH(int, position);

    TestApp app(rows);
    QVERIFY(app.load());
    if (level == 2)
        menu(app, "MnuLev2")->trigger();
    const int upper = level == 1 ? 225 : 454;
    app.window->PosStart = QStringLiteral("3");
    app.window->NumRec = 7;

    FrmGoto* dialog = openGoto(app);
    QVERIFY(dialog);
    QTest::keyClicks(txtVai(dialog), typed);
    pressOk(dialog);

    if (position < 0) {
        QCOMPARE(app.platform.texts(), QStringList{OutOfRange});
        QCOMPARE(app.platform.boxes[0].style, 16);
        QCOMPARE(app.platform.boxes[0].title, std::nullopt); // the application's title
        QCOMPARE(app.window->NumRec, 0);
        QCOMPARE(app.window->PosStart, QStringLiteral("3"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(txtVai(dialog)->text(), QString());
        QCOMPARE(dialog->focusWidget(), txtVai(dialog));
        QCOMPARE(lblPos(app)->text(), QString());
    } else {
        QCOMPARE(app.platform.texts(), QStringList());
        QCOMPARE(app.window->PosStart, QString::number(position));
        QCOMPARE(lblPos(app)->text(), positionLabel(position + 1, upper));
        QCOMPARE(app.window->NumRec, position + 1); // table order goes on from there
        QVERIFY(ctl<QToolButton>(app.window.get(), "CmdMatch")->isEnabled());
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

    QCOMPARE(int(app.platform.boxes.size()), messages);
    for (const auto& box : app.platform.boxes) {
        QCOMPARE(box.text, NumbersOnly);
        QCOMPARE(box.title, std::optional<QString>(QStringLiteral("Errore!")));
        QCOMPARE(box.style, 16);
    }
    QCOMPARE(txtVai(dialog)->text(), left);
    if (messages > 0)
        QCOMPARE(dialog->focusWidget(), txtVai(dialog));
    QVERIFY(dialog->isVisible());
}

void TestDialogs::gotoStartsTableOrder() {
    TestApp app(230);
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), QStringLiteral("223"));
    pressOk(dialog);
    QCOMPARE(lblPos(app)->text(), positionLabel(223, 225));
    QCOMPARE(app.window->percGrafema(),
             app.window->PercApp + QStringLiteral("\\Grafemi\\g223.jpg"));

    const int expected[] = {224, 225, 223, 224};
    for (int shown : expected) {
        ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
        QCOMPARE(lblPos(app)->text(), positionLabel(shown, 225));
    }
    QVERIFY(app.platform.sleeps.empty()); // no animation in table order
    QCOMPARE(app.platform.texts(), QStringList());
}

void TestDialogs::gotoEnterPressesOk() {
    TestApp app;
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QTest::keyClicks(txtVai(dialog), QStringLiteral("3"));
    QTest::keyClick(txtVai(dialog), Qt::Key_Return);
    QCOMPARE(app.window->PosStart, QStringLiteral("2"));
    QCOMPARE(lblPos(app)->text(), positionLabel(3, 225));
    QVERIFY(!dialog->isVisible());
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
    QCOMPARE(lblPos(app)->text(), QString());

    // The next opening starts with an empty box.
    menu(app, "MnuStart")->trigger();
    dialog = app.window->loadedFrmGoto();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(txtVai(dialog)->text(), QString());
}

void TestDialogs::gotoInRandomOrder() {
    TestApp app(230);
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    app.platform.randoms = {0.0f};
    menu(app, "MnuRnd")->trigger();
    QCOMPARE(lblPos(app)->text(), positionLabel(1, 225));
    QVERIFY(dialog->isVisible());

    // The draw comes after the animation; NumRec as the dialog left it is
    // seen at the animation's first frame.
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
    QCOMPARE(lblPos(app)->text(), positionLabel(113, 225)); // drawn: 0.5 × 225
    QVERIFY(!dialog->isVisible());
}

void TestDialogs::gotoSingleInstance() {
    TestApp app;
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(!dialog->parentWidget());
    QTest::keyClicks(txtVai(dialog), QStringLiteral("12"));

    menu(app, "MnuStart")->trigger();
    menu(app, "MnuSeq")->trigger();
    QCOMPARE(app.window->loadedFrmGoto(), dialog);
    QCOMPARE(openWindowsOf("FrmGoto"), 1);
    QCOMPARE(txtVai(dialog)->text(), QStringLiteral("12"));

    // The main window stays usable meanwhile.
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    QCOMPARE(lblPos(app)->text(), positionLabel(1, 225));
}

void TestDialogs::gotoLayout() {
    TestApp app;
    QVERIFY(app.load());
    FrmGoto* dialog = openGoto(app);
    auto* LblFrmVai = ctl<QLabel>(dialog, "LblFrmVai");
    QLineEdit* TxtVai = txtVai(dialog);
    QPushButton* CmdVai = cmdVai(dialog);
    QCOMPARE(dialog->windowTitle().trimmed(), QString());
    QCOMPARE(dialog->size(), QSize(194, 46));
    QCOMPARE(LblFrmVai->text(), QStringLiteral("Carattere N°"));
    QCOMPARE(CmdVai->text(), QStringLiteral("OK"));
    QCOMPARE(TxtVai->maxLength(), 3);
    QVERIFY(CmdVai->isDefault());
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), TxtVai);
    QCOMPARE(TxtVai->nextInFocusChain(), CmdVai);
    // The caption must fit its label.
    QVERIFY(LblFrmVai->sizeHint().width() <= LblFrmVai->width() + 2);
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

void TestDialogs::layout_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips"); // left, top, width, height
    QTest::addColumn<int>("points");  // 0: the toolkit's default font
    QTest::addColumn<bool>("bold");

    // Fractional sizes as the toolkit takes them: 8.25 -> 8, 6.75 -> 7.
    QTest::newRow("LblFrmVai") << "FrmGoto"
                               << "LblFrmVai" << QRect(300, 210, 900, 195) << 8 << false;
    QTest::newRow("TxtVai") << "FrmGoto"
                            << "TxtVai" << QRect(1250, 165, 350, 285) << 8 << false;
    QTest::newRow("CmdVai") << "FrmGoto"
                            << "CmdVai" << QRect(1800, 120, 855, 375) << 0 << false;
    QTest::newRow("TxtTitle") << "FrmInfo"
                              << "TxtTitle" << QRect(2230, 100, 2000, 400) << 8 << true;
    QTest::newRow("Picture1") << "FrmInfo"
                              << "Picture1" << QRect(3000, 618, 495, 495) << 0 << false;
    QTest::newRow("Label1") << "FrmInfo"
                            << "Label1" << QRect(1845, 1231, 2805, 195) << 7 << true;
    QTest::newRow("Label6") << "FrmInfo"
                            << "Label6" << QRect(1440, 1544, 3615, 375) << 7 << true;
    QTest::newRow("TxtCredits") << "FrmInfo"
                                << "TxtCredits" << QRect(270, 2040, 5895, 3200) << 7 << true;
}

void TestDialogs::layout() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(int, points);
    QFETCH(bool, bold);

    TestApp app;
    QVERIFY(app.load());
    QWidget* form = nullptr;
    if (window == u"FrmGoto") {
        form = openGoto(app);
    } else {
        menu(app, "MnuInfo")->trigger();
        form = app.window->loadedFrmInfo();
    }
    QWidget* widget = ctl(form, qPrintable(control));
    // 15 twips to the pixel; a pixel of rounding either way.
    const QRect expected(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0),
                         qRound(twips.width() / 15.0), qRound(twips.height() / 15.0));
    const QRect actual = widget->geometry();
    QVERIFY2(qAbs(actual.x() - expected.x()) <= 1 && qAbs(actual.y() - expected.y()) <= 1 &&
                 qAbs(actual.width() - expected.width()) <= 1 &&
                 qAbs(actual.height() - expected.height()) <= 1,
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(actual.x())
                            .arg(actual.y())
                            .arg(actual.width())
                            .arg(actual.height())));
    if (points > 0) {
        QCOMPARE(widget->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(widget->font().pointSize(), points);
    }
    QCOMPARE(widget->font().bold(), bold);
}

void TestDialogs::aboutContent() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    QVERIFY(about && about->isVisible());
    auto* TxtTitle = ctl<QPlainTextEdit>(about, "TxtTitle");
    auto* TxtCredits = ctl<QPlainTextEdit>(about, "TxtCredits");
    auto* Label1 = ctl<QLabel>(about, "Label1");
    auto* Label6 = ctl<QLabel>(about, "Label6");
    auto* Picture1 = ctl<QLabel>(about, "Picture1");

    QCOMPARE(about->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(about->size(), QSize(429, 358));
    QCOMPARE(FrmInfo::titleText(), QStringLiteral("Tavorin 4.2\r\n2009\r\n"));
    QCOMPARE(TxtTitle->toPlainText(), QStringLiteral("Tavorin 4.2\n2009\n"));
    QVERIFY(TxtTitle->font().bold());

    const QStringList credits = FrmInfo::creditsText().split(QStringLiteral("\r\n"));
    QCOMPARE(credits.size(), 18);
    QCOMPARE(credits[0], QStringLiteral("CREDITS"));
    QCOMPARE(credits[2], QStringLiteral("\"AR PL UKai\" e \"Make Me a Hanzi\""));
    QCOMPARE(credits[7], QStringLiteral("Si ringraziano gli allievi del corso di cinese elementare "
                                        "A.A. 2007-2008 che "));
    QCOMPARE(credits[15],
             QStringLiteral("Per bugs e suggerimenti relativi al programma scrivere a "));
    for (int empty : {4, 6, 9, 11, 14, 17})
        QVERIFY2(credits[empty].isEmpty(), qPrintable(QString::number(empty + 1)));
    QCOMPARE(TxtCredits->toPlainText().split(u'\n'), credits);

    QCOMPARE(Label1->text(), QStringLiteral("Software sviluppato da Progetto Tavorin "));
    QVERIFY(Label6->wordWrap());
    const QPalette creditsColours = TxtCredits->palette();
    QCOMPARE(creditsColours.color(QPalette::Text), QColor(Qt::white));
    QCOMPARE(creditsColours.color(QPalette::Base), QColor(64, 64, 64));

    // Centred on the window's vertical axis, within a pixel of rounding.
    for (QWidget* centred : std::initializer_list<QWidget*>{TxtTitle, Picture1, Label1, Label6})
        QVERIFY2(qAbs(centred->geometry().center().x() * 2 - about->width()) <= 3,
                 qPrintable(centred->objectName()));
}

void TestDialogs::aboutFocus() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    QVERIFY(QTest::qWaitForWindowActive(about));
    // Tab order: the credits first, then the title; the labels and the
    // icon take no focus.
    auto* TxtCredits = ctl<QPlainTextEdit>(about, "TxtCredits");
    auto* TxtTitle = ctl<QPlainTextEdit>(about, "TxtTitle");
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
    QVERIFY(!about->parentWidget());

    // The main window stays usable.
    ctl<QToolButton>(app.window.get(), "CmdNewGraf")->click();
    QVERIFY(!lblPos(app)->text().isEmpty());
    QVERIFY(about->isVisible());

    // Closed with its own button, it comes back fresh.
    about->close();
    QTRY_VERIFY(!app.window->loadedFrmInfo());
    menu(app, "MnuInfo")->trigger();
    QVERIFY(app.window->loadedFrmInfo() && app.window->loadedFrmInfo()->isVisible());
    QCOMPARE(openWindowsOf("FrmInfo"), 1);
}

void TestDialogs::aboutIsReadOnly() {
    TestApp app;
    QVERIFY(app.load());
    menu(app, "MnuInfo")->trigger();
    FrmInfo* about = app.window->loadedFrmInfo();
    QApplication::clipboard()->setText(QStringLiteral("incollato"));
    for (QPlainTextEdit* box :
         {ctl<QPlainTextEdit>(about, "TxtTitle"), ctl<QPlainTextEdit>(about, "TxtCredits")}) {
        const QString before = box->toPlainText();
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("abc"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), before);
    }
}

void TestDialogs::shutdownClosesBoth() {
    TestApp app;
    QVERIFY(app.load());
    openGoto(app);
    menu(app, "MnuInfo")->trigger();
    QCOMPARE(openWindowsOf("FrmGoto") + openWindowsOf("FrmInfo"), 2);
    menu(app, "MnuExit")->trigger();
    QCOMPARE(openWindowsOf("FrmGoto") + openWindowsOf("FrmInfo"), 0);
    QVERIFY(!app.window->loadedFrmGoto());
    QVERIFY(!app.window->loadedFrmInfo());
    QCOMPARE(app.platform.ends, 1);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
