// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

// The platform's own style, with one picture read differently: the menu
// bar's overflow button asks for its icon as soon as the bar is built, and
// the style reads it from PNG files by name. A PNG read by name has every
// installed image plugin loaded first (WebP, SVG, TIFF, MNG and the
// libraries behind them) to ask whether one of them reads PNG, which costs
// start-up a fifth of its time and some megabytes. Here the same files go
// straight to the built-in PNG reader; everything else is the base style's.
class AppStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                       const QWidget* widget) const override;
};
