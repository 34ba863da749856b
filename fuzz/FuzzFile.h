// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// The readers take a path, so each input is written to one file of this
// process (the pid keeps parallel fuzzers apart) that is removed at exit.
inline const QString& fuzzFilePath(const char* suffix) {
    static const QString path = [suffix] {
        const QString p =
            QDir::tempPath() +
            QStringLiteral("/tavorin-fuzz-%1%2").arg(::getpid()).arg(QString::fromLatin1(suffix));
        static QByteArray encoded = QFile::encodeName(p);
        std::atexit([] { std::remove(encoded.constData()); });
        return p;
    }();
    return path;
}

inline void writeFuzzFile(const QString& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}
