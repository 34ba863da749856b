// SPDX-License-Identifier: GPL-3.0-or-later
#include "Art.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    // Installed as they are: readable by all, whatever the umask of the build.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    return true;
}

} // namespace

bool writeDesktopIcons(const QString& hicolorDir, const QFont& kai, QString* error) {
    const QDir dir(hicolorDir);
    for (const int side : kDesktopIconSizes) {
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            renderProgramIcon(kai, side).save(&buffer, "PNG");
        }
        const QString name = QStringLiteral("%1x%1/apps/tavorin.png").arg(side);
        if (!writeFile(dir.filePath(name), png, error))
            return false;
    }
    return writeFile(dir.filePath("scalable/apps/tavorin.svg"), programIconSvg(kai), error);
}
