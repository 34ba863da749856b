// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite load path on damaged database files, opened read-only. Every
// input must end in rows or a PlatformError, and the file must stay as it was.
#include "FuzzFile.h"
#include "data/SqliteTableLoader.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString& path = fuzzFilePath(".sqlite");
    writeFuzzFile(path, data, size);
    try {
        const TableData rows = SqliteTableLoader().load(path, QString(), QStringLiteral("Tabella"));
        if (rows.rows.size() > size_t(MaxRecordCount))
            std::abort();
    } catch (const PlatformError&) {
    }
    // Read-only: no journal beside it and the bytes unchanged.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (QFileInfo::exists(path + QString::fromLatin1(suffix)))
            std::abort();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) ||
        file.readAll() !=
            QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
        std::abort();
    return 0;
}
