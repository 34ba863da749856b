// SPDX-License-Identifier: GPL-3.0-or-later
#include "quiz/Module1.h"

bool VerificaCaratteri(QString allowed, QString text) {
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        if (!allowed.contains(text.at(i)))
            return false;
    }
    return true;
}

QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

QString signedText(long long number) {
    return (number < 0 ? QString() : QStringLiteral(" ")) + QString::number(number);
}
