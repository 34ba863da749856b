#include "data/MdbTableLoader.h"

std::unique_ptr<TableLoader> makeMdbLoader() {
    return std::make_unique<MdbTableLoader>();
}
