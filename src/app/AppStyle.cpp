// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppStyle.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QStyleOption>

QIcon AppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                             const QWidget* widget) const {
    if (standardIcon != SP_ToolBarHorizontalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // The direction as the base style takes it: the option's, else the
    // application's.
    const bool rightToLeft =
        option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
    QIcon icon;
    for (const int size : {8, 16, 32}) {
        QImageReader reader(
            QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-%1%2.png")
                .arg(rightToLeft ? QStringLiteral("rtl-") : QString())
                .arg(size),
            QByteArrayLiteral("png"));
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        // Another Qt may keep other files: then it is the base style's again.
        if (image.isNull())
            return QProxyStyle::standardIcon(standardIcon, option, widget);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
