// One quiz question from start to verdict: showing a character, the new
// character in both orders, the answer check, the tone check, clearing, the
// dragon animation and the poster.
#include "fixture/TestApp.h"
#include "quiz/AnswerCheck.h"
#include "ui_FrmMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

void useTableOrder(FrmMain& w) {
    w.form().MnuSeq->setChecked(true);
    w.form().MnuRnd->setChecked(false);
}

void newCharacter(FrmMain& w) {
    QTest::mouseClick(w.form().CmdNewGraf, Qt::LeftButton);
}

QString label(FrmMain& w) {
    return w.form().LblPos->text();
}

QColor background(QWidget* box) {
    return box->palette().color(QPalette::Active, QPalette::Base);
}

// Paint events of a widget, with the colour at its centre as painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel* target) : m_target(target) { target->installEventFilter(this); }
    QList<QColor> colours;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_target && event->type() == QEvent::Paint)
            colours << m_target->pixmap().toImage().pixelColor(42, 42);
        return false;
    }

private:
    QLabel* m_target;
};

} // namespace

class TestQuiz : public QObject {
    Q_OBJECT

private slots:
    void positionLabel_data();
    void positionLabel();
    void randomDrawsStayInLevel_data();
    void randomDrawsStayInLevel();
    void newCharacterOpensTheQuestion();
    void tableOrderWrapsToStart_data();
    void tableOrderWrapsToStart();
    void levelChangeInTableOrder();
    void shortTableLevelTwo();
    void answerVerdicts_data();
    void answerVerdicts();
    void checkBeforeFirstCharacterDoesNothing();
    void toneCheck_data();
    void toneCheck();
    void toneKeystrokesOverPlaceholder();
    void clearAll();
    void errorPaths_data();
    void errorPaths();
    void brokenRecordDoesNotStopTableOrder();
    void rowWithoutMeaningIsShown();
    void missingDragonPicture();
    void poster();
    void animationPaintsFramesInTime();
};

void TestQuiz::positionLabel_data() {
    QTest::addColumn<bool>("levelTwo");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << false << 0 << "N.  1/225";
    QTest::newRow("last of level 1") << false << 224 << "N.  225/225";
    QTest::newRow("level 2") << true << 300 << "N.  301/454";
    QTest::newRow("last of level 2") << true << 453 << "N.  454/454";
}

void TestQuiz::positionLabel() {
    QFETCH(bool, levelTwo);
    QFETCH(int, record);
    QFETCH(QString, text);
    TestApp app(460);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    if (levelTwo)
        w.form().MnuLev2->trigger();
    w.NumRec = record;
    newCharacter(w);
    QCOMPARE(label(w), text);
    QCOMPARE(w.NumRec, record + 1);
    QCOMPARE(w.percGrafema(),
             app.dir.path() + QString("\\Grafemi\\g%1.jpg").arg(record + 1, 3, 10, QChar('0')));
    QCOMPARE(w.percSuono(),
             app.dir.path() + QString("\\Suoni\\s%1.MP3").arg(record + 1, 3, 10, QChar('0')));
    QCOMPARE(w.percFilmato(),
             app.dir.path() + QString("\\Filmati\\f%1.wmv").arg(record + 1, 3, 10, QChar('0')));
    QCOMPARE(w.signRec(), QString("significato %1").arg(record + 1));
    QVERIFY(app.platform.boxes.empty());
}

void TestQuiz::randomDrawsStayInLevel_data() {
    QTest::addColumn<bool>("levelTwo");
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("record");
    const float highest = 1.0f - 1.0f / 16777216.0f;
    QTest::newRow("zero") << false << 0.0f << 0;
    QTest::newRow("highest, level 1") << false << highest << 224;
    QTest::newRow("highest, level 2") << true << highest << 453;
    QTest::newRow("half") << false << 0.5f << 112;
}

void TestQuiz::randomDrawsStayInLevel() {
    QFETCH(bool, levelTwo);
    QFETCH(float, r);
    QFETCH(int, record);
    TestApp app(460);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    if (levelTwo)
        w.form().MnuLev2->trigger();
    app.platform.randoms = {r};
    newCharacter(w);
    QCOMPARE(w.NumRec, record);
    QCOMPARE(w.DataDBCaratteri().absolutePosition(), record);
    // Unscripted draws from the real generator never leave the level.
    for (int i = 0; i < 50; ++i) {
        newCharacter(w);
        QVERIFY(w.NumRec >= 0 && w.NumRec < w.UpperRec);
    }
    QCOMPARE(app.platform.sleeps.size(), size_t(13 * 51)); // an animation each time
    QVERIFY(app.platform.boxes.empty());
}

void TestQuiz::newCharacterOpensTheQuestion() {
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    Ui::FrmMain& ui = w.form();
    ui.MnuNew->trigger();
    for (QWidget* control : std::initializer_list<QWidget*>{ui.CmdSnd, ui.CmdFlm, ui.CmdMatch,
                                                            ui.CmdCanc, ui.TxtImmSill, ui.TxtImmTn})
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(ui.MnuSlv->isEnabled());
    QVERIFY(ui.MnuCanc->isEnabled());
    QVERIFY(ui.RiqGrafema->isVisible());
    QVERIFY(ui.PctGrafema->frameShape() != QFrame::NoFrame);
    QCOMPARE(ui.PctGrafema->pixmap().size(), QSize(84, 84));
    QVERIFY(!ui.TxtSolSill->isVisible());
    QCOMPARE(ui.TxtImmSill->text(), QString("(Sillaba)"));
    QCOMPARE(ui.TxtImmTn->currentText(), QString("(Tono)"));
}

void TestQuiz::tableOrderWrapsToStart_data() {
    QTest::addColumn<QString>("posStart");
    QTest::addColumn<int>("wrapsTo");
    QTest::newRow("no start chosen") << "" << 0;
    QTest::newRow("start 9") << "9" << 9;
    QTest::newRow("start past the level") << "300" << 0;
}

void TestQuiz::tableOrderWrapsToStart() {
    QFETCH(QString, posStart);
    QFETCH(int, wrapsTo);
    TestApp app(230);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    w.PosStart = posStart;
    for (int n = 1; n <= 225; ++n) {
        newCharacter(w);
        QCOMPARE(label(w), QString("N.  %1/225").arg(n));
    }
    newCharacter(w);
    QCOMPARE(w.DataDBCaratteri().absolutePosition(), wrapsTo);
    QCOMPARE(w.NumRec, wrapsTo + 1);
    QVERIFY(app.platform.boxes.empty());
    QVERIFY(app.platform.sleeps.empty()); // no animation in table order
}

void TestQuiz::levelChangeInTableOrder() {
    TestApp app(460);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    w.form().MnuLev2->trigger();
    w.PosStart = "7";
    w.NumRec = 300;
    newCharacter(w);
    QCOMPARE(label(w), QString("N.  301/454"));
    w.form().MnuLev1->trigger();
    QCOMPARE(label(w), QString("N.  301/454")); // unchanged until the next character
    newCharacter(w);
    QCOMPARE(label(w), QString("N.  8/225"));
}

void TestQuiz::shortTableLevelTwo() {
    TestApp app(30);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.form().MnuLev2->trigger();
    app.platform.randoms = {0.999f};
    newCharacter(w);
    QCOMPARE(w.NumRec, 29);
    QCOMPARE(label(w), QString("N.  30/454"));
    useTableOrder(w);
    w.NumRec = 29;
    newCharacter(w);
    newCharacter(w);
    QCOMPARE(label(w), QString("N.  1/454"));
    QVERIFY(app.platform.boxes.empty());
}

void TestQuiz::answerVerdicts_data() {
    QTest::addColumn<QString>("syllable");
    QTest::addColumn<QString>("tone");
    QTest::addColumn<QString>("typedSyllable");
    QTest::addColumn<QString>("typedTone");
    QTest::addColumn<bool>("syllableRight");
    QTest::addColumn<bool>("toneRight");

    QTest::newRow("exact") << "ma"
                           << "3"
                           << "ma"
                           << "3" << true << true;
    QTest::newRow("capitals and spaces") << "ma"
                                         << "3"
                                         << "  Ma "
                                         << " 3 " << true << true;
    QTest::newRow("inner space") << "ma"
                                 << "3"
                                 << "m a"
                                 << "3" << false << true;
    QTest::newRow("tab is not trimmed") << "ma"
                                        << "3"
                                        << "ma\t"
                                        << "3" << false << true;
    QTest::newRow("placeholders") << "ma"
                                  << "3"
                                  << "(Sillaba)"
                                  << "(Tono)" << false << false;
    QTest::newRow("03 is not 3") << "ma"
                                 << "3"
                                 << "ma"
                                 << "03" << true << false;
    QTest::newRow("empty tone, empty field") << "ma"
                                             << ""
                                             << "ma"
                                             << "" << true << true;
    QTest::newRow("empty tone") << "ma"
                                << "4"
                                << "ma"
                                << "" << true << false;
    QTest::newRow("record tone with spaces") << " ma "
                                             << " 2"
                                             << "ma"
                                             << "2" << true << false;
    QTest::newRow("capital Ü") << "lü"
                               << "4"
                               << "LÜ"
                               << "4" << true << true;
    QTest::newRow("v for ü") << "lü"
                             << "4"
                             << "lv"
                             << "4" << true << true;
    QTest::newRow("u: for ü") << "lü"
                              << "4"
                              << "LU:"
                              << "4" << true << true;
    QTest::newRow("table typed with v") << "lv"
                                        << "4"
                                        << "lü"
                                        << "4" << true << true;
    QTest::newRow("decomposed ü") << "lü"
                                  << "4" << QString("lu\u0308") << "4" << true << true;
    QTest::newRow("u is not ü") << "lü"
                                << "4"
                                << "lu"
                                << "4" << false << true;
}

void TestQuiz::answerVerdicts() {
    QFETCH(QString, syllable);
    QFETCH(QString, tone);
    QFETCH(QString, typedSyllable);
    QFETCH(QString, typedTone);
    QFETCH(bool, syllableRight);
    QFETCH(bool, toneRight);
    auto rows = Fixture::sampleRows(3);
    rows[1].syllable = syllable;
    rows[1].tone = tone;
    TestApp app(rows);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    Ui::FrmMain& ui = w.form();
    useTableOrder(w);
    w.NumRec = 1;
    newCharacter(w);
    ui.TxtImmSill->setText(typedSyllable);
    ui.TxtImmTn->setEditText(typedTone);
    QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
    const QColor right(0, 192, 0), wrong(255, 0, 0);
    QCOMPARE(background(ui.TxtSolSill), syllableRight ? right : wrong);
    QCOMPARE(background(ui.TxtSolTn), toneRight ? right : wrong);
    QCOMPARE(ui.TxtSolSill->text(), syllable);
    QCOMPARE(ui.TxtSolTn->text(), tone);
    QCOMPARE(ui.TxtSolSign->toPlainText(), QString("significato 2"));
    QCOMPARE(ui.TxtNote->toPlainText(), QString("nota 2"));
    for (QWidget* box :
         std::initializer_list<QWidget*>{ui.TxtSolSill, ui.TxtSolTn, ui.TxtSolSign, ui.TxtNote})
        QVERIFY(box->isVisible());
    QVERIFY(!ui.TxtImmSill->isEnabled());
    QVERIFY(!ui.TxtImmTn->isEnabled());
    QVERIFY(!ui.CmdMatch->isEnabled());
    QVERIFY(!ui.MnuSlv->isEnabled());
    QVERIFY(ui.CmdCanc->isEnabled() && ui.CmdSnd->isEnabled() && ui.CmdFlm->isEnabled());
    QCOMPARE(ui.TxtSolSill->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::white));
    QCOMPARE(syllableIsRight(syllable, typedSyllable), syllableRight);
    // The verdict shows no message (a tone the box refuses would have).
    if (!toneTextIsBad(typedTone))
        QVERIFY(app.platform.boxes.empty());
}

void TestQuiz::checkBeforeFirstCharacterDoesNothing() {
    TestApp app;
    QVERIFY(app.load());
    Ui::FrmMain& ui = app.window->form();
    QVERIFY(!ui.MnuSlv->isEnabled());
    QTest::keyClick(app.window.get(), Qt::Key_R, Qt::ControlModifier);
    QVERIFY(ui.TxtSolSill->isHidden());
}

void TestQuiz::toneCheck_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("3") << "3" << false;
    QTest::newRow("spaced 3") << " 3 " << false;
    QTest::newRow("5") << "5" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("placeholder") << "(Tono)" << false;
    QTest::newRow("0") << "0" << true;
    QTest::newRow("6") << "6" << true;
    QTest::newRow("letter") << "a" << true;
    QTest::newRow("two digits") << "12" << true;
    QTest::newRow("placeholder cut") << "(Tono" << true;
    QTest::newRow("tab") << "\t3" << true;
}

void TestQuiz::toneCheck() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    newCharacter(w);
    app.platform.boxes.clear();
    QComboBox* tone = w.form().TxtImmTn;
    tone->setEditText("1"); // a start that differs from every case
    // Replaces the whole text at once, as a paste or a pick from the list does.
    tone->lineEdit()->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(tone->lineEdit(), Qt::Key_Delete);
    else
        tone->lineEdit()->insert(typed);
    if (refused) {
        QCOMPARE(app.platform.boxes.size(), size_t(1));
        QCOMPARE(app.platform.boxes[0].text, QString("Valore non corretto!"));
        QCOMPARE(app.platform.boxes[0].title, std::optional<QString>("Errore!"));
        QCOMPARE(app.platform.boxes[0].style, 16);
        QCOMPARE(tone->currentText(), QString("(Tono)"));
    } else {
        QVERIFY(app.platform.boxes.empty());
        QCOMPARE(tone->currentText(), typed);
    }
    QCOMPARE(tone->count(), 5); // typed text never joins the list
}

void TestQuiz::toneKeystrokesOverPlaceholder() {
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    newCharacter(w);
    QComboBox* tone = w.form().TxtImmTn;
    tone->lineEdit()->setFocus();
    tone->lineEdit()->end(false);
    QTest::keyClick(tone->lineEdit(), Qt::Key_Backspace); // "(Tono" at the first keystroke
    QCOMPARE(app.platform.texts(), QStringList{"Valore non corretto!"});
    QCOMPARE(tone->currentText(), QString("(Tono)"));
    tone->setCurrentIndex(2); // a pick from the list passes
    QCOMPARE(tone->currentText(), QString("3"));
    QCOMPARE(app.platform.boxes.size(), size_t(1));
}

void TestQuiz::clearAll() {
    TestApp app;
    Fixture::writeGif(app.path("Grafica/dragon.gif"), QColor(0, 99, 0), 84);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    Ui::FrmMain& ui = w.form();
    // Before the first character only the menu entry is enabled.
    QVERIFY(!ui.CmdCanc->isEnabled());
    ui.MnuCanc->trigger();
    QVERIFY(!ui.MnuCanc->isEnabled());
    QCOMPARE(ui.PctGrafema->pixmap().toImage().pixelColor(40, 40), QColor(0, 99, 0));
    QVERIFY(ui.CmdNewGraf->isEnabled());
    QVERIFY(app.platform.boxes.empty());

    useTableOrder(w);
    w.NumRec = 4;
    newCharacter(w);
    ui.TxtImmSill->setText("ni");
    ui.TxtImmTn->setEditText("3");
    QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
    QTest::mouseClick(ui.CmdCanc, Qt::LeftButton);
    for (QWidget* box : std::initializer_list<QWidget*>{ui.TxtSolSill, ui.TxtSolTn, ui.TxtSolSign,
                                                        ui.TxtNote, ui.RiqGrafema})
        QVERIFY(box->isHidden());
    QCOMPARE(ui.TxtImmSill->text(), QString("(Sillaba)"));
    QCOMPARE(ui.TxtImmTn->currentText(), QString("(Tono)"));
    QVERIFY(ui.LblPos->text().isEmpty());
    QVERIFY(!ui.CmdMatch->isEnabled() && !ui.CmdCanc->isEnabled() && !ui.MnuSlv->isEnabled());
    QVERIFY(!ui.CmdSnd->isEnabled() && !ui.TxtImmSill->isEnabled());
    QCOMPARE(ui.PctGrafema->frameShape(), QFrame::NoFrame);
    QCOMPARE(w.DataDBCaratteri().absolutePosition(), 0);
    QVERIFY(app.platform.boxes.empty());
    // Table order goes on where it stood.
    newCharacter(w);
    QCOMPARE(label(w), QString("N.  6/225"));
}

void TestQuiz::errorPaths_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("random");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing picture")
        << "Grafemi/g001.jpg" << false << "Errore  53\nFile non trovato: \\Grafemi\\g001.jpg";
    QTest::newRow("broken picture")
        << "!Grafemi/g001.jpg" << false << "Errore  481\nImmagine non valida: \\Grafemi\\g001.jpg";
    QTest::newRow("missing frame") << "Grafica/Frames/DF_5.gif" << true
                                   << "Errore  53\nFile non trovato: \\Grafica\\Frames\\DF_5.gif";
    QTest::newRow("record number")
        << "" << false << "Errore  3021\nIl record numero 6 non esiste nella tabella.";
}

void TestQuiz::errorPaths() {
    QFETCH(QString, damage);
    QFETCH(bool, random);
    QFETCH(QString, message);
    TestApp app(5);
    if (damage.startsWith('!')) {
        QFile file(app.path(damage.mid(1)));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a picture");
    } else if (!damage.isEmpty()) {
        QVERIFY(QFile::remove(app.path(damage)));
    }
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    if (!random)
        useTableOrder(w);
    app.platform.randoms = {0.0f};
    if (damage.isEmpty())
        w.NumRec = 5; // only the go-to dialog could set this; a stale value must fail cleanly
    if (damage.isEmpty())
        w.UpperRec = 1000, w.CountRec = 1000;
    newCharacter(w);
    QCOMPARE(app.platform.boxes.size(), size_t(1));
    QCOMPARE(app.platform.boxes[0].text, message);
    QCOMPARE(app.platform.boxes[0].title, std::optional<QString>(""));
    QCOMPARE(app.platform.boxes[0].style, 16);
    // The clear-all command ran.
    Ui::FrmMain& ui = w.form();
    QVERIFY(!ui.MnuCanc->isEnabled() && !ui.CmdMatch->isEnabled() && !ui.TxtImmSill->isEnabled());
    QVERIFY(ui.RiqGrafema->isHidden());
    QVERIFY(ui.CmdNewGraf->isEnabled());
}

void TestQuiz::brokenRecordDoesNotStopTableOrder() {
    TestApp app(5);
    QVERIFY(QFile::remove(app.path("Grafemi/g002.jpg")));
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    newCharacter(w);
    newCharacter(w);
    QCOMPARE(app.platform.boxes.size(), size_t(1));
    newCharacter(w);
    QCOMPARE(label(w), QString("N.  3/225"));
    QCOMPARE(app.platform.boxes.size(), size_t(1));
}

void TestQuiz::rowWithoutMeaningIsShown() {
    auto rows = Fixture::sampleRows(3);
    rows[0].meaning.reset();
    rows[0].sound.reset();
    TestApp app(rows);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    newCharacter(w);
    QVERIFY(app.platform.boxes.empty());
    QCOMPARE(label(w), QString("N.  1/225"));
    QVERIFY(w.signRec().isEmpty());
    QCOMPARE(w.percSuono(), app.dir.path() + "\\Suoni\\.MP3");
    QTest::mouseClick(w.form().CmdMatch, Qt::LeftButton);
    QVERIFY(w.form().TxtSolSign->toPlainText().isEmpty());
}

void TestQuiz::missingDragonPicture() {
    TestApp app;
    QVERIFY(QFile::remove(app.path("Grafica/dragon.gif")));
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    newCharacter(w);
    QTest::mouseClick(w.form().CmdCanc, Qt::LeftButton);
    QCOMPARE(app.platform.texts(), QStringList{"Immagine non trovata:\n\\grafica\\dragon.gif"});
    QVERIFY(!app.platform.boxes[0].title);
    QVERIFY(w.form().PctGrafema->pixmap().isNull());
    QVERIFY(!w.form().CmdCanc->isEnabled()); // the other steps still ran
    QVERIFY(w.form().TxtSolSill->isHidden());
}

void TestQuiz::poster() {
    TestApp app;
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    QAction* entry = w.form().MnuSfd;
    entry->trigger();
    QVERIFY(entry->isChecked());
    QCOMPARE(w.form().centralwidget->backgroundPicture().size(), QSize(538, 358));
    w.form().MnuVS->trigger(); // a theme keeps the poster
    QVERIFY(entry->isChecked());
    QVERIFY(!w.form().centralwidget->backgroundPicture().isNull());
    entry->trigger();
    QVERIFY(!entry->isChecked());
    QVERIFY(w.form().centralwidget->backgroundPicture().isNull());
    // A poster that cannot be loaded changes nothing but says so.
    QVERIFY(QFile::remove(app.path("Grafica/DragonPoster.jpg")));
    entry->trigger();
    QVERIFY(!entry->isChecked());
    QCOMPARE(app.platform.texts(),
             QStringList{"Immagine non trovata:\n\\Grafica\\DragonPoster.jpg"});
}

void TestQuiz::animationPaintsFramesInTime() {
    TestApp app;
    for (int n = 1; n <= 13; ++n)
        Fixture::writeGif(app.path(QString("Grafica/Frames/DF_%1.gif").arg(n)),
                          QColor(n * 10, 0, 0), 84);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    app.platform.realSleep = true;
    PaintRecorder recorder(w.form().PctGrafema);
    QList<QColor> atSleep;
    app.platform.onSleep = [&](int) {
        atSleep << (recorder.colours.isEmpty() ? QColor() : recorder.colours.last());
    };
    QElapsedTimer timer;
    timer.start();
    w.AnimazioneDragon();
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(app.platform.sleeps, std::vector<int>(13, 50));
    QCOMPARE(atSleep.size(), 13);
    for (int n = 1; n <= 13; ++n)
        QCOMPARE(atSleep[n - 1], QColor(n * 10, 0, 0)); // painted before its sleep
    QVERIFY2(elapsed >= 650, qPrintable(QString::number(elapsed)));
    QVERIFY(w.form().RiqGrafema->isVisible());
}

QTEST_MAIN(TestQuiz)
#include "tst_quiz.moc"
