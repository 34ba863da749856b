// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "app/FrmMain.h"

std::unique_ptr<FrmMain> loadMainWindow() {
    auto window = std::make_unique<FrmMain>();
    if (!window->Form_Load())
        return nullptr;
    return window;
}
