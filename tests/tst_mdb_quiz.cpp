// The whole quiz on the Access table that a folder prepared on Windows holds.
#include "fixture/TestApp.h"
#include "ui_FrmMain.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

class TestMdbQuiz : public QObject {
    Q_OBJECT

private slots:
    void init();
    void showsAndChecksRecords_data();
    void showsAndChecksRecords();
    void mdbWinsOverSqlite();
    void wrongPasswordStopsStartup();

private:
    QString fixture() const {
        return QStringLiteral(TAVORIN_SHARED_DIR) + "/fixtures/mdb/DBGrafemi1.mdb";
    }
    // A folder with pictures g001..g012, the art, and the Access table only.
    std::unique_ptr<TestApp> makeApp(const QString& mdbSource) {
        auto app = std::make_unique<TestApp>(12);
        QFile::remove(app->path("DBGrafemi1.sqlite"));
        if (!QFile::copy(mdbSource, app->path("DBGrafemi1.mdb")))
            return nullptr;
        return app;
    }
};

void TestMdbQuiz::init() {
    if (!QFile::exists(fixture()))
        QSKIP("the Access fixtures (../shared/fixtures/mdb) are not here");
}

void TestMdbQuiz::showsAndChecksRecords_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("syllable");
    QTest::addColumn<QString>("tone");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("meaning");
    QTest::addColumn<QString>("sound");

    QTest::newRow("mā") << 0 << "ma"
                        << "1" << true << "mamma, madre"
                        << "s001";
    QTest::newRow("wrong tone") << 2 << "ma"
                                << "1" << false << "cavallo"
                                << "s003";
    QTest::newRow("lü typed as lv") << 5 << "lv"
                                    << "4" << true << "verde"
                                    << "s006";
    QTest::newRow("NULL sound") << 7 << "lü"
                                << "3" << true << "viaggio: andare là"
                                << "";
    QTest::newRow("NULL meaning") << 8 << "lu:"
                                  << "3" << true << ""
                                  << "s009";
    QTest::newRow("last row") << 11 << "geng"
                              << "4" << true << "più, ancora di più"
                              << "s012";
}

void TestMdbQuiz::showsAndChecksRecords() {
    QFETCH(int, record);
    QFETCH(QString, syllable);
    QFETCH(QString, tone);
    QFETCH(bool, right);
    QFETCH(QString, meaning);
    QFETCH(QString, sound);
    auto app = makeApp(fixture());
    QVERIFY(app);
    QVERIFY(app->load());
    FrmMain& w = *app->window;
    w.show();
    QCOMPARE(w.CountRec, 12);
    Ui::FrmMain& ui = w.form();
    ui.MnuSeq->setChecked(true);
    ui.MnuRnd->setChecked(false);
    w.NumRec = record;
    QTest::mouseClick(ui.CmdNewGraf, Qt::LeftButton);
    QCOMPARE(ui.LblPos->text(), QString("N.  %1/225").arg(record + 1));
    QCOMPARE(w.signRec(), meaning);
    QCOMPARE(w.percSuono(), w.PercApp + "\\Suoni\\" + sound + ".MP3");
    ui.TxtImmSill->setText(syllable);
    ui.TxtImmTn->setEditText(tone);
    QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
    // Every row here is typed with the right syllable; `right` is the tone.
    QCOMPARE(ui.TxtSolSill->palette().color(QPalette::Active, QPalette::Base), QColor(0, 192, 0));
    QCOMPARE(ui.TxtSolTn->palette().color(QPalette::Active, QPalette::Base),
             right ? QColor(0, 192, 0) : QColor(255, 0, 0));
    QCOMPARE(ui.TxtSolSign->toPlainText(), meaning);
    QVERIFY(ui.TxtNote->toPlainText().contains(QString::fromUtf8("(")));
    QVERIFY(app->platform.boxes.empty());
    if (sound.isEmpty()) {
        QTest::mouseClick(ui.CmdSnd, Qt::LeftButton);
        QCOMPARE(app->platform.texts(), QStringList{"Audio non disponibile"});
        QCOMPARE(app->platform.boxes[0].style, 64);
    }
}

void TestMdbQuiz::mdbWinsOverSqlite() {
    auto app = makeApp(fixture());
    QVERIFY(app);
    Fixture::writeSqlite(app->path("DBGrafemi1.sqlite"), Fixture::sampleRows(40));
    QVERIFY(app->load());
    QCOMPARE(app->window->CountRec, 12);
    QCOMPARE(app->window->DataDBCaratteri().openedFile(), app->path("DBGrafemi1.mdb"));
}

void TestMdbQuiz::wrongPasswordStopsStartup() {
    auto app = makeApp(QStringLiteral(TAVORIN_SHARED_DIR) +
                       "/fixtures/mdb/mdbreader_password_V2000_with-password.mdb");
    QVERIFY(app);
    QVERIFY(!app->load());
    QCOMPARE(app->platform.boxes.size(), size_t(1));
    QVERIFY2(app->platform.boxes[0].text.contains("DBGrafemi1.mdb"),
             qPrintable(app->platform.boxes[0].text));
    QVERIFY2(app->platform.boxes[0].text.contains("assword"),
             qPrintable(app->platform.boxes[0].text));
}

QTEST_MAIN(TestMdbQuiz)
#include "tst_mdb_quiz.moc"
