// SPDX-License-Identifier: GPL-3.0-or-later
// One quiz question from start to verdict: the character on show in both
// orders and both levels, the go-to dialog, the answer check, the tone box,
// clearing, the "Errore" paths and the poster.
#include "dialogs/FrmGoto.h"
#include "fixture/TestApp.h"
#include "ui_FrmMain.h"

#include <QAbstractItemView>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// What a new character makes usable, and what the answer check takes back.
const QStringList Question{"CmdSnd",   "CmdFlm", "CmdCanc",    "MnuCanc",
                           "CmdMatch", "MnuSlv", "TxtImmSill", "TxtImmTn"};

// Opens the dialog the way a learner does: "Sequenziale"; and its number box.
std::pair<FrmGoto*, QLineEdit*> openGoto(TestApp& app) {
    app.ui().MnuSeq->trigger();
    return {app.window->loadedFrmGoto(), ctl<QLineEdit>(app.window->loadedFrmGoto(), "TxtVai")};
}

} // namespace

class TestQuiz : public QObject {
    Q_OBJECT

private slots:
    // The record on show, drawn in table order from the number, or at random
    // within the level (or the shorter table) after the dragon animation.
    void showsRecord_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("levelTwo");
        QTest::addColumn<float>("r"); // negative: table order
        QTest::addColumn<int>("record");
        const float highest = 1.0f - 1.0f / 16777216.0f;
        QTest::newRow("first") << 460 << false << -1.0f << 0;
        QTest::newRow("last of level 1") << 460 << false << -1.0f << 224;
        QTest::newRow("last of level 2") << 460 << true << -1.0f << 453;
        QTest::newRow("random zero") << 460 << false << 0.0f << 0;
        QTest::newRow("random half") << 460 << false << 0.5f << 112;
        QTest::newRow("random highest, level 1") << 460 << false << highest << 224;
        QTest::newRow("random highest, level 2") << 460 << true << highest << 453;
        QTest::newRow("random highest, short table") << 30 << true << highest << 29;
    }
    void showsRecord() {
        QFETCH(int, rows);
        QFETCH(bool, levelTwo);
        QFETCH(float, r);
        QFETCH(int, record);
        LoadedApp app(rows);
        FrmMain& w = *app.window;
        w.show();
        if (levelTwo)
            app.ui().MnuLev2->trigger();
        if (r < 0)
            app.useTableOrder(), w.NumRec = record;
        else
            app.platform.randoms = {r};
        app.ui().MnuNew->trigger();
        QCOMPARE(app.position(), QString("N.  %1/%2").arg(record + 1).arg(levelTwo ? 454 : 225));
        QCOMPARE(w.DataDBCaratteri().absolutePosition(), record);
        const QString n = QString("%1").arg(record + 1, 3, 10, QChar('0'));
        QCOMPARE(QStringList({w.percGrafema(), w.percSuono(), w.percFilmato(), w.signRec()}),
                 QStringList({app.dir.path() + "\\Grafemi\\g" + n + ".jpg",
                              app.dir.path() + "\\Suoni\\s" + n + ".MP3",
                              app.dir.path() + "\\Filmati\\f" + n + ".wmv",
                              QString("significato %1").arg(record + 1)}));
        QCOMPARE(app.enabled(Question), QString("11111111"));
        Ui::FrmMain& ui = app.ui();
        QVERIFY(ui.RiqGrafema->isVisible() && ui.PctGrafema->frameShape() != QFrame::NoFrame);
        QCOMPARE(ui.PctGrafema->pixmap().size(), QSize(84, 84));
        QVERIFY(ui.TxtSolSill->isHidden());
        QCOMPARE(ui.TxtImmSill->text() + ui.TxtImmTn->currentText(), QString("(Sillaba)(Tono)"));
        QCOMPARE(app.platform.sleeps, std::vector<int>(r < 0 ? 0 : 13, 50));
        QVERIFY(app.platform.boxes.empty());
    }

    void tableOrderWrapsToStart_data() {
        QTest::addColumn<QString>("posStart");
        QTest::addColumn<int>("wrapsTo");
        QTest::newRow("no start chosen") << "" << 0;
        QTest::newRow("start 9") << "9" << 9;
        QTest::newRow("start past the level") << "300" << 0;
    }
    void tableOrderWrapsToStart() {
        QFETCH(QString, posStart);
        QFETCH(int, wrapsTo);
        LoadedApp app(230);
        app.useTableOrder();
        app.window->PosStart = posStart;
        for (int n = 1; n <= 225; ++n) {
            app.newCharacter();
            QCOMPARE(app.position(), QString("N.  %1/225").arg(n));
        }
        app.newCharacter();
        QCOMPARE(app.window->DataDBCaratteri().absolutePosition(), wrapsTo);
        QCOMPARE(app.window->NumRec, wrapsTo + 1);
        QVERIFY(app.platform.boxes.empty() && app.platform.sleeps.empty());
    }

    // A level change applies from the next character on.
    void levels() {
        LoadedApp app(460);
        Ui::FrmMain& ui = app.ui();
        app.useTableOrder();
        ui.MnuLev2->trigger();
        const auto level = [&] {
            return ui.LblLev->text() +
                   QString::asprintf(" %d%d", ui.MnuLev1->isChecked(), ui.MnuLev2->isChecked());
        };
        QCOMPARE(level(), QString("Livello 2 01"));
        app.window->PosStart = "7";
        app.window->NumRec = 300;
        app.newCharacter();
        ui.MnuLev1->trigger();
        QCOMPARE(level(), QString("Livello 1 10"));
        QCOMPARE(app.position(), QString("N.  301/454"));
        app.newCharacter();
        QCOMPARE(app.position(), QString("N.  8/225"));
        QVERIFY(app.platform.boxes.empty());
    }

    void answerVerdicts_data() {
        QTest::addColumn<QString>("syllable");
        QTest::addColumn<QString>("tone");
        QTest::addColumn<QString>("typedSyllable");
        QTest::addColumn<QString>("typedTone");
        QTest::addColumn<QString>("verdicts"); // syllable and tone: + right, - wrong
        auto row = [](const char* name, const char* syllable, const char* tone,
                      const QString& typed, const char* typedTone, const char* verdicts) {
            QTest::newRow(name) << QString::fromUtf8(syllable) << QString(tone) << typed
                                << QString(typedTone) << QString(verdicts);
        };
        row("capitals and spaces", "ma", "3", "  Ma ", " 3 ", "++");
        row("inner space", "ma", "3", "m a", "3", "-+");
        row("tab is not trimmed", "ma", "3", "ma\t", "3", "-+");
        row("placeholders", "ma", "3", "(Sillaba)", "(Tono)", "--");
        row("03 is not 3", "ma", "3", "ma", "03", "+-");
        row("empty tone, empty field", "ma", "", "ma", "", "++");
        row("empty tone", "ma", "4", "ma", "", "+-");
        row("record tone with spaces", " ma ", " 2", "ma", "2", "+-");
        row("v for ü", "lü", "4", "lv", "4", "++");
        row("u: for ü", "lü", "4", "LU:", "4", "++");
        row("table typed with v", "lv", "4", "lü", "4", "++");
        row("decomposed ü", "lü", "4", QString("lu\u0308"), "4", "++");
        row("u is not ü", "lü", "4", "lu", "4", "-+");
    }
    void answerVerdicts() {
        QFETCH(QString, syllable);
        QFETCH(QString, tone);
        QFETCH(QString, typedSyllable);
        QFETCH(QString, typedTone);
        QFETCH(QString, verdicts);
        auto rows = Fixture::sampleRows(3);
        rows[1].syllable = syllable;
        rows[1].tone = tone;
        LoadedApp app(rows);
        app.window->show();
        Ui::FrmMain& ui = app.ui();
        app.useTableOrder();
        app.window->NumRec = 1;
        app.newCharacter();
        ui.TxtImmSill->setText(typedSyllable);
        ui.TxtImmTn->setEditText(typedTone);
        app.platform.boxes.clear(); // the tone box's own refusal is toneCheck's
        QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
        const QColor right(0, 192, 0), wrong(255, 0, 0);
        QCOMPARE(ui.TxtSolSill->palette().color(QPalette::Base),
                 verdicts[0] == '+' ? right : wrong);
        QCOMPARE(ui.TxtSolTn->palette().color(QPalette::Base), verdicts[1] == '+' ? right : wrong);
        QCOMPARE(QStringList({ui.TxtSolSill->text(), ui.TxtSolTn->text(),
                              ui.TxtSolSign->toPlainText(), ui.TxtNote->toPlainText()}),
                 QStringList({syllable, tone, "significato 2", "nota 2"}));
        QVERIFY(ui.TxtSolSill->isVisible() && ui.TxtSolTn->isVisible() &&
                ui.TxtSolSign->isVisible() && ui.TxtNote->isVisible());
        QCOMPARE(app.enabled(Question), QString("11110000"));
        QVERIFY(app.platform.boxes.empty());
    }

    // The tone box takes one digit from 1 to 5, spaces around it, nothing or
    // its placeholder; anything else is refused with a message and the
    // placeholder comes back. Typed text never joins the list.
    void toneCheck_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        for (const char* accepted : {"3", " 3 ", "5", "", "(Tono)"})
            QTest::newRow(accepted) << QString(accepted) << false;
        for (const char* refused : {"0", "6", "a", "12", "(Tono", "\t3"})
            QTest::newRow(refused) << QString(refused) << true;
    }
    void toneCheck() {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        LoadedApp app;
        app.window->show();
        app.newCharacter();
        QComboBox* tone = app.ui().TxtImmTn;
        tone->setEditText("1"); // a start that differs from every case
        // The whole text at once, as a paste or a pick from the list gives it.
        tone->lineEdit()->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(tone->lineEdit(), Qt::Key_Delete);
        else
            tone->lineEdit()->insert(typed);
        QCOMPARE(app.platform.shown(),
                 refused ? QStringList{"16 Errore! Valore non corretto!"} : QStringList());
        QCOMPARE(tone->currentText(), refused ? QString("(Tono)") : typed);
        QCOMPARE(tone->count(), 5);
    }

    // Clearing everything, and the poster.
    void clearAll() {
        TestApp app;
        Fixture::writeGif(app.path("Grafica/dragon.gif"), QColor(0, 99, 0), 84);
        QVERIFY(app.load());
        app.window->show();
        Ui::FrmMain& ui = app.ui();
        // Before the first character only the menu entry is enabled, and
        // Escape, the button's key, does nothing.
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        QTest::keyClick(app.window.get(), Qt::Key_Escape);
        QCOMPARE(app.enabled({"CmdCanc", "MnuCanc"}), QString("01"));
        ui.MnuCanc->trigger();
        QCOMPARE(app.enabled({"CmdCanc", "MnuCanc"}), QString("00"));
        QCOMPARE(ui.PctGrafema->pixmap().toImage().pixelColor(40, 40), QColor(0, 99, 0));
        app.useTableOrder();
        app.window->NumRec = 4;
        app.newCharacter();
        ui.TxtImmSill->setText("ni");
        ui.TxtImmTn->setEditText("3");
        // Escape with the tone list open closes the list and nothing else.
        ui.TxtImmTn->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(ui.TxtImmTn->view(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(ui.TxtImmSill->text() + ui.TxtImmTn->currentText(), QString("ni3"));
        QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
        QTest::mouseClick(ui.CmdCanc, Qt::LeftButton);
        for (QWidget* box : std::initializer_list<QWidget*>{
                 ui.TxtSolSill, ui.TxtSolTn, ui.TxtSolSign, ui.TxtNote, ui.RiqGrafema})
            QVERIFY(box->isHidden());
        QCOMPARE(ui.TxtImmSill->text() + ui.TxtImmTn->currentText() + app.position(),
                 QString("(Sillaba)(Tono)"));
        QCOMPARE(app.enabled(Question), QString("00000000"));
        QCOMPARE(ui.PctGrafema->frameShape(), QFrame::NoFrame);
        QCOMPARE(app.window->DataDBCaratteri().absolutePosition(), 0);
        app.newCharacter(); // table order goes on where it stood
        QCOMPARE(app.position(), QString("N.  6/225"));
        QVERIFY(app.platform.boxes.empty());
        // Without its picture: cleared all the same, and it says so. Ctrl+C
        // in a text box is the menu's, not a copy.
        QVERIFY(QFile::remove(app.path("Grafica/dragon.gif")));
        ui.TxtImmSill->setFocus();
        QTest::keyClick(ui.TxtImmSill, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(app.platform.shown(),
                 QStringList{"16 - Immagine non trovata:\n\\grafica\\dragon.gif"});
        QVERIFY(ui.PctGrafema->pixmap().isNull() && !ui.CmdCanc->isEnabled());
        // The poster: on, kept by a theme, off; one that cannot be loaded
        // changes nothing but says so.
        app.platform.boxes.clear();
        ui.MnuSfd->trigger();
        QVERIFY(ui.MnuSfd->isChecked());
        QCOMPARE(ui.centralwidget->backgroundPicture().size(), QSize(538, 358));
        ui.MnuVS->trigger(); // a theme keeps the poster
        QVERIFY(ui.MnuSfd->isChecked() && !ui.centralwidget->backgroundPicture().isNull());
        ui.MnuSfd->trigger();
        QVERIFY(!ui.MnuSfd->isChecked() && ui.centralwidget->backgroundPicture().isNull());
        QVERIFY(QFile::remove(app.path("Grafica/DragonPoster.jpg")));
        ui.MnuSfd->trigger();
        QVERIFY(!ui.MnuSfd->isChecked());
        QCOMPARE(app.platform.shown(),
                 QStringList{"16 - Immagine non trovata:\n\\Grafica\\DragonPoster.jpg"});
    }

    // Each "Errore" message, word for word, then the clear-all command.
    void errorPaths_data() {
        QTest::addColumn<QString>("damage"); // "!": broken, "/": a folder in its place
        QTest::addColumn<QString>("message");
        auto row = [](const char* damage, const QString& message) {
            QTest::newRow(*damage ? damage : "stale record number") << QString(damage) << message;
        };
        const QString missing = "Errore  53\nFile non trovato: \\",
                      broken = "Errore  481\nImmagine non valida: \\";
        row("Grafemi/g001.jpg", missing + "Grafemi\\g001.jpg");
        row("/Grafemi/g001.jpg", missing + "Grafemi\\g001.jpg");
        row("!Grafemi/g001.jpg", broken + "Grafemi\\g001.jpg");
        row("Grafica/Frames/DF_5.gif", missing + "Grafica\\Frames\\DF_5.gif");
        row("!Grafica/Frames/DF_5.gif", broken + "Grafica\\Frames\\DF_5.gif");
        row("", "Errore  3021\nIl record numero 6 non esiste nella tabella.");
    }
    void errorPaths() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        TestApp app(5);
        const QString file = app.path(damage.mid(damage.startsWith('!') || damage.startsWith('/')));
        if (!damage.isEmpty())
            QVERIFY(QFile::remove(file));
        if (damage.startsWith('!')) {
            QFile broken(file);
            QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("GIF89a not a picture"));
        } else if (damage.startsWith('/')) {
            QVERIFY(QDir().mkdir(file));
        }
        QVERIFY(app.load());
        app.window->show();
        if (!damage.contains("Frames"))
            app.useTableOrder();
        app.platform.randoms = {0.0f};
        if (damage.isEmpty()) // as the go-to dialog could leave it
            app.window->NumRec = 5, app.window->UpperRec = 1000, app.window->CountRec = 1000;
        app.newCharacter();
        const QString shown = "16  " + message; // an empty title
        QCOMPARE(app.platform.shown(), QStringList{shown});
        QCOMPARE(app.enabled(Question + QStringList{"CmdNewGraf"}), QString("000000001"));
        QVERIFY(app.ui().RiqGrafema->isHidden());
        if (damage.contains("Grafemi")) { // table order goes on past a broken record
            app.newCharacter();
            QCOMPARE(app.position() + app.platform.shown().join(""), "N.  2/225" + shown);
        }
    }

    // A number outside the level or the table is refused with a message, the
    // dialog staying open with an empty box; one inside goes to its record.
    void gotoRange_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("levelTwo");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("record"); // 0-based; -1 when refused
        QTest::newRow("225 at level 1") << 300 << false << "225" << 224;
        QTest::newRow("226 at level 1") << 300 << false << "226" << -1;
        QTest::newRow("454 at level 2") << 460 << true << "454" << 453;
        QTest::newRow("455 at level 2") << 460 << true << "455" << -1;
        QTest::newRow("last of a short table") << 30 << false << "30" << 29;
        QTest::newRow("past a short table") << 30 << false << "31" << -1;
        QTest::newRow("past a short table, level 2") << 30 << true << "31" << -1;
        QTest::newRow("empty") << 30 << false << "" << -1;
        QTest::newRow("0") << 30 << false << "0" << -1;
        QTest::newRow("007") << 30 << false << "007" << 6;
        QTest::newRow("spaces around 12") << 30 << false << " 12 " << 11;
    }
    void gotoRange() {
        QFETCH(int, rows);
        QFETCH(bool, levelTwo);
        QFETCH(QString, typed);
        QFETCH(int, record);
        LoadedApp app(rows);
        if (levelTwo)
            app.ui().MnuLev2->trigger();
        app.window->PosStart = "3";
        app.window->NumRec = 7;
        app.window->show();
        const auto [dialog, box] = openGoto(app);
        QTest::keyClicks(box, typed);
        // The message takes the activation away; the dialog takes it back.
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        app.platform.onMsgBox = [&] {
            app.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        };
        // A real click takes the focus to the button: it must come back.
        auto* ok = ctl<QPushButton>(dialog, "CmdVai");
        ok->setFocus();
        QTest::mouseClick(ok, Qt::LeftButton);
        if (record < 0) {
            QCOMPARE(app.platform.shown(), QStringList{"16 - Valore fuori intervallo!"});
            QCOMPARE(app.window->PosStart + " " + QString::number(app.window->NumRec) +
                         app.position(),
                     QString("3 0")); // start and next record kept, nothing on show
            QVERIFY(dialog->isVisible() && box->text().isEmpty());
            QCOMPARE(dialog->focusWidget(), box);
            QTRY_COMPARE(QApplication::activeWindow(), dialog);
        } else {
            QVERIFY(app.platform.boxes.empty() && !dialog->isVisible());
            QCOMPARE(app.window->PosStart, QString::number(record));
            QCOMPARE(app.position(),
                     QString("N.  %1/%2").arg(record + 1).arg(levelTwo ? 454 : 225));
            QCOMPARE(app.window->NumRec, record + 1); // table order goes on from there
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
        QTest::newRow("three letters") << "abc" << 3 << "";
        QTest::newRow("spaces around") << " 7 " << 0 << " 7 ";
        QTest::newRow("no fourth character") << "4567" << 0 << "456";
    }
    void gotoRefusesNonDigits() {
        QFETCH(QString, keys);
        QFETCH(int, messages);
        QFETCH(QString, left);
        LoadedApp app;
        QLineEdit* box = openGoto(app).second;
        QTest::keyClicks(box, keys);
        QCOMPARE(app.platform.shown(),
                 QStringList(messages, "16 Errore! Il campo può contenere solo numeri!"));
        QCOMPARE(box->text(), left);
    }
};

QTEST_MAIN(TestQuiz)
#include "tst_quiz.moc"
