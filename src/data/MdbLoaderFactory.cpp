#include "data/TableLoader.h"
#include "platform/PlatformError.h"

#include <memory>

namespace {

class UnsupportedLoader : public TableLoader {
public:
    TableData load(const QString&, const QString&, const QString&) const override {
        throw PlatformError(PlatformError::NotADatabase,
                            QStringLiteral("I file Access non sono ancora supportati."));
    }
};

} // namespace

std::unique_ptr<TableLoader> makeMdbLoader() {
    return std::make_unique<UnsupportedLoader>();
}
