// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// True when every character of `text` occurs among `allowed` (exact,
// case-sensitive). An empty text is always true.
bool VerificaCaratteri(QString allowed, QString text);

// Removes leading and trailing space characters only (not tabs or other
// white space), as the answer and input checks require.
QString trimSpaces(const QString& text);

// A whole number in the platform's signed text form: a leading blank for a
// number that is not negative (" 17", "-3").
QString signedText(long long number);
