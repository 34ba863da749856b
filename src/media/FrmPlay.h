#pragma once

#include <QWidget>

// The media window: plays the character's pronunciation (hidden) and its
// stroke-order film (shown), loaded on first use.
class FrmPlay : public QWidget {
    Q_OBJECT
public:
    FrmPlay();
    ~FrmPlay() override;
};
