// SPDX-License-Identifier: GPL-3.0-or-later
// The go-to box's number, the tone box's check and the character check that
// both use, each against what it promises.
#include "FuzzText.h"
#include "dialogs/FrmGoto.h"
#include "quiz/AnswerCheck.h"
#include "quiz/Module1.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = fuzzText(data, size);

    const QString trimmed = trimSpaces(text);
    if (trimmed.startsWith(u' ') || trimmed.endsWith(u' ') || !text.contains(trimmed))
        std::abort();

    // Leading ASCII digits after the spaces, nothing else, never negative.
    const double number = FrmGoto::numericValue(text);
    double want = 0;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            break;
        want = want * 10 + (c.unicode() - u'0');
    }
    if (number != want && !(std::isinf(number) && std::isinf(want)))
        std::abort();
    if (number < 0)
        std::abort();

    const bool bad = toneTextIsBad(text);
    const bool allowed = trimmed.isEmpty() || trimmed == u"(Tono)" ||
                         (trimmed.size() == 1 && trimmed[0] >= u'1' && trimmed[0] <= u'5');
    if (bad == allowed)
        std::abort();

    // Split the text in two: the allowed characters and the text to check.
    const qsizetype half = text.size() / 2;
    const QString allowedSet = text.left(half);
    const QString checked = text.mid(half);
    bool every = true;
    for (const QChar c : checked)
        every = every && allowedSet.contains(c);
    if (VerificaCaratteri(allowedSet, checked) != every)
        std::abort();
    return 0;
}
