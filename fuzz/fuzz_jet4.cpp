// SPDX-License-Identifier: GPL-3.0-or-later
// The Jet 4 header reader and password check on arbitrary first pages and
// file sizes. Input: a little-endian 64-bit file size, then the first page.
#include "data/Jet4Header.h"
#include "platform/PlatformError.h"

#include <QtEndian>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    const auto fileSize = qFromLittleEndian<qint64>(data);
    const QByteArray page(reinterpret_cast<const char*>(data + 8), qsizetype(size - 8));

    // Masking is an XOR stream: applied twice it gives the page back.
    const QByteArray once = Jet4::unmaskHeader(page);
    if (once.size() != page.size() || Jet4::unmaskHeader(once) != page)
        std::abort();

    Jet4::Header header;
    try {
        header = Jet4::readHeader(page, fileSize);
    } catch (const PlatformError& error) {
        if (error.number() != PlatformError::NotADatabase || error.description().isEmpty())
            std::abort();
        return 0;
    }
    if (header.version != Jet4::Version::Jet4 || header.password.size() > 20 ||
        header.password.contains(QChar(0)))
        std::abort();
    // The stored password always opens the file; a wrong one never does
    // when there is a password at all.
    try {
        Jet4::checkHeader(page, fileSize, header.password);
    } catch (const PlatformError&) {
        std::abort();
    }
    const QString wrong = header.password + u'x';
    if (Jet4::passwordAccepts(header, wrong) != header.password.isEmpty())
        std::abort();
    return 0;
}
