// SPDX-License-Identifier: GPL-3.0-or-later
#include "quiz/AnswerCheck.h"

#include "quiz/Module1.h"

QString comparableSyllable(const QString& syllable) {
    QString text = trimSpaces(syllable).toLower().normalized(QString::NormalizationForm_C);
    text.replace(QStringLiteral("u:"), QStringLiteral("ü"));
    text.replace(u'v', QChar(0x00FC));
    return text;
}

bool syllableIsRight(const QString& expected, const QString& given) {
    return comparableSyllable(expected) == comparableSyllable(given);
}

bool toneIsRight(const QString& expected, const QString& given) {
    return expected == trimSpaces(given);
}

bool toneTextIsBad(const QString& text) {
    const QString tone = trimSpaces(text);
    return tone != QStringLiteral("(Tono)") &&
           (!VerificaCaratteri(QStringLiteral("12345"), tone) || tone.size() > 1);
}
