// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Turns fuzzer bytes into text two ways: as UTF-16 code units (any unit,
// lone surrogates included, as a text box could hold) or as UTF-8, chosen by
// the first byte.
inline QString fuzzText(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return QString();
    if (data[0] & 1)
        return QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString text;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return text;
}
