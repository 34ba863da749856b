// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

struct BuildOptions {
    QString table;      // character table (TSV)
    QString out;        // application folder to write
    QString strokeData; // hanzi-writer-data package folder
    QString programArt; // where start.gif and icon.png go; empty: not written
    int jobs = 1;
    bool progress = true; // progress bar on stderr
};

struct BuildReport {
    int total = 0;           // files the folder should hold
    int built = 0;           // files written in this run
    int upToDate = 0;        // files whose inputs had not changed
    int removed = 0;         // files of rows no longer in the table
    QStringList toneFigures; // per tone: least/median/greatest measured figures
};

// Builds or updates the application folder. Returns false with a message
// when an input or a tool is missing, a file cannot be made, or the final
// check of the folder finds a fault.
bool buildContent(const BuildOptions& options, BuildReport* report, QString* error);

// A PNG that shows the art of an application folder at a glance.
bool writeContactSheet(const QString& appFolder, const QString& png, QString* error);
