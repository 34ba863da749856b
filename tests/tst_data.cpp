// The character table in both formats: the rows in their order with their
// NULLs, the record set over them, the Access password, and files that are
// not what they seem, answered by a message and never a crash.
#include "data/DataControl.h"
#include "data/Jet4Header.h"
#include "data/MdbTableLoader.h"
#include "fixture/TestApp.h"
#include "platform/FileSystemObject.h"
#include "platform/PlatformError.h"
#include "ui_FrmMain.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtEndian>

#include <cmath>
#include <cstring>

using Rows = std::vector<std::vector<FieldValue>>;

namespace {

const QString FixtureDir = QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb/");
constexpr int Page = Jet4::PageSize;
const QString Tabella = QStringLiteral("Tabella");

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Rows as text, one line each, "|" between fields and "∅" for NULL.
template <class Table> QStringList shown(const Table& rows) {
    QStringList lines;
    for (const auto& row : rows) {
        QStringList cells;
        for (const FieldValue& value : row)
            cells << value.value_or(QStringLiteral("∅"));
        lines << cells.join(u'|');
    }
    return lines;
}

// The rows read, or the error's description.
QStringList read(const QString& path, const QString& password, const QString& table,
                 const QStringList& columns) {
    try {
        return shown(MdbTableLoader::readTable(path, password, table, columns));
    } catch (const PlatformError& error) {
        return {error.description()};
    }
}

quint16 int16At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
void setInt16(QByteArray& bytes, qsizetype at, quint16 value) {
    qToLittleEndian(value, bytes.data() + at);
}
void setInt32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToLittleEndian(value, bytes.data() + at);
}

// Offset in the file of the row in slot `slot` of data page `page`.
qsizetype rowStart(const QByteArray& file, int page, int slot) {
    return qsizetype(page) * Page +
           (int16At(file, qsizetype(page) * Page + 14 + 2 * slot) & 0x1fff);
}

// The usage-map bitmap of the table defined on page `owner` (an in-row map
// that starts at page 0).
qsizetype bitmapOf(const QByteArray& file, int owner) {
    const quint32 mapRow = qFromLittleEndian<quint32>(file.constData() + owner * Page + 55);
    return rowStart(file, int(mapRow >> 8), int(mapRow & 0xff)) + 5;
}

// Appends data pages holding `count` copies of `row` for the table defined
// on page `owner`, marked in its usage map.
void appendRows(QByteArray& file, const QByteArray& row, int count, int owner) {
    const qsizetype map = bitmapOf(file, owner);
    const int perPage = (Page - 14) / int(row.size() + 2);
    for (; count > 0; count -= perPage) {
        const int here = std::min(count, perPage);
        const int pageNumber = int(file.size() / Page);
        QByteArray page(Page, '\0');
        page[0] = page[1] = 0x01;
        setInt32(page, 4, quint32(owner));
        setInt16(page, 0x0c, quint16(here));
        for (int i = 0; i < here; ++i) {
            const int start = Page - (i + 1) * int(row.size());
            setInt16(page, 0x0e + 2 * i, quint16(start));
            std::memcpy(page.data() + start, row.constData(), size_t(row.size()));
        }
        file += page;
        file[map + pageNumber / 8] = char(file[map + pageNumber / 8] | (1 << (pageNumber % 8)));
    }
}

// A page 0 as the engine writes it: the password masked with the creation
// date, then the whole header masked with the fixed stream.
QByteArray makeHeader(const char* engine, char version, const QString& password, double date) {
    QByteArray page(Page, '\0');
    page[1] = 0x01;
    std::memcpy(page.data() + 4, engine, std::strlen(engine));
    page[Jet4::VersionOffset] = version;
    qToLittleEndian(date, page.data() + Jet4::CreationDateOffset);
    // A date no 32-bit integer holds masks nothing.
    const qint32 mask = std::isfinite(date) && std::fabs(date) < 2e9 ? qint32(std::trunc(date)) : 0;
    unsigned char maskBytes[4];
    qToLittleEndian(mask, maskBytes);
    const QByteArray units(reinterpret_cast<const char*>(password.utf16()), password.size() * 2);
    for (int i = 0; i < Jet4::PasswordBytes; ++i)
        page[Jet4::PasswordOffset + i] = char((i < units.size() ? units[i] : 0) ^ maskBytes[i % 4]);
    return Jet4::unmaskHeader(page); // masking and unmasking are the same XOR
}

DataControl openTable(const QString& dir) {
    DataControl data;
    data.setDatabaseName(dir + "\\DBGrafemi1.mdb");
    data.setConnect("Access 2000;pwd=582317");
    data.setRecordSource(Tabella);
    data.refresh(FileSystemObject(dir));
    return data;
}

} // namespace

class TestData : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;
    int m_variants = 0;

    // `bytes` as a file of its own.
    QString variant(const QByteArray& bytes) {
        const QString path = m_temp.filePath(QString("variant%1.mdb").arg(++m_variants));
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(FixtureDir + "DBGrafemi1.mdb"))
            QSKIP("The Access test databases are not there (../shared/fixtures/mdb).");
    }

    // SQLite: rows in rowid order, NULL apart from empty text; the cursor
    // and the boxes bound to it.
    void sqliteRecordSet() {
        QTemporaryDir dir;
        auto rows = Fixture::sampleRows(5);
        rows[1].meaning.reset();
        rows[2].meaning = QString("");
        Fixture::writeSqlite(dir.path() + "/dbgrafemi1.SQLITE", rows); // any letter case
        DataControl data = openTable(dir.path());
        QString meaning = "untouched";
        data.bind(Field::Significato, [&](const QString& v) { meaning = v; });
        QCOMPARE(meaning, QString("significato 1")); // bound to the current row at once
        QCOMPARE(data.recordCount(), 5);
        data.moveLast();
        QCOMPARE(*data.field("Nome file grafema"), QString("g005"));
        QCOMPARE(meaning, QString("significato 5"));
        data.setAbsolutePosition(1);
        QCOMPARE(data.field(Field::Significato), FieldValue());
        QCOMPARE(*data.field("suoni"), QString("s002")); // field names ignore case
        QCOMPARE(*data.field(Field::Sillaba), QString("lü"));
        QCOMPARE(meaning, QString()); // a missing value shows as an empty box
        meaning = "changed by hand";
        data.refreshBound(Field::Significato);
        QCOMPARE(meaning, QString());
        data.setAbsolutePosition(2);
        QCOMPARE(data.field(Field::Significato), FieldValue(QString("")));
        for (int outside : {-1, 5}) {
            QVERIFY_THROWS_EXCEPTION(PlatformError, data.setAbsolutePosition(outside));
            QCOMPARE(data.absolutePosition(), 2); // the cursor stays where it stood
        }
        data.moveFirst();
        QCOMPARE(data.absolutePosition(), 0);
        QCOMPARE(*data.field(Field::Tono), QString("1"));
    }

    // The Access file wins over its SQLite copy; a folder by its name is no
    // database, and the copy serves.
    void whichFileServes() {
        QTemporaryDir dir;
        Fixture::writeSqlite(dir.path() + "/DBGrafemi1.sqlite", Fixture::sampleRows(40));
        QVERIFY(QDir().mkdir(dir.path() + "/DBGrafemi1.mdb"));
        QCOMPARE(openTable(dir.path()).recordCount(), 40);
        QVERIFY(QDir().rmdir(dir.path() + "/DBGrafemi1.mdb"));
        QVERIFY(QFile::copy(FixtureDir + "DBGrafemi1.mdb", dir.path() + "/dbgrafemi1.MDB"));
        const DataControl data = openTable(dir.path());
        QCOMPARE(data.recordCount(), 12);
        QCOMPARE(data.openedFile(), dir.path() + "/dbgrafemi1.MDB");
    }

    // What start-up says of a table it cannot open, word for word.
    void refused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("make"); // how the file is made
        QTest::addColumn<QString>("message");
        const QString notSqlite = "Il file non è un database riconosciuto.";
        QTest::newRow("no file") << ""
                                 << ""
                                 << "Il file non esiste (né la sua copia \"DBGrafemi1.sqlite\").";
        QTest::newRow("sqlite folder")
            << "DBGrafemi1.sqlite"
            << "folder"
            << "Il file non esiste (né la sua copia \"DBGrafemi1.sqlite\").";
        QTest::newRow("sqlite empty") << "DBGrafemi1.sqlite"
                                      << "empty" << notSqlite;
        QTest::newRow("sqlite text") << "DBGrafemi1.sqlite"
                                     << "text" << notSqlite;
        QTest::newRow("sqlite cut") << "DBGrafemi1.sqlite"
                                    << "cut" << notSqlite;
        QTest::newRow("sqlite other table") << "DBGrafemi1.sqlite"
                                            << "otherTable"
                                            << "Tabella \"Tabella\" non trovata.";
        QTest::newRow("sqlite missing field")
            << "DBGrafemi1.sqlite"
            << "noTone"
            << "Campo \"Tono\" non trovato nella tabella \"Tabella\".";
        QTest::newRow("sqlite too many rows") << "DBGrafemi1.sqlite"
                                              << "32768"
                                              << "La tabella \"Tabella\" ha più di 32767 righe.";
        QTest::newRow("mdb empty") << "DBGrafemi1.mdb"
                                   << "empty"
                                   << "Il file è vuoto: non è un database di Access.";
        QTest::newRow("mdb cut") << "DBGrafemi1.mdb"
                                 << "cut"
                                 << "Formato di database non riconosciuto: il file è troncato.";
        QTest::newRow("mdb text") << "DBGrafemi1.mdb"
                                  << "text"
                                  << "Formato di database non riconosciuto: il file non è un "
                                     "database di Access.";
        QTest::newRow("mdb of another program") << "DBGrafemi1.mdb"
                                                << "jackcess_emptyJet4.mdb"
                                                << "Tabella \"Tabella\" non trovata.";
        QTest::newRow("mdb with another password") << "DBGrafemi1.mdb"
                                                   << "mdbreader_password_V2000_with-password.mdb"
                                                   << "Password non valida.";
    }
    void refused() {
        QFETCH(QString, file);
        QFETCH(QString, make);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        const QByteArray real =
            file.endsWith(".mdb") ? bytesOf(FixtureDir + "DBGrafemi1.mdb") : QByteArray();
        if (make == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (make == "empty" || make == "text") {
            writeBytes(path, make == "text" ? QByteArray("ID;Nome\n1;g001\n").repeated(300) : "");
        } else if (make == "cut") {
            if (real.isEmpty())
                Fixture::writeSqlite(path, Fixture::sampleRows(2));
            writeBytes(path, (real.isEmpty() ? bytesOf(path) : real).left(24));
        } else if (make == "otherTable" || make == "32768") {
            Fixture::writeSqlite(path, Fixture::sampleRows(make == "32768" ? 32768 : 2),
                                 make == "32768" ? Tabella : "Altra");
        } else if (make == "noTone") {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "noTone");
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QVERIFY(QSqlQuery(db).exec("CREATE TABLE Tabella (\"Nome file grafema\", Suoni, "
                                           "Filmati, Significato, Sillaba, Note)"));
            }
            QSqlDatabase::removeDatabase("noTone");
        } else if (!make.isEmpty()) {
            QVERIFY(QFile::copy(FixtureDir + make, path));
        }
        const QString named = file.isEmpty() || make == "folder" ? "DBGrafemi1.mdb" : file;
        try {
            openTable(dir.path());
            QFAIL("opened");
        } catch (const PlatformError& error) {
            QCOMPARE(error.description(),
                     "Impossibile aprire il database:\n" + dir.filePath(named) + "\n\n" + message);
        }
    }

    // Page 0 of an Access file: each way it may not be a Jet 4 database,
    // and the password it holds.
    void header_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("outcome"); // "=" and the password, or the refusal
        const char* jet = "Standard Jet DB";
        const qint64 size = 10 * Page;
        const double date = 38575.997468078705;
        const QString format = "Formato di database non riconosciuto: il file ";
        const QString cut = format + "è troncato.",
                      foreign = format + "non è un database di Access.";
        auto row = [](const char* name, const QByteArray& page, qint64 fileSize,
                      const QString& given, const QString& outcome) {
            QTest::newRow(name) << page << fileSize << given << outcome;
        };
        row("no password, none given", makeHeader(jet, 1, {}, date), size, "", "=");
        row("no password, one given", makeHeader(jet, 1, {}, date), size, "x", "=");
        row("right password", makeHeader(jet, 1, "abc", date), size, "abc", "=abc");
        row("case matters", makeHeader(jet, 1, "abc", date), size, "ABC", "Password non valida.");
        row("twenty characters", makeHeader(jet, 1, "abcdefghij0123456789", date), size,
            "abcdefghij0123456789", "=abcdefghij0123456789");
        row("accented", makeHeader(jet, 1, "città€", date), size, "città€", "=città€");
        row("negative date", makeHeader(jet, 1, "pw", -1234.75), size, "pw", "=pw");
        row("date out of range", makeHeader(jet, 1, "pw", 1e300), size, "pw", "=pw");
        row("date not a number", makeHeader(jet, 1, "pw", std::nan("")), size, "pw", "=pw");
        row("jet 3", makeHeader(jet, 0, {}, date), size, "",
            format + "è un database di Access 97 (Jet 3), serve un database di Access 2000.");
        const QString ace =
            format + "è un database di Access 2007 o successivo, serve un database di Access 2000.";
        row("ace", makeHeader("Standard ACE DB", 3, {}, date), size, "", ace);
        row("jet name, later version", makeHeader(jet, 2, {}, date), size, "", ace);
        row("other engine", makeHeader("Standard Foo DB", 1, {}, date), size, "", foreign);
        QByteArray badSignature = makeHeader(jet, 1, {}, date);
        badSignature[1] = 0x02;
        row("bad signature", badSignature, size, "", foreign);
        row("empty", {}, 0, "", "Il file è vuoto: non è un database di Access.");
        row("half a page", makeHeader(jet, 1, {}, date).left(Page / 2), Page / 2, "", cut);
        row("two pages", makeHeader(jet, 1, {}, date), 2 * Page, "", cut);
        row("not whole pages", makeHeader(jet, 1, {}, date), size + 100, "", cut);
    }
    void header() {
        QFETCH(QByteArray, page);
        QFETCH(qint64, fileSize);
        QFETCH(QString, given);
        QFETCH(QString, outcome);
        QString got;
        try {
            const Jet4::Header header = Jet4::checkHeader(page, fileSize, given);
            QCOMPARE(header.version, Jet4::Version::Jet4);
            got = "=" + header.password;
        } catch (const PlatformError& e) {
            got = e.description();
        }
        QCOMPARE(got, outcome);
    }

    void accessPassword_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        const QString with = "mdbreader_password_V2000_with-password.mdb";
        QTest::newRow("grafemi right") << "DBGrafemi1.mdb"
                                       << "582317" << true;
        QTest::newRow("grafemi wrong digit") << "DBGrafemi1.mdb"
                                             << "582318" << false;
        QTest::newRow("grafemi longer") << "DBGrafemi1.mdb"
                                        << "5823170" << false;
        QTest::newRow("mdbreader right") << with << "password" << true;
        QTest::newRow("mdbreader case") << with << "Password" << false;
        QTest::newRow("unprotected, any") << "mdbreader_password_V2000_no-password.mdb"
                                          << "password" << true;
    }
    void accessPassword() {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        const QStringList got =
            read(FixtureDir + file, password, file.startsWith("DB") ? Tabella : "Table1", {});
        QCOMPARE(got.first() == "Password non valida.", !accepted);
        QCOMPARE(got.size(), accepted ? (file.startsWith("DB") ? 12 : 3) : 1);
    }

    // Real files: text compressed and plain, encoded pages, memos, yes/no,
    // NULLs, names without regard to case, rows in stored order.
    void accessRows_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("expected");
        QString allLatin1;
        for (char16_t c = 1; c <= 0xff; ++c)
            allLatin1 += QChar(c);
        QTest::newRow("rows left after deletions")
            << "jackcess_delTestV2000.mdb"
            << ""
            << "TABLE" << QStringList{"a", "B"} << QStringList{"z|y", "v|u"};
        QTest::newRow("unicode, compressed and plain")
            << "jackcess_testUnicodeCompV2003.mdb"
            << ""
            << "Table" << QStringList{"ID", "Unicode"}
            << QStringList{
                   "1|only ascii chars",
                   QString::fromUtf16(u"2|\u00e4\u00e4kk\u00f6si\u00e4"),
                   QString::fromUtf16(u"3|\u041c\u0438\u0440"),
                   QString::fromUtf16(u"4|\u03f0\u03b1\u1f76 \u03c4\u1f79\u03c4' "
                                      u"\u1f10\u03b3\u1f7c \u039a\u1f7b\u03f0\u03bb"
                                      u"\u03c9\u03c0\u03b1"),
                   QString::fromUtf16(u"5|\u6f22\u5b57\u4eee\u540d\u4ea4\u3058\u308a\u6587"),
                   QString::fromUtf16(u"6|3L9\x1d"
                                      u"52\x02_AB(\u00a5\x05!!V"),
                   QString::fromUtf16(u"7|\u00fcmlaut"),
                   "8|" + allLatin1};
        QTest::newRow("encoded pages") << "jackcessencrypt_db-enc.mdb"
                                       << ""
                                       << "Table1" << QStringList{"ID", "col1", "col2"}
                                       << QStringList{"1|hello|0", "2|world|42"};
        QTest::newRow("protected")
            << "mdbreader_password_V2000_with-password.mdb"
            << "password"
            << "Table1" << QStringList{"Data", "ID"} << QStringList{"One|1", "Two|2", "Three|3"};
        QTest::newRow("memo, NULLs, yes/no, currency symbol")
            << "jackcess_test2V2000.mdb"
            << ""
            << "MSP_PROJECTS"
            << QStringList{"PROJ_NAME",
                           "PROJ_PROP_COMPANY",
                           "PROJ_PROP_CATEGORY",
                           "PROJ_OPT_CURRENCY_SYMBOL",
                           "PROJ_OPT_CALC_ACT_COSTS",
                           "PROJ_VERSION"}
            << QStringList{"Project1|T|∅|£|Vero|∅"};
    }
    void accessRows() {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, expected);
        QCOMPARE(read(FixtureDir + file, password, table, columns), expected);
    }

    // The program's own table: the twelve rows in order, and the file left
    // as it was.
    void grafemiTable() {
        const QString path = variant(bytesOf(FixtureDir + "DBGrafemi1.mdb"));
        const QByteArray before = bytesOf(path);
        const QStringList expected{"g001|s001|f001|mamma, madre|ma|1|妈 (mā)",
                                   "g002|s002|f002|canapa|ma|2|麻 (má)",
                                   "g003|s003|f003|cavallo|ma|3|马 (mǎ)",
                                   "g004|s004|f004|sgridare, perché è arrabbiato|ma|4|骂 (mà)",
                                   "g005|s005|f005|particella interrogativa: è vero?|ma|5|吗 (ma)",
                                   "g006|s006|f006|verde|lü|4|绿 (lǜ)",
                                   "g007|s007|f007|asino|lü|2|驴 (lǘ)",
                                   "g008|∅|f008|viaggio: andare là|lü|3|旅 (lǚ)",
                                   "g009|s009|f009|∅|lü|3|铝 (lǚ)",
                                   "g010|s010|f010|legge, norma|lü|4|律 (lǜ)",
                                   "g011|s011|f011|città|cheng|2|城 (chéng)",
                                   "g012|s012|f012|più, ancora di più|geng|4|更 (gèng)"};
        const TableData data = MdbTableLoader().load(path, "582317", Tabella);
        QCOMPARE(shown(data.rows).join(u'\n'), expected.join(u'\n'));
        QCOMPARE(bytesOf(path), before);
    }

    void emptyTextIsNotNull() {
        // Row 1's "Note" becomes a present value of length zero: its start
        // moves to the end of the row's variable data.
        QByteArray bytes = bytesOf(FixtureDir + "DBGrafemi1.mdb");
        const qsizetype rowEnd = qsizetype(32) * Page;
        QCOMPARE(int16At(bytes, rowEnd - 17), quint16(44));
        setInt16(bytes, rowEnd - 17, int16At(bytes, rowEnd - 19));
        const TableData data = MdbTableLoader().load(variant(bytes), "582317", Tabella);
        QCOMPARE(data.rows[0][int(Field::Note)], FieldValue(QString("")));
        QCOMPARE(data.rows[0][int(Field::Tono)], FieldValue(QString("1妈 (mā)")));
    }

    // The first stored row's ID becomes 99: a table with a primary key
    // delivers it last, a table without one where it is stored.
    void primaryKeyOrder_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("ids");
        QTest::newRow("primary key")
            << "jackcess_testUnicodeCompV2003.mdb" << 55 << "2 3 4 5 6 7 8 99";
        QTest::newRow("no primary key") << "DBGrafemi1.mdb" << 31 << "99 2 3 4 5 6 7 8 9 10 11 12";
    }
    void primaryKeyOrder() {
        QFETCH(QString, file);
        QFETCH(int, page);
        QFETCH(QString, ids);
        QByteArray bytes = bytesOf(FixtureDir + file);
        const qsizetype id = rowStart(bytes, page, 0) + 2;
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + id), 1);
        setInt32(bytes, id, 99);
        QCOMPARE(read(variant(bytes), "582317", file.startsWith("DB") ? Tabella : "Table", {"ID"})
                     .join(u' '),
                 ids);
    }

    // The single-page memo of test2V2000; then as a chain of pages holding
    // more than libmdb's default buffer; then as two pages that point at each
    // other, which libmdb would walk for ever.
    void memos() {
        const QString file = FixtureDir + "jackcess_test2V2000.mdb";
        const QStringList single = read(file, {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"});
        QCOMPARE(single.size(), 1);
        QCOMPARE(single[0].size(), 348);
        QVERIFY(single[0].startsWith("Jon Iles this is a a vawesrasoih"));
        QVERIFY(single[0].endsWith("jflksjadf as"));

        const QByteArray original = bytesOf(file);
        const qsizetype memo = original.indexOf(QByteArray::fromHex("b8020040"), 60 * Page);
        QVERIFY(memo > 60 * Page && memo < 61 * Page);
        QString expected;
        for (int i = 0; i < 9000; ++i)
            expected += i % 100 == 99 ? QChar(u'è') : QChar(char16_t(0x4e00 + i % 500));
        QVERIFY(expected.toUtf8().size() > 16384);
        const QByteArray stored(reinterpret_cast<const char*>(expected.utf16()),
                                expected.size() * 2);
        constexpr int Chunk = 4000;
        QByteArray bytes = original;
        const int first = int(bytes.size() / Page);
        const int pages = int((stored.size() + Chunk - 1) / Chunk);
        for (int i = 0; i < pages; ++i) {
            const QByteArray part = stored.mid(qsizetype(i) * Chunk, Chunk);
            QByteArray page(Page, '\0');
            page[0] = page[1] = 0x01;
            setInt16(page, 0x0c, 1);
            const int start = Page - 4 - int(part.size());
            setInt16(page, 0x0e, quint16(start));
            setInt32(page, start, i + 1 < pages ? quint32(first + i + 1) << 8 : 0);
            std::memcpy(page.data() + start + 4, part.constData(), size_t(part.size()));
            bytes += page;
        }
        setInt32(bytes, memo, quint32(stored.size()));
        setInt32(bytes, memo + 4, quint32(first) << 8);
        QCOMPARE(read(variant(bytes), {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"}),
                 QStringList{expected});

        bytes = original;
        for (int i = 0; i < 2; ++i) {
            QByteArray page(Page, '\0');
            page[0] = 0x01;
            setInt16(page, 0x0c, 1);
            setInt16(page, 0x0e, Page - 4);
            setInt32(page, Page - 4, quint32(first + 1 - i) << 8);
            bytes += page;
        }
        setInt32(bytes, memo, 100);
        setInt32(bytes, memo + 4, quint32(first) << 8);
        QCOMPARE(read(variant(bytes), {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"}),
                 QStringList{"Formato di database non riconosciuto: il file è danneggiato o "
                             "troncato."});
    }

    void rowCountLimit_data() {
        QTest::addColumn<int>("added");
        QTest::newRow("as many rows as a count holds") << MaxRecordCount - 12;
        QTest::newRow("one more") << MaxRecordCount - 11;
    }
    void rowCountLimit() {
        QFETCH(int, added);
        // A row of "Tabella" with ID 7 and every text field NULL: column
        // count, ID, end of data and seven variable offsets (all 6), their
        // count, and the null mask with only the ID present.
        const QByteArray row = QByteArray::fromHex("0800070000000600") +
                               QByteArray::fromHex("0600").repeated(7) +
                               QByteArray::fromHex("070001");
        QByteArray bytes = bytesOf(FixtureDir + "DBGrafemi1.mdb");
        appendRows(bytes, row, added, 23);
        const QStringList got = read(variant(bytes), "582317", Tabella, {"Suoni", "Tono"});
        if (added + 12 > MaxRecordCount) {
            QCOMPARE(got, QStringList{"Overflow: la tabella \"Tabella\" ha più di 32767 righe."});
        } else {
            QCOMPARE(got.size(), MaxRecordCount);
            QCOMPARE(got[11] + " " + got[12], QString("s012|4 ∅|∅"));
        }
    }

    // The smallest set of damaged files that reaches each of the reader's
    // own refusals.
    void damaged_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        const QByteArray grafemi = bytesOf(FixtureDir + "DBGrafemi1.mdb");
        QCOMPARE(grafemi.size(), 33 * Page);
        const QString damaged =
            "Formato di database non riconosciuto: il file è danneggiato o troncato.";
        const qsizetype definition = 23 * Page;
        QTest::newRow("missing file")
            << m_temp.filePath("nowhere.mdb") << Tabella << "File non trovato.";
        QTest::newRow("folder") << m_temp.path() << Tabella << "Impossibile aprire il file.";
        QTest::newRow("cut before the table definition")
            << variant(grafemi.left(20 * Page)) << Tabella << damaged;
        QTest::newRow("cut before the data page")
            << variant(grafemi.left(31 * Page)) << Tabella << damaged;
        // With the catalog's index count at 620 million libmdb used to
        // allocate index after index without end.
        QByteArray catalogIndexes = grafemi;
        catalogIndexes[2 * Page + 50] = 0x25;
        QTest::newRow("catalog index count") << variant(catalogIndexes) << Tabella << damaged;
        QByteArray indexes = grafemi;
        setInt32(indexes, definition + 47, 0x10000000);
        QTest::newRow("index count") << variant(indexes) << Tabella << damaged;
        QByteArray columns = grafemi;
        setInt16(columns, definition + 45, 0x7fff);
        QTest::newRow("column count") << variant(columns) << Tabella << damaged;
        QByteArray mapPastEnd = grafemi;
        mapPastEnd[bitmapOf(grafemi, 23) + 4] = char(mapPastEnd[bitmapOf(grafemi, 23) + 4] | 2);
        QTest::newRow("data page one past the end") << variant(mapPastEnd) << Tabella << damaged;
        const QString empty = FixtureDir + "jackcess_emptyJet4.mdb";
        QTest::newRow("system tables are not user tables")
            << empty << "MSysObjects"
            << "Tabella \"MSysObjects\" non trovata.";
        QTest::newRow("missing field")
            << FixtureDir + "jackcess_delTestV2000.mdb"
            << "Table"
            << "Campo \"Nome file grafema\" non trovato nella tabella \"Table\".";
    }
    void damaged() {
        QFETCH(QString, path);
        QFETCH(QString, table);
        QFETCH(QString, message);
        QString said;
        try {
            MdbTableLoader().load(path, "582317", table);
        } catch (const PlatformError& e) {
            said = e.description();
        }
        QCOMPARE(said, message);
    }

    // The quiz over the Access table that a folder prepared on Windows holds.
    void quizOnAccessTable() {
        TestApp app(12);
        QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
        QVERIFY(QFile::copy(FixtureDir + "DBGrafemi1.mdb", app.path("DBGrafemi1.mdb")));
        QVERIFY(app.load());
        app.window->show();
        Ui::FrmMain& ui = app.ui();
        app.useTableOrder();
        // Record, typed syllable and tone, whether the tone is right, meaning.
        const std::tuple<int, const char*, const char*, bool, const char*> rows[] = {
            {0, "ma", "1", true, "mamma, madre"},
            {2, "ma", "1", false, "cavallo"},
            {5, "lv", "4", true, "verde"},
            {7, "lü", "3", true, "viaggio: andare là"},
            {8, "lu:", "3", true, ""},
            {11, "geng", "4", true, "più, ancora di più"}};
        for (const auto& [record, syllable, tone, right, meaning] : rows) {
            app.window->NumRec = record;
            app.newCharacter();
            QCOMPARE(app.position(), QString("N.  %1/225").arg(record + 1));
            QCOMPARE(app.window->signRec(), QString::fromUtf8(meaning));
            ui.TxtImmSill->setText(QString::fromUtf8(syllable));
            ui.TxtImmTn->setEditText(tone);
            QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
            QCOMPARE(ui.TxtSolSill->palette().color(QPalette::Base), QColor(0, 192, 0));
            QCOMPARE(ui.TxtSolTn->palette().color(QPalette::Base),
                     right ? QColor(0, 192, 0) : QColor(255, 0, 0));
            QCOMPARE(ui.TxtSolSign->toPlainText(), QString::fromUtf8(meaning));
            QVERIFY(ui.TxtNote->toPlainText().contains("("));
        }
        QCOMPARE(app.window->CountRec, 12);
        QVERIFY(app.platform.boxes.empty());
        app.window->NumRec = 7; // no sound in the table for this one
        app.newCharacter();
        QCOMPARE(app.window->percSuono(), app.dir.path() + "\\Suoni\\.MP3");
    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"
