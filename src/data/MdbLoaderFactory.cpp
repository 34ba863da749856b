// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/MdbTableLoader.h"

std::unique_ptr<TableLoader> makeMdbLoader() {
    return std::make_unique<MdbTableLoader>();
}
