// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The first page of an Access 2000 (Jet 4) file tells what the file is and
// holds the database password. libmdb reads such files but never checks the
// password, so we read the header ourselves. Everything here works on bytes
// already in memory and never trusts them: any content gives an answer or a
// PlatformError, never a crash.
namespace Jet4 {

inline constexpr int PageSize = 4096;

// Bytes 0x18..0x97 of page 0 are masked with an RC4 stream of this key.
inline constexpr int MaskedStart = 0x18;
inline constexpr int MaskedEnd = 0x98; // one past the last masked byte
inline constexpr int VersionOffset = 0x14;
inline constexpr int PasswordOffset = 0x42;
inline constexpr int PasswordBytes = 40; // 20 UCS-2 characters
inline constexpr int CreationDateOffset = 0x72;

// The engine versions the header can name.
enum class Version { Jet3, Jet4, Ace, Unknown };

struct Header {
    Version version = Version::Unknown;
    double creationDate = 0.0; // days since 1899-12-30, as the engine writes it
    QString password;          // empty when the database has none
};

// Unmasks page 0 (or as much of it as `page` holds) so that the fields above
// can be read at their offsets.
QByteArray unmaskHeader(const QByteArray& page);

// Reads the header of a file whose first bytes are `firstPage` (up to one
// page) and whose total size is `fileSize`. Throws PlatformError
// (NotADatabase) with an Italian description when the file is empty, too
// short, not an Access file, or an Access file of another version than Jet 4.
Header readHeader(const QByteArray& firstPage, qint64 fileSize);

// Whether `given` opens a database whose header is `header`: it must equal
// the stored password (the engine compares case-sensitively), except that a
// database without a password accepts whatever is given.
bool passwordAccepts(const Header& header, const QString& given);

// readHeader() followed by the password check; throws PlatformError
// (WrongPassword) when the password is refused.
Header checkHeader(const QByteArray& firstPage, qint64 fileSize, const QString& password);

} // namespace Jet4
