// SPDX-License-Identifier: GPL-3.0-or-later
#include "Table.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextStream>

namespace {

// Standard pinyin finals; after j, q, x and y the ü is written u, which the
// second pattern accepts.
const QString kInitials = QStringLiteral("(?:zh|ch|sh|[bpmfdtnlgkhjqxrzcsyw])?");
const QString kFinals = QStringLiteral(
    "(?:iang|iong|uang|ang|eng|ing|ong|ian|iao|uai|uan|üan|ai|ei|ao|ou|an|en|in|un|ün|"
    "ia|ie|iu|ua|uo|ui|üe|ue|er|a|o|e|i|u|ü)");

// Which initials a final (other than after y and w) may follow.
bool initialFits(const QString& initial, const QString& final) {
    if (initial.isEmpty()) // vowel-initial syllables: a, o, e, er and their kin
        return !final.startsWith('i') && !final.startsWith('u') && !final.contains(QChar(0xFC));
    if (final.contains(QChar(0xFC)))
        return initial == "n" || initial == "l";
    if (final == "er")
        return false;
    const bool palatal = initial == "j" || initial == "q" || initial == "x";
    if (palatal) // their ü is written u
        return final.startsWith('i') || final.startsWith('u');
    if (final == "i")
        return initial.size() > 1 || QStringLiteral("bpmdtnlrzcs").contains(initial);
    if (final.startsWith('i'))
        return initial.size() == 1 && QStringLiteral("bpmdtnl").contains(initial);
    return true;
}

} // namespace

bool isValidPinyin(const QString& syllable) {
    static const QRegularExpression pattern(QStringLiteral("^(%1)(%2)$").arg(kInitials, kFinals),
                                            QRegularExpression::UseUnicodePropertiesOption);
    // Interjections that have no vowel.
    if (syllable == "n" || syllable == "ng" || syllable == "m" || syllable == "hm")
        return true;
    const auto match = pattern.match(syllable);
    if (!match.hasMatch())
        return false;
    QString initial = match.captured(1);
    const QString final = match.captured(2);
    if (initial == "w")
        return final == "a" || final == "o" || final == "ai" || final == "ei" || final == "an" ||
               final == "en" || final == "ang" || final == "eng" || final == "u";
    if (initial == "y")
        return final == "a" || final == "o" || final == "e" || final == "ao" || final == "ou" ||
               final == "an" || final == "ang" || final == "i" || final == "in" || final == "ing" ||
               final == "ong" || final == "u" || final == "ue" || final == "uan" || final == "un";
    return initialFits(initial, final);
}

QString speechText(const QString& syllable, int tone) {
    QString text = syllable;
    text.replace(QChar(0xFC), QLatin1Char('v'));
    return text + QString::number(tone);
}

bool readCharacterTable(const QString& path, QList<CharacterRow>* rows, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read the table %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    const QStringList header = in.readLine().split('\t');
    static const QStringList wanted = {"n",     "char",    "syllable", "tone", "meaning",
                                       "notes", "picture", "sound",    "film"};
    QHash<QString, int> column;
    for (const QString& name : wanted) {
        const int index = header.indexOf(name);
        if (index < 0) {
            *error = QStringLiteral("%1: the header has no column \"%2\"").arg(path, name);
            return false;
        }
        column.insert(name, index);
    }

    rows->clear();
    int lineNumber = 1;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.trimmed().isEmpty())
            continue;
        const QStringList cells = line.split('\t');
        auto fail = [&](const QString& why) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(lineNumber).arg(why);
            return false;
        };
        if (cells.size() < header.size())
            return fail(QStringLiteral("%1 columns, the header has %2")
                            .arg(cells.size())
                            .arg(header.size()));
        auto cell = [&](const char* name) { return cells.at(column.value(name)).trimmed(); };
        CharacterRow row;
        bool numberOk = false;
        row.n = cell("n").toInt(&numberOk);
        row.character = cell("char");
        row.syllable = cell("syllable");
        bool toneOk = false;
        row.tone = cell("tone").toInt(&toneOk);
        row.meaning = cell("meaning");
        row.notes = cell("notes");
        row.picture = cell("picture");
        row.sound = cell("sound");
        row.film = cell("film");
        if (!numberOk)
            return fail(QStringLiteral("row number \"%1\" is not a number").arg(cell("n")));
        if (row.character.toUcs4().size() != 1)
            return fail(QStringLiteral("\"%1\" is not one character").arg(row.character));
        if (!isValidPinyin(row.syllable))
            return fail(QStringLiteral("\"%1\" is not a pinyin syllable").arg(row.syllable));
        if (!toneOk || row.tone < 1 || row.tone > 5)
            return fail(QStringLiteral("tone \"%1\" is not 1-5").arg(cell("tone")));
        static const QRegularExpression fileName(QStringLiteral("^[A-Za-z0-9_-]+$"));
        for (const QString* name : {&row.picture, &row.sound, &row.film})
            if (!fileName.match(*name).hasMatch())
                return fail(
                    QStringLiteral("file name \"%1\" must be letters, digits, _ or -").arg(*name));
        rows->append(row);
    }
    if (rows->isEmpty()) {
        *error = QStringLiteral("%1: the table has no rows").arg(path);
        return false;
    }
    return true;
}
