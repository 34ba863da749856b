// SPDX-License-Identifier: GPL-3.0-or-later
// The character table in both formats: the rows in their order with their
// NULLs, the record set over them, the Access password, and files that are
// not what they seem, answered by a message and never a crash.
#include "data/DataControl.h"
#include "data/Jet4Header.h"
#include "data/MdbTableLoader.h"
#include "fixture/TestApp.h"
#include "platform/FileSystemObject.h"
#include "platform/PlatformError.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

#include <sqlite3.h>

namespace {

const QString Fixtures = QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb/");
constexpr int Page = Jet4::PageSize;
const QString Damaged = "Formato di database non riconosciuto: il file è danneggiato o troncato.";

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
QString written(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Rows as lines, "|" between fields and "∅" for NULL; or the error's text.
template <class Read> QStringList rowsOr(Read read) {
    try {
        QStringList lines;
        for (const auto& row : read()) {
            QStringList cells;
            for (const FieldValue& value : row)
                cells << value.value_or(QStringLiteral("∅"));
            lines << cells.join(u'|');
        }
        return lines;
    } catch (const PlatformError& error) {
        return {error.description()};
    }
}
QStringList read(const QString& path, const QString& table, const QStringList& columns,
                 const QString& password = "582317") {
    return rowsOr([&] { return MdbTableLoader::readTable(path, password, table, columns); });
}

void setInt(QByteArray& bytes, qsizetype at, quint32 value, int size = 4) {
    size == 2 ? qToLittleEndian(quint16(value), bytes.data() + at)
              : qToLittleEndian(value, bytes.data() + at);
}
// Offset in the file of the row in slot `slot` of data page `page`.
qsizetype rowStart(const QByteArray& file, int page, int slot) {
    return qsizetype(page) * Page +
           (qFromLittleEndian<quint16>(file.constData() + page * Page + 14 + 2 * slot) & 0x1fff);
}
// The usage-map bitmap of the table defined on page `owner`.
qsizetype bitmapOf(const QByteArray& file, int owner) {
    const quint32 mapRow = qFromLittleEndian<quint32>(file.constData() + owner * Page + 55);
    return rowStart(file, int(mapRow >> 8), int(mapRow & 0xff)) + 5;
}
// A data page holding `rows` appended to `file`; for the table defined on
// page `owner`, marked in its usage map too.
void appendPage(QByteArray& file, const QList<QByteArray>& rows, int owner = 0) {
    QByteArray page(Page, '\0');
    page[0] = page[1] = 0x01;
    setInt(page, 4, quint32(owner));
    setInt(page, 0x0c, quint32(rows.size()), 2);
    int start = Page;
    for (int i = 0; i < rows.size(); ++i) {
        start -= int(rows[i].size());
        setInt(page, 0x0e + 2 * i, quint32(start), 2);
        std::memcpy(page.data() + start, rows[i].constData(), size_t(rows[i].size()));
    }
    if (owner)
        file[bitmapOf(file, owner) + file.size() / Page / 8] |= char(1 << (file.size() / Page % 8));
    file += page;
}

// A page 0 as the engine writes it: the password masked with the creation
// date, then the whole header masked with the fixed stream.
QByteArray page0(const char* engine, char version, const QString& password, double date) {
    QByteArray page(Page, '\0');
    page[1] = 0x01;
    std::memcpy(page.data() + 4, engine, std::strlen(engine));
    page[Jet4::VersionOffset] = version;
    qToLittleEndian(date, page.data() + Jet4::CreationDateOffset);
    // A date no 32-bit integer holds masks nothing.
    const qint32 mask = std::isfinite(date) && std::fabs(date) < 2e9 ? qint32(std::trunc(date)) : 0;
    const QByteArray units(reinterpret_cast<const char*>(password.utf16()), password.size() * 2);
    for (int i = 0; i < Jet4::PasswordBytes; ++i)
        page[Jet4::PasswordOffset + i] =
            char((i < units.size() ? units[i] : 0) ^ (mask >> 8 * (i % 4)));
    return Jet4::unmaskHeader(page); // masking and unmasking are the same XOR
}

DataControl openTable(const QString& dir) {
    DataControl data;
    data.setDatabaseName(dir + "\\DBGrafemi1.mdb");
    data.setConnect("Access 2000;pwd=582317");
    data.setRecordSource("Tabella");
    data.refresh(FileSystemObject(dir));
    return data;
}

} // namespace

class TestData : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;
    QByteArray m_grafemi; // the program's own table as Access keeps it
    int m_variants = 0;

    QString variant(const QByteArray& bytes) {
        return written(m_temp.filePath(QString("v%1.mdb").arg(++m_variants)), bytes);
    }

    // test2V2000's one-page memo moved to a chain of pages appended to the
    // file, one part on each, the last pointing nowhere or back to the first.
    QString memoOver(const QList<QByteArray>& parts, qint64 length, bool loop = false) {
        QByteArray bytes = bytesOf(Fixtures + "jackcess_test2V2000.mdb");
        const qsizetype memo = bytes.indexOf(QByteArray::fromHex("b8020040"), 60 * Page);
        const int first = int(bytes.size() / Page);
        for (int i = 0; i < parts.size(); ++i) {
            QByteArray link(4, '\0');
            setInt(link, 0, quint32(i + 1 < parts.size() ? first + i + 1 : loop * first) << 8);
            appendPage(bytes, {link + parts[i]});
        }
        setInt(bytes, memo, quint32(length));
        setInt(bytes, memo + 4, quint32(first) << 8);
        return read(variant(bytes), "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"}).value(0);
    }

private slots:
    void initTestCase() {
        m_grafemi = bytesOf(Fixtures + "DBGrafemi1.mdb");
        if (m_grafemi.isEmpty())
            QSKIP("The Access test databases are not there (../shared/fixtures/mdb).");
    }

    // SQLite: rows in rowid order, NULL apart from empty text; the cursor
    // and the boxes bound to it. A table being edited: rows committed into
    // the log of a writer that keeps the file open are read, and the data
    // folder is left as it was. Then an Access file beside it wins.
    void sqliteRecordSet() {
        QTemporaryDir dir;
        auto rows = Fixture::sampleRows(5);
        rows[1].meaning.reset();
        rows[2].meaning = QString("");
        const QString path = dir.filePath("dbgrafemi1.SQLITE"); // any letter case
        Fixture::writeSqlite(path, rows);
        DataControl data = openTable(dir.path());
        QString meaning = "untouched";
        data.bind(Field::Significato, [&](const QString& v) { meaning = v; });
        QCOMPARE(meaning, QString("significato 1")); // bound to the current row at once
        data.moveLast();
        QCOMPARE(data.recordCount(), 5);
        QCOMPARE(*data.field("Nome file grafema") + meaning, QString("g005significato 5"));
        data.setAbsolutePosition(1);
        QCOMPARE(*data.field("suoni") + *data.field(Field::Sillaba), QString("s002lü"));
        QCOMPARE(data.field(Field::Significato), FieldValue());
        QCOMPARE(meaning, QString()); // a missing value shows as an empty box
        meaning = "changed by hand";
        data.refreshBound(Field::Significato);
        QCOMPARE(meaning, QString());
        data.setAbsolutePosition(2);
        QCOMPARE(data.field(Field::Significato), FieldValue(QString("")));
        for (int outside : {-1, 5})
            QVERIFY_THROWS_EXCEPTION(PlatformError, data.setAbsolutePosition(outside));
        QCOMPARE(data.absolutePosition(), 2); // the cursor stays where it stood
        data.moveFirst();
        QCOMPARE(*data.field(Field::Tono), QString("1"));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(qPrintable(path), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION SELECT i+1 FROM n "
                              "WHERE i<10) INSERT INTO Tabella SELECT i,'g','s','f','x','y',"
                              "'1','' FROM n;",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        const auto listing = [&] {
            QStringList files;
            for (const QFileInfo& file : QDir(dir.path()).entryInfoList(QDir::Files))
                files << file.fileName() + QString::number(file.size()) +
                             file.lastModified().toString(Qt::ISODateWithMs);
            return files;
        };
        const QStringList before = listing();
        QCOMPARE(openTable(dir.path()).recordCount(), 15);
        QCOMPARE(listing(), before);
        sqlite3_close(db);
        written(dir.path() + "/dbgrafemi1.MDB", m_grafemi);
        data.refresh(FileSystemObject(dir.path()));
        QCOMPARE(data.openedFile() + QString::number(data.recordCount()),
                 dir.path() + "/dbgrafemi1.MDB12");
    }

    // What start-up says of a table it cannot open, word for word.
    void refused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // "rows:N in T": SQLite rows
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("number");
        const QString absent = "Il file non esiste (né la sua copia \"DBGrafemi1.sqlite\").";
        const QString notSqlite = "Il file non è un database riconosciuto.";
        const QString format = "Formato di database non riconosciuto: il file ";
        const QString sqlite = "DBGrafemi1.sqlite", mdb = "DBGrafemi1.mdb";
        auto row = [](const char* name, const QString& file, const QByteArray& bytes,
                      const QString& message,
                      int number) { QTest::newRow(name) << file << bytes << message << number; };
        row("no file", mdb, {}, absent, 53);
        row("sqlite empty", sqlite, "", notSqlite, 3343);
        row("sqlite cut", sqlite, QByteArray("SQLite format 3\0", 16) + "\x10\0\1\1", notSqlite,
            3343);
        row("sqlite other table", sqlite, "rows:2 in Altra", "Tabella \"Tabella\" non trovata.",
            3078);
        row("sqlite missing field", sqlite, "no tone",
            "Campo \"Tono\" non trovato nella tabella \"Tabella\".", 3265);
        row("sqlite too many rows", sqlite, "rows:32768 in Tabella",
            "La tabella \"Tabella\" ha più di 32767 righe.", 6);
        row("mdb cut", mdb, m_grafemi.left(24), format + "è troncato.", 3343);
        row("mdb of another program", mdb, bytesOf(Fixtures + "jackcess_emptyJet4.mdb"),
            "Tabella \"Tabella\" non trovata.", 3078);
        row("mdb with another password", mdb,
            bytesOf(Fixtures + "mdbreader_password_V2000_with-password.mdb"),
            "Password non valida.", 3031);
    }
    void refused() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(int, number);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        if (bytes.startsWith("rows:")) {
            const QList<QByteArray> words = bytes.mid(5).split(' ');
            Fixture::writeSqlite(path, Fixture::sampleRows(words[0].toInt()), words[2]);
        } else if (bytes == "no tone") {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(qPrintable(path), &db), SQLITE_OK);
            sqlite3_exec(db,
                         "CREATE TABLE Tabella (\"Nome file grafema\", Suoni, Filmati, "
                         "Significato, Sillaba, Note)",
                         nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else if (QTest::currentDataTag() != QByteArray("no file")) {
            written(path, bytes);
        }
        try {
            openTable(dir.path());
            QFAIL("opened");
        } catch (const PlatformError& error) {
            QCOMPARE(error.description(),
                     "Impossibile aprire il database:\n" + path + "\n\n" + message);
            QCOMPARE(error.number(), number);
        }
    }

    // Page 0 of an Access file: each way it may not be a Jet 4 database,
    // and the password it holds.
    void header_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("outcome"); // "=" and the password, or the refusal
        const char* jet = "Standard Jet DB";
        const double date = 38575.997468078705;
        const QString format = "Formato di database non riconosciuto: il file ";
        const QString ace = format + "è un database di Access 2007 o successivo, serve un database "
                                     "di Access 2000.";
        auto row = [](const char* name, const QByteArray& page, const QString& given,
                      const QString& outcome, qint64 size = 10 * Page) {
            QTest::newRow(name) << page << size << given << outcome;
        };
        row("no password, none given", page0(jet, 1, {}, date), "", "=");
        row("no password, one given", page0(jet, 1, {}, date), "x", "=");
        row("right password", page0(jet, 1, "città€", date), "città€", "=città€");
        row("case matters", page0(jet, 1, "abc", date), "ABC", "Password non valida.");
        row("date out of range", page0(jet, 1, "pw", 1e300), "pw", "=pw");
        row("date not a number", page0(jet, 1, "pw", std::nan("")), "pw", "=pw");
        row("jet 3", page0(jet, 0, {}, date), "",
            format + "è un database di Access 97 (Jet 3), serve un database di Access 2000.");
        row("ace", page0("Standard ACE DB", 3, {}, date), "", ace);
        row("jet name, later version", page0(jet, 2, {}, date), "", ace);
        row("other engine", page0("Standard Foo DB", 1, {}, date), "",
            format + "non è un database di Access.");
        QByteArray badSignature = page0(jet, 1, {}, date);
        badSignature[1] = 0x02;
        row("bad signature", badSignature, "", format + "non è un database di Access.");
        row("empty", {}, "", "Il file è vuoto: non è un database di Access.", 0);
        row("two pages", page0(jet, 1, {}, date), "", format + "è troncato.", 2 * Page);
        row("not whole pages", page0(jet, 1, {}, date), "", format + "è troncato.", Page * 10 + 1);
    }
    void header() {
        QFETCH(QByteArray, page);
        QFETCH(qint64, size);
        QFETCH(QString, given);
        QFETCH(QString, outcome);
        try {
            const Jet4::Header header = Jet4::checkHeader(page, size, given);
            QCOMPARE(header.version, Jet4::Version::Jet4);
            QCOMPARE("=" + header.password, outcome);
        } catch (const PlatformError& e) {
            QCOMPARE(e.description(), outcome);
        }
    }

    // The program's own table: the twelve rows in order, the file untouched.
    // Other real files: names without regard to case, rows in stored order, a
    // memo, yes/no, NULLs. The first stored row's ID made 99: a table with a
    // primary key delivers it last, one without where it is stored. A memo
    // longer than libmdb's own buffer (16 KiB) comes whole.
    void accessRows() {
        const QString path = variant(m_grafemi);
        QCOMPARE(rowsOr([&] { return MdbTableLoader().load(path, "582317", "Tabella").rows; }),
                 QStringList(
                     {"g001|s001|f001|mamma, madre|ma|1|妈 (mā)",
                      "g002|s002|f002|canapa|ma|2|麻 (má)", "g003|s003|f003|cavallo|ma|3|马 (mǎ)",
                      "g004|s004|f004|sgridare, perché è arrabbiato|ma|4|骂 (mà)",
                      "g005|s005|f005|particella interrogativa: è vero?|ma|5|吗 (ma)",
                      "g006|s006|f006|verde|lü|4|绿 (lǜ)", "g007|s007|f007|asino|lü|2|驴 (lǘ)",
                      "g008|∅|f008|viaggio: andare là|lü|3|旅 (lǚ)",
                      "g009|s009|f009|∅|lü|3|铝 (lǚ)", "g010|s010|f010|legge, norma|lü|4|律 (lǜ)",
                      "g011|s011|f011|città|cheng|2|城 (chéng)",
                      "g012|s012|f012|più, ancora di più|geng|4|更 (gèng)"}));
        QCOMPARE(bytesOf(path), m_grafemi);
        // Each reading lets go of every file it opened.
        const uint handles = QDir("/proc/self/fd").count();
        for (int i = 0; i < 20; ++i)
            read(path, "Tabella", {"Tono"});
        QCOMPARE(QDir("/proc/self/fd").count(), handles);
        // Row 1's "Note" made a present value of length zero.
        QByteArray bytes = m_grafemi;
        bytes.replace(32 * Page - 17, 2, bytes.mid(32 * Page - 19, 2));
        QCOMPARE(read(variant(bytes), "Tabella", {"Tono", "Note"}).first(), QString("1妈 (mā)|"));
        QCOMPARE(read(Fixtures + "jackcess_delTestV2000.mdb", "TABLE", {"a", "B"}),
                 QStringList({"z|y", "v|u"}));
        QCOMPARE(read(Fixtures + "jackcess_test2V2000.mdb", "MSP_PROJECTS",
                      {"PROJ_NAME", "PROJ_PROP_CATEGORY", "PROJ_OPT_CURRENCY_SYMBOL",
                       "PROJ_OPT_CALC_ACT_COSTS"}),
                 QStringList{"Project1|∅|£|Vero"});
        for (const auto& [file, page, table, ids] :
             {std::tuple{"jackcess_testUnicodeCompV2003.mdb", 55, "Table", "2 3 4 5 6 7 8 99"},
              {"DBGrafemi1.mdb", 31, "Tabella", "99 2 3 4 5 6 7 8 9 10 11 12"}}) {
            QByteArray keyed = bytesOf(Fixtures + file);
            setInt(keyed, rowStart(keyed, page, 0) + 2, 99);
            QCOMPARE(read(variant(keyed), table, {"ID"}).join(u' '), QString(ids));
        }
        QString text;
        for (int i = 0; i < 9000; ++i)
            text += QChar(char16_t(0x4e00 + i % 500));
        const QByteArray stored(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QList<QByteArray> parts;
        for (int at = 0; at < stored.size(); at += 4000)
            parts << stored.mid(at, 4000);
        QCOMPARE(memoOver(parts, stored.size()), text);
    }

    // The smallest set of damaged files that reaches each of the reader's
    // own refusals.
    void damaged() {
        const qsizetype definition = 23 * Page;
        QByteArray catalogIndexes = m_grafemi, indexes = m_grafemi, columns = m_grafemi,
                   mapPastEnd = m_grafemi;
        // With the catalog's index count at 620 million libmdb used to
        // allocate index after index without end.
        catalogIndexes[2 * Page + 50] = 0x25;
        setInt(indexes, definition + 47, 0x10000000);
        setInt(columns, definition + 45, 0x7fff, 2);
        mapPastEnd[bitmapOf(m_grafemi, 23) + 4] |= 2; // page 33, one past the end
        const std::pair<QString, QString> cases[] = {
            {m_temp.filePath("nowhere.mdb"), "File non trovato."},
            {m_temp.path(), "Impossibile aprire il file."},
            {variant(m_grafemi.left(20 * Page)), Damaged}, // no table definition
            {variant(m_grafemi.left(31 * Page)), Damaged}, // no data page
            {variant(catalogIndexes), Damaged},
            {variant(indexes), Damaged},
            {variant(columns), Damaged},
            {variant(mapPastEnd), Damaged}};
        // A memo whose two pages point at each other: libmdb would walk them
        // for ever.
        QCOMPARE(memoOver({"", ""}, 100, true), Damaged);
        for (const auto& [path, message] : cases)
            QCOMPARE(read(path, "Tabella", {"Sillaba"}), QStringList{message});
        QCOMPARE(read(Fixtures + "jackcess_emptyJet4.mdb", "MSysObjects", {}),
                 QStringList{"Tabella \"MSysObjects\" non trovata."});
        QCOMPARE(read(Fixtures + "jackcess_delTestV2000.mdb", "Table", {"Tono"}),
                 QStringList{"Campo \"Tono\" non trovato nella tabella \"Table\"."});
        // 32767 rows are read; one more is refused.
        // A row of "Tabella" with ID 7 and every text field NULL: column
        // count, ID, end of data and seven variable offsets, their count and
        // the null mask with only the ID present.
        const QByteArray row =
            QByteArray::fromHex("08000700000006000600060006000600060006000600070001");
        QByteArray bytes = m_grafemi;
        for (int left = MaxRecordCount - 12; left > 0; left -= 150)
            appendPage(bytes, QList<QByteArray>(std::min(left, 150), row), 23);
        const QStringList all = read(variant(bytes), "Tabella", {"Suoni", "Tono"});
        QCOMPARE(all.size(), MaxRecordCount);
        QCOMPARE(all[11] + " " + all[12], QString("s012|4 ∅|∅"));
        appendPage(bytes, {row}, 23);
        QCOMPARE(read(variant(bytes), "Tabella", {"Suoni"}),
                 QStringList{"Overflow: la tabella \"Tabella\" ha più di 32767 righe."});
    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"
