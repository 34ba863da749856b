// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The syllable as the answer check compares it: spaces trimmed, lower case,
// Unicode NFC, and "v" or "u:" read as "ü" (keyboards without ü write them).
QString comparableSyllable(const QString& syllable);

bool syllableIsRight(const QString& expected, const QString& given);
// The tone is compared as text: the record's tone exactly as shown, the
// learner's with its spaces trimmed.
bool toneIsRight(const QString& expected, const QString& given);

// The tone box accepts, after trimming spaces, only the empty text, one digit
// from 1 to 5, or the placeholder "(Tono)".
bool toneTextIsBad(const QString& text);
