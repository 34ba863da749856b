// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// One row of the character table as the builder reads it from the TSV file.
struct CharacterRow {
    int n = 0;
    QString character;
    QString syllable; // toneless pinyin, ü written as ü
    int tone = 0;     // 1-4, 5 for the neutral tone
    QString meaning;
    QString notes;
    QString picture; // base names of the three media files
    QString sound;
    QString film;
};

// Whether `syllable` is a toneless Mandarin syllable (initial + final, ü as ü).
bool isValidPinyin(const QString& syllable);

// What the speech synthesiser is asked to say: the syllable with ü as v and the
// tone number, e.g. "lv4".
QString speechText(const QString& syllable, int tone);

// Reads a tab-separated table whose first line names the columns n, char,
// syllable, tone, meaning, notes, picture, sound, film (any order, extra columns
// ignored). Every row is checked; the first fault ends the read with a message
// that names the line.
bool readCharacterTable(const QString& path, QList<CharacterRow>* rows, QString* error);
