// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class FrmGoto;
}
class FrmMain;

// The go-to dialog: the record from which table order starts and to which it
// returns after the level's last record. Modeless, without an owner; a valid
// number closes it.
class FrmGoto : public QDialog {
    Q_OBJECT
public:
    explicit FrmGoto(FrmMain& main);
    ~FrmGoto() override;

    Ui::FrmGoto& form() { return *ui; }

    // The platform's numeric reading of a text: its leading digits, 0 when
    // there are none.
    static double numericValue(const QString& text);

private:
    void TxtVai_Change();
    void CmdVai_Click();
    // Back to the box after a message.
    void focusBox();

    std::unique_ptr<Ui::FrmGoto> ui;
    FrmMain& m_main;
};
