// The character table: loading it from SQLite, the record-set operations and
// the boxes bound to the current row.
#include "data/DataControl.h"
#include "data/SqliteTableLoader.h"
#include "fixture/AppFolder.h"
#include "platform/FileSystemObject.h"
#include "platform/PlatformError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestDataControl : public QObject {
    Q_OBJECT

private slots:
    void loadsRowsInOrderWithNulls();
    void operations();
    void positionErrors_data();
    void positionErrors();
    void boundBoxesFollowTheCursor();
    void refreshFailures_data();
    void refreshFailures();
    void fileNameCaseDoesNotMatter();
    void neverWritesTheFile();

private:
    static std::vector<Fixture::Row> rowsWithGaps();
};

std::vector<Fixture::Row> TestDataControl::rowsWithGaps() {
    auto rows = Fixture::sampleRows(5);
    rows[1].meaning.reset();       // NULL
    rows[2].meaning = QString(""); // empty text
    rows[3].syllable = QStringLiteral("lü");
    return rows;
}

static DataControl opened(const QString& dir) {
    DataControl data;
    data.setDatabaseName(dir + "\\DBGrafemi1.mdb");
    data.setConnect("Access 2000;pwd=582317");
    data.setRecordSource("Tabella");
    data.refresh(FileSystemObject(dir));
    return data;
}

void TestDataControl::loadsRowsInOrderWithNulls() {
    QTemporaryDir dir;
    Fixture::writeSqlite(dir.path() + "/DBGrafemi1.sqlite", rowsWithGaps());
    const TableData table =
        SqliteTableLoader().load(dir.path() + "/DBGrafemi1.sqlite", "582317", "Tabella");
    QCOMPARE(table.rows.size(), size_t(5));
    QCOMPARE(*table.rows[0][int(Field::NomeFileGrafema)], QString("g001"));
    QCOMPARE(*table.rows[4][int(Field::Note)], QString("nota 5"));
    QVERIFY(!table.rows[1][int(Field::Significato)].has_value());
    QVERIFY(table.rows[2][int(Field::Significato)].has_value());
    QVERIFY(table.rows[2][int(Field::Significato)]->isEmpty());
    QCOMPARE(*table.rows[3][int(Field::Sillaba)], QString("lü"));
}

void TestDataControl::operations() {
    QTemporaryDir dir;
    Fixture::writeSqlite(dir.path() + "/DBGrafemi1.sqlite", rowsWithGaps());
    DataControl data = opened(dir.path());
    QCOMPARE(data.recordCount(), 5);
    QVERIFY(!data.bof());
    data.moveLast();
    QCOMPARE(data.absolutePosition(), 4);
    QCOMPARE(*data.field("Nome file grafema"), QString("g005"));
    data.setAbsolutePosition(1);
    QCOMPARE(data.absolutePosition(), 1);
    QVERIFY(!data.field("Significato").has_value());
    QCOMPARE(*data.field("suoni"), QString("s002")); // field names ignore case
    data.moveFirst();
    QCOMPARE(data.absolutePosition(), 0);
    QCOMPARE(*data.field(Field::Tono), QString("1"));
}

void TestDataControl::positionErrors_data() {
    QTest::addColumn<int>("position");
    QTest::newRow("negative") << -1;
    QTest::newRow("record count") << 5;
    QTest::newRow("far beyond") << 32767;
}

void TestDataControl::positionErrors() {
    QFETCH(int, position);
    QTemporaryDir dir;
    Fixture::writeSqlite(dir.path() + "/DBGrafemi1.sqlite", rowsWithGaps());
    DataControl data = opened(dir.path());
    data.moveLast();
    try {
        data.setAbsolutePosition(position);
        QFAIL("no error");
    } catch (const PlatformError& error) {
        QCOMPARE(error.number(), PlatformError::NoCurrentRecord);
    }
    // The cursor stays where it stood.
    QCOMPARE(data.absolutePosition(), 4);
    QVERIFY_THROWS_EXCEPTION(PlatformError, data.field("Campo che non c'è"));
}

void TestDataControl::boundBoxesFollowTheCursor() {
    QTemporaryDir dir;
    Fixture::writeSqlite(dir.path() + "/DBGrafemi1.sqlite", rowsWithGaps());
    DataControl data = opened(dir.path());
    QString meaning = "untouched", syllable;
    data.bind(Field::Significato, [&](const QString& v) { meaning = v; });
    data.bind(Field::Sillaba, [&](const QString& v) { syllable = v; });
    QCOMPARE(meaning, QString("significato 1")); // bound to the current row at once
    data.moveLast();
    QCOMPARE(meaning, QString("significato 5"));
    data.setAbsolutePosition(3);
    QCOMPARE(syllable, QString("lü"));
    data.setAbsolutePosition(1);
    QCOMPARE(meaning, QString()); // a missing value shows as an empty box
    meaning = "changed by hand";
    data.refreshBound(Field::Significato);
    QCOMPARE(meaning, QString());
}

void TestDataControl::refreshFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("cause");

    QTest::newRow("missing") << "missing" << 53 << "non esiste";
    QTest::newRow("not a database") << "garbage" << 3343 << "non è un database";
    QTest::newRow("empty file") << "empty" << 3343 << "non è un database";
    QTest::newRow("no table") << "otherTable" << 3078 << "Tabella \"Tabella\" non trovata";
    QTest::newRow("missing field") << "missingField" << 3265 << "Campo \"Tono\"";
    QTest::newRow("too many rows") << "tooMany" << 6 << "più di 32767 righe";
}

void TestDataControl::refreshFailures() {
    QFETCH(QString, kind);
    QFETCH(int, number);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString file = dir.path() + "/DBGrafemi1.sqlite";
    if (kind == "garbage" || kind == "empty") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == "garbage")
            f.write(QByteArray(4096, 'x'));
    } else if (kind == "otherTable") {
        Fixture::writeSqlite(file, Fixture::sampleRows(3), "Altra");
    } else if (kind == "missingField") {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mf");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE Tabella (\"Nome file grafema\", Suoni, Filmati, "
                       "Significato, Sillaba, Note)"));
        q.finish();
        db.close();
    } else if (kind == "tooMany") {
        Fixture::writeSqlite(file, Fixture::sampleRows(32768));
    }
    if (kind == "missingField")
        QSqlDatabase::removeDatabase("mf");
    try {
        opened(dir.path());
        QFAIL("opened");
    } catch (const PlatformError& error) {
        QCOMPARE(error.number(), number);
        QVERIFY2(error.description().contains("DBGrafemi1"), qPrintable(error.description()));
        QVERIFY2(error.description().contains(cause), qPrintable(error.description()));
    }
}

void TestDataControl::fileNameCaseDoesNotMatter() {
    QTemporaryDir dir;
    Fixture::writeSqlite(dir.path() + "/dbgrafemi1.SQLITE", Fixture::sampleRows(2));
    QCOMPARE(opened(dir.path()).recordCount(), 2);
}

void TestDataControl::neverWritesTheFile() {
    QTemporaryDir dir;
    const QString file = dir.path() + "/DBGrafemi1.sqlite";
    Fixture::writeSqlite(file, Fixture::sampleRows(3));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile before(file);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    QCOMPARE(opened(dir.path()).recordCount(), 3);
    QFile after(file);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"DBGrafemi1.sqlite"});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
