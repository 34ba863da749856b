// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Finds the real file behind a path as the program forms it: the application
// folder followed by a sub-path written with backslashes, in whatever letter
// case ("\Grafica\Temi\SquareRed\Wizard.gif", "\grafica\dragon.gif",
// "\Suoni\ma1.MP3"). A data folder copied from Windows keeps its own case, so
// every component is matched without regard to case. A path that would leave
// the application folder ("..", a drive or an absolute part coming from a
// field value) names no file.
class FileSystemObject {
public:
    explicit FileSystemObject(QString appFolder);

    const QString& appFolder() const { return m_appFolder; }

    // The existing file (not a folder) the program path names, or nothing.
    std::optional<QString> resolveFile(const QString& programPath) const;

    bool FileExists(const QString& programPath) const {
        return resolveFile(programPath).has_value();
    }

    // The part of a program path after the application folder, as formed
    // ("\Grafemi\c001.jpg"); the whole path when it does not start there.
    QString relativePart(const QString& programPath) const;

private:
    QString m_appFolder;
};
