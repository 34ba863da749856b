// SPDX-License-Identifier: GPL-3.0-or-later
// The theme colour text ("&H00BBGGRR") against a plain reading of the same
// rule: "&H" in either case, one to six hexadecimal digits, nothing else.
#include "FuzzText.h"
#include "app/FrmMain.h"

#include <cstdlib>

namespace {

std::optional<QColor> expected(const QString& text) {
    if (text.size() < 3 || text.size() > 8 || text[0] != u'&' ||
        (text[1] != u'H' && text[1] != u'h'))
        return std::nullopt;
    uint value = 0;
    for (qsizetype i = 2; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + uint(digit);
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = fuzzText(data, size);
    const std::optional<QColor> got = FrmMain::colorFromText(text);
    const std::optional<QColor> want = expected(text);
    if (got.has_value() != want.has_value() || (got && *got != *want))
        std::abort();
    return 0;
}
