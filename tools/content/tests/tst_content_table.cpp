// Reading and checking the character table.
#include "Table.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TstContentTable : public QObject {
    Q_OBJECT

private:
    QString writeTable(const QByteArray& text) {
        const QString path = m_dir.filePath("table.tsv");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(text);
        return path;
    }
    QTemporaryDir m_dir;

private slots:
    void pinyin_data() {
        QTest::addColumn<QString>("syllable");
        QTest::addColumn<bool>("valid");
        for (const char* ok :
             {"a",    "er",    "ai",   "de",   "wo",  "shi", "zhuang", "lü",   "nü",
              "lüe",  "ju",    "que",  "xuan", "yun", "yue", "you",    "ye",   "wu",
              "weng", "jiong", "mian", "chi",  "ri",  "ng",  "n",      "shei", "kuai"})
            QTest::newRow(ok) << QString::fromUtf8(ok) << true;
        for (const char* bad :
             {"",   "wö",  "Wo",  "wo3",  "lv", "jü", "qü", "zhü", "i",      "u",  "ü",
              "wi", "yi1", "ger", "shia", "ki", "x",  "bb", "wua", "zhiang", "yie"})
            QTest::newRow(bad) << QString::fromUtf8(bad) << false;
    }
    void pinyin() {
        QFETCH(QString, syllable);
        QFETCH(bool, valid);
        QCOMPARE(isValidPinyin(syllable), valid);
    }

    void speech_data() {
        QTest::addColumn<QString>("syllable");
        QTest::addColumn<int>("tone");
        QTest::addColumn<QString>("speech");
        QTest::newRow("plain") << "wo" << 3 << "wo3";
        QTest::newRow("u umlaut") << QString::fromUtf8("lü") << 4 << "lv4";
        QTest::newRow("u umlaut e") << QString::fromUtf8("nüe") << 4 << "nve4";
        QTest::newRow("neutral") << "de" << 5 << "de5";
        QTest::newRow("u after j stays") << "ju" << 1 << "ju1";
    }
    void speech() {
        QFETCH(QString, syllable);
        QFETCH(int, tone);
        QFETCH(QString, speech);
        QCOMPARE(speechText(syllable, tone), speech);
    }

    void readsColumnsByName() {
        // Columns in another order, with one extra column.
        const QString path =
            writeTable("film\tpicture\tsound\tn\textra\tchar\tsyllable\ttone\tmeaning\tnotes\n"
                       "f1\tp1\tlv3\t7\tx\t\xe5\x90\x95\tl\xc3\xbc\t3\tcognome\tHSK 6\n");
        QList<CharacterRow> rows;
        QString error;
        QVERIFY2(readCharacterTable(path, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 1);
        const CharacterRow& row = rows.first();
        QCOMPARE(row.n, 7);
        QCOMPARE(row.character, QString::fromUtf8("吕"));
        QCOMPARE(row.syllable, QString::fromUtf8("lü"));
        QCOMPARE(row.tone, 3);
        QCOMPARE(row.meaning, QStringLiteral("cognome"));
        QCOMPARE(row.notes, QStringLiteral("HSK 6"));
        QCOMPARE(row.picture, QStringLiteral("p1"));
        QCOMPARE(row.sound, QStringLiteral("lv3"));
        QCOMPARE(row.film, QStringLiteral("f1"));
    }

    void rejectsBadRows_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("message");
        QTest::newRow("tone 0") << QByteArray("1\t\xe6\x88\x91\two\t0\tio\t\tc1\two3\tc1")
                                << "tone";
        QTest::newRow("tone 6") << QByteArray("1\t\xe6\x88\x91\two\t6\tio\t\tc1\two3\tc1")
                                << "tone";
        QTest::newRow("tone text")
            << QByteArray("1\t\xe6\x88\x91\two\tx\tio\t\tc1\two3\tc1") << "tone";
        QTest::newRow("two characters")
            << QByteArray("1\t\xe6\x88\x91\xe6\x88\x91\two\t3\tio\t\tc1\two3\tc1") << "character";
        QTest::newRow("no character") << QByteArray("1\t\two\t3\tio\t\tc1\two3\tc1") << "character";
        QTest::newRow("tone in syllable")
            << QByteArray("1\t\xe6\x88\x91\tw\xc7\x92\t3\tio\t\tc1\two3\tc1") << "pinyin";
        QTest::newRow("path in file name")
            << QByteArray("1\t\xe6\x88\x91\two\t3\tio\t\t../c1\two3\tc1") << "file name";
        QTest::newRow("empty sound name")
            << QByteArray("1\t\xe6\x88\x91\two\t3\tio\t\tc1\t\tc1") << "file name";
        QTest::newRow("short row") << QByteArray("1\t\xe6\x88\x91\two\t3") << "columns";
        QTest::newRow("row number")
            << QByteArray("uno\t\xe6\x88\x91\two\t3\tio\t\tc1\two3\tc1") << "number";
    }
    void rejectsBadRows() {
        QFETCH(QByteArray, row);
        QFETCH(QString, message);
        const QString path =
            writeTable("n\tchar\tsyllable\ttone\tmeaning\tnotes\tpicture\tsound\tfilm\n"
                       "1\t\xe4\xbd\xa0\tni\t3\ttu\t\tc0\tni3\tc0\n" +
                       row + "\n");
        QList<CharacterRow> rows;
        QString error;
        QVERIFY(!readCharacterTable(path, &rows, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(":3:"), qPrintable(error)); // names the line
    }

    void rejectsMissingColumnAndFile() {
        QList<CharacterRow> rows;
        QString error;
        const QString path = writeTable("n\tchar\tsyllable\ttone\tmeaning\tnotes\tpicture\tsound\n"
                                        "1\t\xe4\xbd\xa0\tni\t3\ttu\t\tc0\tni3\n");
        QVERIFY(!readCharacterTable(path, &rows, &error));
        QVERIFY2(error.contains("\"film\""), qPrintable(error));
        QVERIFY(!readCharacterTable(m_dir.filePath("absent.tsv"), &rows, &error));
        QVERIFY2(error.contains("absent.tsv"), qPrintable(error));
    }

    // The demo table that the builder turns into the shipped folder.
    void demoTable() {
        const QString path = QStringLiteral(TAVORIN_CHARACTER_TABLE);
        if (!QFile::exists(path))
            QSKIP("content/characters.tsv is not there yet");
        QList<CharacterRow> rows;
        QString error;
        // The reader checks tones, syllables and one character per row.
        QVERIFY2(readCharacterTable(path, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 500);
        QSet<QString> characters;
        for (int i = 0; i < rows.size(); ++i) {
            const CharacterRow& row = rows[i];
            QCOMPARE(row.n, i + 1);
            QVERIFY2(!characters.contains(row.character), qPrintable(row.character));
            characters.insert(row.character);
            QVERIFY2(!row.meaning.isEmpty(), qPrintable(QString::number(row.n)));
            QVERIFY(row.tone >= 1 && row.tone <= 5);
            QVERIFY2(isValidPinyin(row.syllable), qPrintable(row.syllable));
            QCOMPARE(row.sound, speechText(row.syllable, row.tone));
        }
    }
};

QTEST_GUILESS_MAIN(TstContentTable)
#include "tst_content_table.moc"
