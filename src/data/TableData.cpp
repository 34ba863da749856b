// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableData.h"

const std::array<QString, FieldCount>& fieldNames() {
    static const std::array<QString, FieldCount> names{
        QStringLiteral("Nome file grafema"),
        QStringLiteral("Suoni"),
        QStringLiteral("Filmati"),
        QStringLiteral("Significato"),
        QStringLiteral("Sillaba"),
        QStringLiteral("Tono"),
        QStringLiteral("Note"),
    };
    return names;
}
