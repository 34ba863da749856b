// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Jet4Header.h"

#include "platform/PlatformError.h"

#include <QtEndian>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Jet4 {

namespace {

// Page 0 starts with this signature; the engine name follows at offset 4.
constexpr char Signature[4] = {0x00, 0x01, 0x00, 0x00};
constexpr char JetName[] = "Standard Jet DB";
constexpr char AceName[] = "Standard ACE DB";
constexpr int EngineNameOffset = 4;

// A Jet 4 file is whole pages, and the engine's own catalog lies on page 2,
// so a shorter file cannot be a complete database.
constexpr qint64 MinimumPages = 3;

constexpr std::array<unsigned char, 4> HeaderKey = {0xC7, 0xDA, 0x39, 0x6B};

void rc4Xor(const unsigned char* key, int keyLength, unsigned char* data, int length) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    int j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    int a = 0;
    j = 0;
    for (int n = 0; n < length; ++n) {
        a = (a + 1) & 0xFF;
        j = (j + s[a]) & 0xFF;
        std::swap(s[a], s[j]);
        data[n] ^= s[(s[a] + s[j]) & 0xFF];
    }
}

[[noreturn]] void refuse(const QString& description) {
    throw PlatformError(PlatformError::NotADatabase, description);
}

bool startsWithName(const QByteArray& page, const char* name) {
    const qsizetype length = qsizetype(std::strlen(name));
    return page.size() >= EngineNameOffset + length &&
           std::memcmp(page.constData() + EngineNameOffset, name, size_t(length)) == 0;
}

// The password bytes are XORed with the integer part of the creation date.
// A corrupt date must not become undefined behaviour in the conversion.
std::int32_t dateMask(double date) {
    if (!std::isfinite(date))
        return 0;
    const double whole = std::trunc(date);
    if (whole < double(std::numeric_limits<std::int32_t>::min()) ||
        whole > double(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(whole);
}

} // namespace

QByteArray unmaskHeader(const QByteArray& page) {
    QByteArray plain = page;
    const int end = int(std::min<qsizetype>(plain.size(), MaskedEnd));
    if (end > MaskedStart) {
        // The stream always starts at 0x18, however much of the page we hold.
        rc4Xor(HeaderKey.data(), int(HeaderKey.size()),
               reinterpret_cast<unsigned char*>(plain.data()) + MaskedStart, end - MaskedStart);
    }
    return plain;
}

Header readHeader(const QByteArray& firstPage, qint64 fileSize) {
    if (fileSize <= 0 || firstPage.isEmpty())
        refuse(QStringLiteral("Il file è vuoto: non è un database di Access."));
    if (firstPage.size() < qsizetype(sizeof Signature) ||
        std::memcmp(firstPage.constData(), Signature, sizeof Signature) != 0)
        refuse(QStringLiteral("Formato di database non riconosciuto: il file non è un database "
                              "di Access."));

    Header header;
    if (startsWithName(firstPage, AceName)) {
        header.version = Version::Ace;
    } else if (!startsWithName(firstPage, JetName)) {
        refuse(QStringLiteral("Formato di database non riconosciuto: il file non è un database "
                              "di Access."));
    } else if (firstPage.size() > VersionOffset) {
        const auto code = static_cast<unsigned char>(firstPage.at(VersionOffset));
        header.version = code == 0 ? Version::Jet3 : code == 1 ? Version::Jet4 : Version::Ace;
    }

    switch (header.version) {
    case Version::Jet4:
        break;
    case Version::Jet3:
        refuse(QStringLiteral("Formato di database non riconosciuto: il file è un database di "
                              "Access 97 (Jet 3), serve un database di Access 2000."));
    case Version::Ace:
        refuse(QStringLiteral("Formato di database non riconosciuto: il file è un database di "
                              "Access 2007 o successivo, serve un database di Access 2000."));
    case Version::Unknown:
        refuse(QStringLiteral("Formato di database non riconosciuto: il file è troncato."));
    }

    if (firstPage.size() < PageSize || fileSize < MinimumPages * PageSize ||
        fileSize % PageSize != 0)
        refuse(QStringLiteral("Formato di database non riconosciuto: il file è troncato."));

    const QByteArray plain = unmaskHeader(firstPage.left(PageSize));
    const auto* bytes = reinterpret_cast<const unsigned char*>(plain.constData());

    header.creationDate = qFromLittleEndian<double>(bytes + CreationDateOffset);

    std::array<unsigned char, 4> mask{};
    qToLittleEndian<std::int32_t>(dateMask(header.creationDate), mask.data());
    char16_t text[PasswordBytes / 2];
    int length = 0;
    for (; length < PasswordBytes / 2; ++length) {
        const int at = 2 * length;
        const unsigned char low = bytes[PasswordOffset + at] ^ mask[at % 4];
        const unsigned char high = bytes[PasswordOffset + at + 1] ^ mask[(at + 1) % 4];
        const char16_t unit = char16_t(low | (high << 8));
        if (unit == 0)
            break;
        text[length] = unit;
    }
    header.password = QString::fromUtf16(text, length);
    return header;
}

bool passwordAccepts(const Header& header, const QString& given) {
    return header.password.isEmpty() || header.password == given;
}

Header checkHeader(const QByteArray& firstPage, qint64 fileSize, const QString& password) {
    Header header = readHeader(firstPage, fileSize);
    if (!passwordAccepts(header, password))
        throw PlatformError(PlatformError::WrongPassword, QStringLiteral("Password non valida."));
    return header;
}

} // namespace Jet4
