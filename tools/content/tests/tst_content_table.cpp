// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and checking the character table.
#include "Table.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TstContentTable : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // `rows` under `header`, read back: the reader's error, or nothing.
    QString read(const QByteArray& header, const QByteArray& rows) {
        const QString path = m_dir.filePath("table.tsv");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return "cannot write";
        file.write(header + '\n' + rows + '\n');
        file.close();
        QList<CharacterRow> parsed;
        QString error;
        return readCharacterTable(path, &parsed, &error) ? QString() : error;
    }

private slots:
    void pinyin() {
        for (const char* ok :
             {"a",   "er", "lü",   "nü",    "lüe", "ju", "que", "xuan", "yun",  "yue",
              "you", "wu", "weng", "jiong", "chi", "ri", "ng",  "n",    "shei", "kuai"})
            QVERIFY2(isValidPinyin(QString::fromUtf8(ok)), ok);
        for (const char* bad : {"", "wö", "Wo", "wo3", "lv", "jü", "zhü", "i", "ü", "wi", "ger",
                                "shia", "ki", "bb", "wua", "zhiang", "yie"})
            QVERIFY2(!isValidPinyin(QString::fromUtf8(bad)), bad);
    }

    // Each bad row is refused, naming its line.
    void rejectsBadRows_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, const char* row, const char* message) {
            QTest::newRow(name) << QByteArray(row) << QString(message);
        };
        row("tone 0", "1\t我\two\t0\tio\t\tc1\two3\tc1", "tone");
        row("tone 6", "1\t我\two\t6\tio\t\tc1\two3\tc1", "tone");
        row("two characters", "1\t我我\two\t3\tio\t\tc1\two3\tc1", "character");
        row("tone in syllable", "1\t我\twǒ\t3\tio\t\tc1\two3\tc1", "pinyin");
        row("path in file name", "1\t我\two\t3\tio\t\t../c1\two3\tc1", "file name");
        row("empty sound name", "1\t我\two\t3\tio\t\tc1\t\tc1", "file name");
        row("short row", "1\t我\two\t3", "columns");
        row("row number", "uno\t我\two\t3\tio\t\tc1\two3\tc1", "number");
    }
    void rejectsBadRows() {
        QFETCH(QByteArray, row);
        QFETCH(QString, message);
        const QString error = read("n\tchar\tsyllable\ttone\tmeaning\tnotes\tpicture\tsound\tfilm",
                                   "1\t你\tni\t3\ttu\t\tc0\tni3\tc0\n" + row);
        QVERIFY2(error.contains(message) && error.contains(":3:"), qPrintable(error));
    }

    void rejectsMissingColumn() {
        QVERIFY(read("n\tchar\tsyllable\ttone\tmeaning\tnotes\tpicture\tsound", "")
                    .contains("\"film\""));
    }

    // The demo table that the builder turns into the shipped folder: the
    // reader's checks, numbering, no character twice, every meaning given.
    void demoTable() {
        QList<CharacterRow> rows;
        QString error;
        QVERIFY2(readCharacterTable(TAVORIN_CHARACTER_TABLE, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 500);
        QSet<QString> characters;
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].n, i + 1);
            QVERIFY2(!characters.contains(rows[i].character), qPrintable(rows[i].character));
            characters.insert(rows[i].character);
            QVERIFY2(!rows[i].meaning.isEmpty(), qPrintable(rows[i].character));
            QCOMPARE(rows[i].sound, speechText(rows[i].syllable, rows[i].tone));
        }
    }
};

QTEST_GUILESS_MAIN(TstContentTable)
#include "tst_content_table.moc"
