// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Raised whenever a drawing below changes, so that the builder redraws.
inline constexpr int kArtVersion = 2;

inline constexpr int kPictureSide = 84;
inline constexpr int kIconSide = 32;
inline constexpr int kDragonFrames = 13;
inline constexpr int kPosterWidth = 538;
inline constexpr int kPosterHeight = 358;
// Pictures the program shows are also written at this many times their size
// for high-density screens, as Qt names them: <name>@2x.<ext>.
inline constexpr int kHighDensity = 2;
// The picture box and the buttons are this grey; art with soft edges is
// blended onto it.
inline const QColor kButtonGrey(192, 192, 192);

// Finds the Kai font the character pictures are drawn with. `fingerprint`
// identifies the font version (its 'head' table).
bool loadKaiFont(QFont* font, QByteArray* fingerprint, QString* error);
bool kaiHasCharacter(const QFont& font, const QString& character);

// 84x84 picture of a character, dark ink on light paper, centred on its ink.
// With `scale` above 1 every picture below is drawn again at that many times
// its size, from the same shapes, not enlarged.
QImage renderCharacterPicture(const QString& character, const QFont& kai, int scale = 1);

struct Theme {
    QString folder;
    QColor accent;
};
const QList<Theme>& themes();
// Refresh, Wizard, Trash, Close, Write, Match, Sound.
const QStringList& themeIconNames();
// 32x32 icon with transparent background; `theme` is a folder name.
QImage renderThemeIcon(const QString& theme, const QString& icon, int scale = 1);

// Frame 1..13 of the dragon that crosses the picture box.
QImage renderDragonFrame(int index, int scale = 1);
// Shown in the picture box after everything is cleared.
QImage renderDragonPicture(int scale = 1);
// Light window background behind all controls.
QImage renderPoster(const QFont& kai, int scale = 1);
// The program's compiled-in start picture (84x84) and window icon (32x32).
QImage renderStartPicture(const QFont& kai, int scale = 1);
QImage renderProgramIcon(const QFont& kai, int side = kIconSide);
// The same icon for desktop menus and docks: every size a theme looks for,
// and an SVG with a 32x32 view box.
inline constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
QByteArray programIconSvg(const QFont& kai);
// Writes them into `hicolorDir` as <n>x<n>/apps/tavorin.png and
// scalable/apps/tavorin.svg.
bool writeDesktopIcons(const QString& hicolorDir, const QFont& kai, QString* error);

// Makes soft edges opaque on the button grey and the rest fully transparent,
// since a GIF has one transparent colour and no partial alpha.
QImage flattenForGif(const QImage& argb);

// At most `colours` colours, chosen without dithering, so that a GIF keeps
// flat areas flat.
QImage reducePalette(const QImage& image, int colours = 256);
