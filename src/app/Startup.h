// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

class FrmMain;

// Loads the main window and runs its start-up. Returns the window to show,
// or nothing when start-up failed (the learner has been told why).
std::unique_ptr<FrmMain> loadMainWindow();
