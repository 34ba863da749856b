#include "data/Jet4Header.h"
#include "data/MdbTableLoader.h"
#include "platform/PlatformError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <random>

using Rows = std::vector<std::vector<FieldValue>>;
Q_DECLARE_METATYPE(Rows)

namespace {

const QString FixtureDir = QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb");
constexpr int Page = Jet4::PageSize;

QString fixture(const QString& name) {
    return FixtureDir + QLatin1Char('/') + name;
}

QByteArray fixtureBytes(const QString& name) {
    QFile file(fixture(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

FieldValue text(const char16_t* value) {
    return QString::fromUtf16(value);
}
const FieldValue Null;

QStringList sevenFields() {
    return {QStringLiteral("Nome file grafema"),
            QStringLiteral("Suoni"),
            QStringLiteral("Filmati"),
            QStringLiteral("Significato"),
            QStringLiteral("Sillaba"),
            QStringLiteral("Tono"),
            QStringLiteral("Note")};
}

QString describe(const Rows& rows) {
    QStringList lines;
    for (const auto& row : rows) {
        QStringList cells;
        for (const FieldValue& value : row)
            cells << (value ? QLatin1Char('"') + *value + QLatin1Char('"')
                            : QStringLiteral("NULL"));
        lines << cells.join(QLatin1Char(','));
    }
    return lines.join(QLatin1Char('\n'));
}

// What a read gave: rows, or the error number and description.
struct Outcome {
    Rows rows;
    int error = 0;
    QString description;
};

Outcome readRows(const QString& path, const QString& password, const QString& table,
                 const QStringList& columns) {
    Outcome outcome;
    try {
        outcome.rows = MdbTableLoader::readTable(path, password, table, columns);
    } catch (const PlatformError& error) {
        outcome.error = error.number();
        outcome.description = error.description();
    }
    return outcome;
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

// Appends data pages holding `count` copies of `row` for the table whose
// definition is on page `owner`, and marks them in the table's usage map (an
// in-row bitmap that starts at page 0).
void appendRows(QByteArray& file, const QByteArray& row, int count, int owner) {
    const quint32 mapRow =
        qFromLittleEndian<quint32>(file.constData() + qsizetype(owner) * Page + 55);
    const qsizetype map = rowStart(file, int(mapRow >> 8), int(mapRow & 0xff));
    if (file[map] != 0 || qFromLittleEndian<quint32>(file.constData() + map + 1) != 0)
        qFatal("unexpected usage map");
    const int perPage = (Page - 14) / int(row.size() + 2);
    while (count > 0) {
        const int here = std::min(count, perPage);
        const int pageNumber = int(file.size() / Page);
        QByteArray page(Page, '\0');
        page[0] = 0x01;
        page[1] = 0x01;
        setInt32(page, 4, quint32(owner));
        setInt16(page, 0x0c, quint16(here));
        for (int i = 0; i < here; ++i) {
            const int start = Page - (i + 1) * int(row.size());
            setInt16(page, 0x0e + 2 * i, quint16(start));
            std::memcpy(page.data() + start, row.constData(), size_t(row.size()));
        }
        file += page;
        file[map + 5 + pageNumber / 8] =
            char(file[map + 5 + pageNumber / 8] | (1 << (pageNumber % 8)));
        count -= here;
    }
}

// A page 0 as the engine writes it, built field by field.
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
    for (int i = 0; i < Jet4::PasswordBytes; ++i) {
        const char plain = i < units.size() ? units[i] : '\0';
        page[Jet4::PasswordOffset + i] = char(plain ^ maskBytes[i % 4]);
    }
    // Masking and unmasking are the same XOR with the same stream.
    return Jet4::unmaskHeader(page);
}

constexpr char JetEngine[] = "Standard Jet DB";
constexpr char AceEngine[] = "Standard ACE DB";

} // namespace

class TestMdbLoader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    int m_variants = 0;

    // Writes `bytes` to a new file in the temporary folder.
    QString variant(const QByteArray& bytes) {
        const QString path = m_temp.filePath(QStringLiteral("variant%1.mdb").arg(++m_variants));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() {
        if (!QDir(FixtureDir).exists())
            QSKIP("The Access test databases are not there (../shared/fixtures/mdb).");
        QVERIFY(m_temp.isValid());
    }

    void header_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<QString>("given");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("stored");

        const qint64 size = 10 * Page;
        const double date = 38575.997468078705;
        QTest::newRow("no password, none given")
            << makeHeader(JetEngine, 1, {}, date) << size << QString() << 0 << QString();
        QTest::newRow("no password, one given")
            << makeHeader(JetEngine, 1, {}, date) << size << QStringLiteral("x") << 0 << QString();
        QTest::newRow("right password")
            << makeHeader(JetEngine, 1, QStringLiteral("abc"), date) << size
            << QStringLiteral("abc") << 0 << QStringLiteral("abc");
        QTest::newRow("case matters")
            << makeHeader(JetEngine, 1, QStringLiteral("abc"), date) << size
            << QStringLiteral("ABC") << PlatformError::WrongPassword << QStringLiteral("abc");
        QTest::newRow("all twenty characters")
            << makeHeader(JetEngine, 1, QStringLiteral("abcdefghij0123456789"), date) << size
            << QStringLiteral("abcdefghij0123456789") << 0
            << QStringLiteral("abcdefghij0123456789");
        QTest::newRow("accented") << makeHeader(JetEngine, 1, QStringLiteral("città€"), date)
                                  << size << QStringLiteral("città€") << 0
                                  << QStringLiteral("città€");
        QTest::newRow("negative date") << makeHeader(JetEngine, 1, QStringLiteral("pw"), -1234.75)
                                       << size << QStringLiteral("pw") << 0 << QStringLiteral("pw");
        QTest::newRow("date out of range")
            << makeHeader(JetEngine, 1, QStringLiteral("pw"), 1e300) << size << QStringLiteral("pw")
            << 0 << QStringLiteral("pw");
        QTest::newRow("date not a number")
            << makeHeader(JetEngine, 1, QStringLiteral("pw"), std::nan("")) << size
            << QStringLiteral("pw") << 0 << QStringLiteral("pw");

        const int refused = PlatformError::NotADatabase;
        QTest::newRow("jet 3") << makeHeader(JetEngine, 0, {}, date) << size << QString() << refused
                               << QString();
        QTest::newRow("ace") << makeHeader(AceEngine, 3, {}, date) << size << QString() << refused
                             << QString();
        QTest::newRow("jet name, later version")
            << makeHeader(JetEngine, 2, {}, date) << size << QString() << refused << QString();
        QTest::newRow("other engine") << makeHeader("Standard Foo DB", 1, {}, date) << size
                                      << QString() << refused << QString();
        QByteArray badSignature = makeHeader(JetEngine, 1, {}, date);
        badSignature[1] = 0x02;
        QTest::newRow("bad signature") << badSignature << size << QString() << refused << QString();
        QTest::newRow("empty") << QByteArray() << qint64(0) << QString() << refused << QString();
        QTest::newRow("half a page") << makeHeader(JetEngine, 1, {}, date).left(Page / 2)
                                     << qint64(Page / 2) << QString() << refused << QString();
        QTest::newRow("two pages") << makeHeader(JetEngine, 1, {}, date) << qint64(2 * Page)
                                   << QString() << refused << QString();
        QTest::newRow("not whole pages")
            << makeHeader(JetEngine, 1, {}, date) << qint64(10 * Page + 100) << QString() << refused
            << QString();
    }

    void header() {
        QFETCH(QByteArray, page);
        QFETCH(qint64, fileSize);
        QFETCH(QString, given);
        QFETCH(int, error);
        QFETCH(QString, stored);

        int thrown = 0;
        try {
            const Jet4::Header header = Jet4::checkHeader(page, fileSize, given);
            QCOMPARE(header.version, Jet4::Version::Jet4);
            QCOMPARE(header.password, stored);
        } catch (const PlatformError& e) {
            thrown = e.number();
            QVERIFY(!e.description().isEmpty());
        }
        QCOMPARE(thrown, error);
    }

    void fixturePassword_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");

        const QString grafemi = QStringLiteral("DBGrafemi1.mdb");
        const QString with = QStringLiteral("mdbreader_password_V2000_with-password.mdb");
        const QString without = QStringLiteral("mdbreader_password_V2000_no-password.mdb");
        QTest::newRow("grafemi right") << grafemi << "Tabella"
                                       << "582317" << true;
        QTest::newRow("grafemi none") << grafemi << "Tabella"
                                      << "" << false;
        QTest::newRow("grafemi wrong digit") << grafemi << "Tabella"
                                             << "582318" << false;
        QTest::newRow("grafemi longer") << grafemi << "Tabella"
                                        << "5823170" << false;
        QTest::newRow("mdbreader right") << with << "Table1"
                                         << "password" << true;
        QTest::newRow("mdbreader case") << with << "Table1"
                                        << "Password" << false;
        QTest::newRow("mdbreader none") << with << "Table1"
                                        << "" << false;
        QTest::newRow("unprotected, none") << without << "Table1"
                                           << "" << true;
        QTest::newRow("unprotected, any") << without << "Table1"
                                          << "password" << true;
        QTest::newRow("unprotected template") << "jackcess_delTestV2000.mdb"
                                              << "Table"
                                              << "582317" << true;
    }

    void fixturePassword() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QString, password);
        QFETCH(bool, accepted);

        const Outcome outcome = readRows(fixture(file), password, table, {});
        QCOMPARE(outcome.error, accepted ? 0 : PlatformError::WrongPassword);
        if (!accepted)
            QCOMPARE(outcome.description, QStringLiteral("Password non valida."));
        else
            QVERIFY(!outcome.rows.empty());
    }

    void fixtureRows_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<Rows>("expected");

        QTest::newRow("rows left after deletions, in stored order")
            << "jackcess_delTestV2000.mdb"
            << ""
            << "Table" << QStringList{"a", "b"}
            << Rows{{text(u"z"), text(u"y")}, {text(u"v"), text(u"u")}};
        QTest::newRow("names without regard to case")
            << "jackcess_delTestV2000.mdb"
            << ""
            << "TABLE" << QStringList{"B"} << Rows{{text(u"y")}, {text(u"u")}};

        QString allLatin1;
        for (char16_t c = 1; c <= 0xff; ++c)
            allLatin1 += QChar(c);
        QTest::newRow("unicode, compressed and plain")
            << "jackcess_testUnicodeCompV2003.mdb"
            << ""
            << "Table" << QStringList{"ID", "Unicode"}
            << Rows{{text(u"1"), text(u"only ascii chars")},
                    {text(u"2"), text(u"\u00e4\u00e4kk\u00f6si\u00e4")},
                    {text(u"3"), text(u"\u041c\u0438\u0440")},
                    {text(u"4"), text(u"\u03f0\u03b1\u1f76 \u03c4\u1f79\u03c4' \u1f10\u03b3\u1f7c "
                                      u"\u039a\u1f7b\u03f0\u03bb\u03c9\u03c0\u03b1")},
                    {text(u"5"), text(u"\u6f22\u5b57\u4eee\u540d\u4ea4\u3058\u308a\u6587")},
                    {text(u"6"), text(u"3L9\x1d"
                                      u"52\x02_AB(\u00a5\x05!!V")},
                    {text(u"7"), text(u"\u00fcmlaut")},
                    {text(u"8"), allLatin1}};
        QTest::newRow("encoded pages") << "jackcessencrypt_db-enc.mdb"
                                       << ""
                                       << "Table1" << QStringList{"ID", "col1", "col2"}
                                       << Rows{{text(u"1"), text(u"hello"), text(u"0")},
                                               {text(u"2"), text(u"world"), text(u"42")}};
        QTest::newRow("protected") << "mdbreader_password_V2000_with-password.mdb"
                                   << "password"
                                   << "Table1" << QStringList{"Data", "ID"}
                                   << Rows{{text(u"One"), text(u"1")},
                                           {text(u"Two"), text(u"2")},
                                           {text(u"Three"), text(u"3")}};
        QTest::newRow("memo in row, NULL memos, yes/no, currency symbol")
            << "jackcess_test2V2000.mdb"
            << ""
            << "MSP_PROJECTS"
            << QStringList{"PROJ_NAME",
                           "PROJ_PROP_COMPANY",
                           "PROJ_PROP_CATEGORY",
                           "PROJ_OPT_CURRENCY_SYMBOL",
                           "PROJ_OPT_CALC_ACT_COSTS",
                           "PROJ_VERSION"}
            << Rows{{text(u"Project1"), text(u"T"), Null, text(u"\u00a3"), text(u"Vero"), Null}};
    }

    void fixtureRows() {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(Rows, expected);

        const Outcome outcome = readRows(fixture(file), password, table, columns);
        QCOMPARE(outcome.description, QString());
        QVERIFY2(outcome.rows == expected, qPrintable(describe(outcome.rows)));
    }

    void grafemiTable() {
        const QString path = variant(fixtureBytes(QStringLiteral("DBGrafemi1.mdb")));
        const QByteArray before =
            QCryptographicHash::hash(fixtureBytes("DBGrafemi1.mdb"), QCryptographicHash::Sha256);
        const TableData data =
            MdbTableLoader().load(path, QStringLiteral("582317"), QStringLiteral("Tabella"));

        const Rows expected = {
            {text(u"g001"), text(u"s001"), text(u"f001"), text(u"mamma, madre"), text(u"ma"),
             text(u"1"), text(u"\u5988 (m\u0101)")},
            {text(u"g002"), text(u"s002"), text(u"f002"), text(u"canapa"), text(u"ma"), text(u"2"),
             text(u"\u9ebb (m\u00e1)")},
            {text(u"g003"), text(u"s003"), text(u"f003"), text(u"cavallo"), text(u"ma"), text(u"3"),
             text(u"\u9a6c (m\u01ce)")},
            {text(u"g004"), text(u"s004"), text(u"f004"),
             text(u"sgridare, perch\u00e9 \u00e8 arrabbiato"), text(u"ma"), text(u"4"),
             text(u"\u9a82 (m\u00e0)")},
            {text(u"g005"), text(u"s005"), text(u"f005"),
             text(u"particella interrogativa: \u00e8 vero?"), text(u"ma"), text(u"5"),
             text(u"\u5417 (ma)")},
            {text(u"g006"), text(u"s006"), text(u"f006"), text(u"verde"), text(u"l\u00fc"),
             text(u"4"), text(u"\u7eff (l\u01dc)")},
            {text(u"g007"), text(u"s007"), text(u"f007"), text(u"asino"), text(u"l\u00fc"),
             text(u"2"), text(u"\u9a74 (l\u01d8)")},
            {text(u"g008"), Null, text(u"f008"), text(u"viaggio: andare l\u00e0"), text(u"l\u00fc"),
             text(u"3"), text(u"\u65c5 (l\u01da)")},
            {text(u"g009"), text(u"s009"), text(u"f009"), Null, text(u"l\u00fc"), text(u"3"),
             text(u"\u94dd (l\u01da)")},
            {text(u"g010"), text(u"s010"), text(u"f010"), text(u"legge, norma"), text(u"l\u00fc"),
             text(u"4"), text(u"\u5f8b (l\u01dc)")},
            {text(u"g011"), text(u"s011"), text(u"f011"), text(u"citt\u00e0"), text(u"cheng"),
             text(u"2"), text(u"\u57ce (ch\u00e9ng)")},
            {text(u"g012"), text(u"s012"), text(u"f012"), text(u"pi\u00f9, ancora di pi\u00f9"),
             text(u"geng"), text(u"4"), text(u"\u66f4 (g\u00e8ng)")},
        };
        Rows actual;
        for (const Row& row : data.rows)
            actual.emplace_back(row.begin(), row.end());
        QVERIFY2(actual == expected, qPrintable(describe(actual)));

        QFile copy(path);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(QCryptographicHash::hash(copy.readAll(), QCryptographicHash::Sha256), before);
    }

    void emptyTextIsNotNull() {
        // Row 1's "Note" becomes a present value of length zero: its start
        // moves to the end of the row's variable data.
        QByteArray bytes = fixtureBytes(QStringLiteral("DBGrafemi1.mdb"));
        const qsizetype row = rowStart(bytes, 31, 0);
        const qsizetype rowEnd = qsizetype(31 + 1) * Page;
        const qsizetype noteOffset = rowEnd - 1 - 2 - 2 * 7;
        const qsizetype endOfData = rowEnd - 1 - 2 - 2 * 8;
        QCOMPARE(int16At(bytes, noteOffset), quint16(44));
        QCOMPARE(row + int16At(bytes, endOfData) + 19, rowEnd);
        setInt16(bytes, noteOffset, int16At(bytes, endOfData));

        const TableData data = MdbTableLoader().load(variant(bytes), QStringLiteral("582317"),
                                                     QStringLiteral("Tabella"));
        QCOMPARE(data.rows.size(), size_t(12));
        const FieldValue& note = data.rows[0][int(Field::Note)];
        QVERIFY(note.has_value());
        QCOMPARE(*note, QString());
        QCOMPARE(data.rows[0][int(Field::Tono)], text(u"1\u5988 (m\u0101)"));
        QCOMPARE(data.rows[7][int(Field::Suoni)], Null);
        QCOMPARE(data.rows[8][int(Field::Significato)], Null);
    }

    void primaryKeyOrder_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("expectedIds");

        // The first stored row's ID becomes 99: a table with a primary key
        // delivers it last, a table without one where it is stored.
        QTest::newRow("primary key") << "jackcess_testUnicodeCompV2003.mdb" << 55
                                     << QStringList{"2", "3", "4", "5", "6", "7", "8", "99"};
        QTest::newRow("no primary key")
            << "DBGrafemi1.mdb" << 31
            << QStringList{"99", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    }

    void primaryKeyOrder() {
        QFETCH(QString, file);
        QFETCH(int, page);
        QFETCH(QStringList, expectedIds);

        QByteArray bytes = fixtureBytes(file);
        const qsizetype id = rowStart(bytes, page, 0) + 2;
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + id), 1);
        setInt32(bytes, id, 99);

        const QString table = file.startsWith(QLatin1String("DB")) ? "Tabella" : "Table";
        const Outcome outcome = readRows(variant(bytes), "582317", table, {"ID"});
        QCOMPARE(outcome.description, QString());
        QStringList ids;
        for (const auto& row : outcome.rows)
            ids << row[0].value_or(QStringLiteral("NULL"));
        QCOMPARE(ids, expectedIds);
    }

    void longMemo() {
        // The single-page memo of test2V2000 becomes a chain of pages
        // appended to the file, holding more text than libmdb's default
        // buffer (16 KiB) takes.
        QByteArray bytes = fixtureBytes(QStringLiteral("jackcess_test2V2000.mdb"));
        const qsizetype memo = bytes.indexOf(QByteArray::fromHex("b8020040"), 60 * Page);
        QVERIFY(memo > 60 * Page && memo < 61 * Page);

        QString expected;
        for (int i = 0; i < 9000; ++i)
            expected += i % 100 == 99 ? QChar(u'\u00e8') : QChar(char16_t(0x4e00 + i % 500));
        const QByteArray stored(reinterpret_cast<const char*>(expected.utf16()),
                                expected.size() * 2);
        QVERIFY(expected.toUtf8().size() > 16384);

        constexpr int Chunk = 4000;
        const int firstPage = int(bytes.size() / Page);
        const int pages = int((stored.size() + Chunk - 1) / Chunk);
        for (int i = 0; i < pages; ++i) {
            const QByteArray part = stored.mid(qsizetype(i) * Chunk, Chunk);
            QByteArray page(Page, '\0');
            page[0] = 0x01;
            page[1] = 0x01;
            setInt16(page, 0x0c, 1);
            const int start = Page - 4 - int(part.size());
            setInt16(page, 0x0e, quint16(start));
            setInt32(page, start, i + 1 < pages ? quint32(firstPage + i + 1) << 8 : 0);
            std::memcpy(page.data() + start + 4, part.constData(), size_t(part.size()));
            bytes += page;
        }
        setInt32(bytes, memo, quint32(stored.size()));
        setInt32(bytes, memo + 4, quint32(firstPage) << 8);

        const Outcome outcome = readRows(variant(bytes), {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"});
        QCOMPARE(outcome.description, QString());
        QCOMPARE(outcome.rows.size(), size_t(1));
        QVERIFY(outcome.rows[0][0].has_value());
        QCOMPARE(outcome.rows[0][0]->size(), expected.size());
        QCOMPARE(*outcome.rows[0][0], expected);
    }

    void singlePageMemo() {
        const Outcome outcome =
            readRows(fixture("jackcess_test2V2000.mdb"), {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"});
        QCOMPARE(outcome.rows.size(), size_t(1));
        const QString memo = outcome.rows[0][0].value_or(QString());
        QCOMPARE(memo.size(), 348);
        QVERIFY(memo.startsWith(QLatin1String("Jon Iles this is a a vawesrasoih")));
        QVERIFY(memo.endsWith(QLatin1String("jflksjadf as")));
    }

    void loopingMemoChain() {
        // Two empty memo pages that point at each other: libmdb would walk
        // them for ever.
        QByteArray bytes = fixtureBytes(QStringLiteral("jackcess_test2V2000.mdb"));
        const qsizetype memo = bytes.indexOf(QByteArray::fromHex("b8020040"), 60 * Page);
        QVERIFY(memo > 60 * Page && memo < 61 * Page);
        const int firstPage = int(bytes.size() / Page);
        for (int i = 0; i < 2; ++i) {
            QByteArray page(Page, '\0');
            page[0] = 0x01;
            setInt16(page, 0x0c, 1);
            setInt16(page, 0x0e, Page - 4);
            setInt32(page, Page - 4, quint32(firstPage + 1 - i) << 8);
            bytes += page;
        }
        setInt32(bytes, memo, 100);
        setInt32(bytes, memo + 4, quint32(firstPage) << 8);

        const Outcome outcome = readRows(variant(bytes), {}, "MSP_PROJECTS", {"PROJ_PROP_AUTHOR"});
        QCOMPARE(outcome.error, PlatformError::NotADatabase);
    }

    void zeroRows() {
        QByteArray bytes = fixtureBytes(QStringLiteral("DBGrafemi1.mdb"));
        QCOMPARE(int16At(bytes, 31 * Page + 0x0c), quint16(12));
        setInt16(bytes, 31 * Page + 0x0c, 0);
        const TableData data = MdbTableLoader().load(variant(bytes), QStringLiteral("582317"),
                                                     QStringLiteral("Tabella"));
        QVERIFY(data.rows.empty());
    }

    void rowCountLimit_data() {
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("error");
        QTest::newRow("as many rows as a count holds") << MaxRecordCount - 12 << 0;
        QTest::newRow("one more") << MaxRecordCount - 11 << PlatformError::Overflow;
    }

    void rowCountLimit() {
        QFETCH(int, added);
        QFETCH(int, error);

        // A row of "Tabella" with ID 7 and every text field NULL: column
        // count, ID, end of data and seven variable offsets (all 6), their
        // count, and the null mask with only the ID present.
        QByteArray row = QByteArray::fromHex("0800070000000600");
        row += QByteArray::fromHex("0600").repeated(7);
        row += QByteArray::fromHex("070001");
        QByteArray bytes = fixtureBytes(QStringLiteral("DBGrafemi1.mdb"));
        appendRows(bytes, row, added, 23);

        int thrown = 0;
        size_t count = 0;
        try {
            const TableData data = MdbTableLoader().load(variant(bytes), QStringLiteral("582317"),
                                                         QStringLiteral("Tabella"));
            count = data.rows.size();
            QCOMPARE(data.rows[12][int(Field::Suoni)], Null);
            QCOMPARE(data.rows[11][int(Field::Suoni)], text(u"s012"));
        } catch (const PlatformError& e) {
            thrown = e.number();
            QCOMPARE(e.description(),
                     QStringLiteral("Overflow: la tabella \"Tabella\" ha più di 32767 righe."));
        }
        QCOMPARE(thrown, error);
        QCOMPARE(count, error ? size_t(0) : size_t(MaxRecordCount));
    }

    void refused_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");

        const QByteArray grafemi = fixtureBytes(QStringLiteral("DBGrafemi1.mdb"));
        QVERIFY(grafemi.size() == 33 * Page);
        const QString tabella = QStringLiteral("Tabella");
        const int refused = PlatformError::NotADatabase;
        const QString truncated =
            QStringLiteral("Formato di database non riconosciuto: il file è troncato.");
        const QString damaged = QStringLiteral(
            "Formato di database non riconosciuto: il file è danneggiato o troncato.");

        QTest::newRow("missing file")
            << m_temp.filePath("nowhere.mdb") << tabella << PlatformError::FileNotFound
            << QStringLiteral("File non trovato.");
        QTest::newRow("folder") << m_temp.path() << tabella << PlatformError::CannotOpenDatabase
                                << QStringLiteral("Impossibile aprire il file.");
        QTest::newRow("empty") << variant({}) << tabella << refused
                               << QStringLiteral("Il file è vuoto: non è un database di Access.");
        QTest::newRow("not an access file")
            << variant(QByteArray("ID;Nome file grafema\n1;g001\n").repeated(2000)) << tabella
            << refused
            << QStringLiteral(
                   "Formato di database non riconosciuto: il file non è un database di Access.");
        QByteArray jet3 = grafemi;
        jet3[Jet4::VersionOffset] = 0;
        QTest::newRow("jet 3") << variant(jet3) << tabella << refused
                               << QStringLiteral("Formato di database non riconosciuto: il file è "
                                                 "un database di Access 97 (Jet 3), serve un "
                                                 "database di Access 2000.");
        QByteArray ace = grafemi;
        std::memcpy(ace.data() + 4, AceEngine, sizeof AceEngine);
        QTest::newRow("ace") << variant(ace) << tabella << refused
                             << QStringLiteral("Formato di database non riconosciuto: il file è "
                                               "un database di Access 2007 o successivo, serve "
                                               "un database di Access 2000.");
        QTest::newRow("cut inside a page")
            << variant(grafemi.left(20 * Page + 100)) << tabella << refused << truncated;
        QTest::newRow("cut before the table definition")
            << variant(grafemi.left(20 * Page)) << tabella << refused << damaged;
        QTest::newRow("cut before the data page")
            << variant(grafemi.left(31 * Page)) << tabella << refused << damaged;
        // Table definitions whose counts or pages do not fit the file. With
        // the catalog's index count at 620 million libmdb used to allocate
        // index after index without end.
        const qsizetype definition = 23 * Page;
        QByteArray catalogIndexes = grafemi;
        catalogIndexes[2 * Page + 50] = 0x25;
        QTest::newRow("catalog index count")
            << variant(catalogIndexes) << tabella << refused << damaged;
        QByteArray indexes = grafemi;
        setInt32(indexes, definition + 47, 0x10000000);
        QTest::newRow("index count") << variant(indexes) << tabella << refused << damaged;
        QByteArray columns = grafemi;
        setInt16(columns, definition + 45, 0x7fff);
        QTest::newRow("column count") << variant(columns) << tabella << refused << damaged;
        QByteArray mapPastEnd = grafemi;
        const quint32 mapRow = qFromLittleEndian<quint32>(grafemi.constData() + definition + 55);
        const qsizetype bitmap = rowStart(grafemi, int(mapRow >> 8), int(mapRow & 0xff)) + 5;
        mapPastEnd[bitmap + 33 / 8] = char(mapPastEnd[bitmap + 33 / 8] | (1 << (33 % 8)));
        QTest::newRow("data page one past the end")
            << variant(mapPastEnd) << tabella << refused << damaged;
        QTest::newRow("no such table")
            << fixture("jackcess_emptyJet4.mdb") << tabella << PlatformError::TableNotFound
            << QStringLiteral("Tabella \"Tabella\" non trovata.");
        QTest::newRow("system tables are not user tables")
            << fixture("jackcess_emptyJet4.mdb") << "MSysObjects" << PlatformError::TableNotFound
            << QStringLiteral("Tabella \"MSysObjects\" non trovata.");
        QTest::newRow("missing field")
            << fixture("jackcess_delTestV2000.mdb") << "Table" << PlatformError::ItemNotFound
            << QStringLiteral("Campo \"Nome file grafema\" non trovato nella tabella \"Table\".");
    }

    void refused() {
        QFETCH(QString, path);
        QFETCH(QString, table);
        QFETCH(int, error);
        QFETCH(QString, description);

        int thrown = 0;
        QString said;
        try {
            MdbTableLoader().load(path, QStringLiteral("582317"), table);
        } catch (const PlatformError& e) {
            thrown = e.number();
            said = e.description();
        }
        QCOMPARE(said, description);
        QCOMPARE(thrown, error);
    }

    void damagedBytes() {
        // Bytes changed at random in the catalog, the table definition and
        // the data page: every read ends with rows or a PlatformError.
        const QByteArray original = fixtureBytes(QStringLiteral("DBGrafemi1.mdb"));
        std::mt19937 random(20261206);
        const int pages[] = {2, 14, 23, 31};
        int read = 0;
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = original;
            const int changes = 1 + int(random() % 16);
            for (int i = 0; i < changes; ++i)
                bytes[pages[random() % 4] * Page + random() % Page] = char(random() & 0xff);
            const Outcome outcome = readRows(variant(bytes), "582317", "Tabella", sevenFields());
            if (outcome.error == 0)
                ++read;
            else
                QVERIFY2(!outcome.description.isEmpty(), qPrintable(QString::number(round)));
            QFile::remove(m_temp.filePath(QStringLiteral("variant%1.mdb").arg(m_variants)));
        }
        QVERIFY(read > 0);
    }
};

QTEST_GUILESS_MAIN(TestMdbLoader)
#include "tst_mdb_loader.moc"
