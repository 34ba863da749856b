// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class FrmInfo;
}

// The about window: fixed content, nothing to edit, closed with its own
// close button.
class FrmInfo : public QWidget {
    Q_OBJECT
public:
    FrmInfo();
    ~FrmInfo() override;

    Ui::FrmInfo& form() { return *ui; }

    // The texts exactly as they are kept, lines ending in CR LF.
    static QString titleText();
    static QString creditsText();

private:
    std::unique_ptr<Ui::FrmInfo> ui;
};
