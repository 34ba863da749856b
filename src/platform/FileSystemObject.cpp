// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystemObject.h"

#include <QDir>
#include <QFileInfo>

FileSystemObject::FileSystemObject(QString appFolder) : m_appFolder(std::move(appFolder)) {}

QString FileSystemObject::relativePart(const QString& programPath) const {
    if (programPath.startsWith(m_appFolder))
        return programPath.mid(m_appFolder.size());
    return programPath;
}

std::optional<QString> FileSystemObject::resolveFile(const QString& programPath) const {
    if (!programPath.startsWith(m_appFolder))
        return std::nullopt;
    const QString rest = programPath.mid(m_appFolder.size());
    // The rest must begin with a separator: "<app>x\..." is another folder.
    if (!rest.isEmpty() && rest.front() != u'\\' && rest.front() != u'/')
        return std::nullopt;

    QString current = m_appFolder;
    // Split by hand on either separator: a regular expression would be
    // compiled at start-up for this alone.
    const QStringList parts = rest.mid(1).replace(u'/', u'\\').split(u'\\');
    for (const QString& part : parts) {
        // "\Grafemi\/etc/passwd.jpg": a field value that starts absolute.
        if (part.isEmpty())
            return std::nullopt;
        if (part == u"." || part == u".." || part.contains(u':') || part.contains(QChar(0)))
            return std::nullopt;
        const QString exact = current + u'/' + part;
        QFileInfo info(exact);
        if (info.exists()) {
            current = exact;
            continue;
        }
        // Case differs from what is on disk: look the name up in the folder.
        QDir dir(current);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QString found;
        for (const QString& entry : entries) {
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                found = entry;
                if (entry.size() == part.size())
                    break;
            }
        }
        if (found.isEmpty())
            return std::nullopt;
        current = current + u'/' + found;
    }
    // A link anywhere on the way (a linked folder as much as a linked file)
    // may lead out of the folder: what counts is where the file really is.
    const QFileInfo result(current);
    if (!result.isFile())
        return std::nullopt;
    const QString target = result.canonicalFilePath();
    const QString root = QFileInfo(m_appFolder).canonicalFilePath();
    if (target.isEmpty() || root.isEmpty() || !target.startsWith(root + u'/'))
        return std::nullopt;
    return current;
}
