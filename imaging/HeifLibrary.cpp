#include "HeifLibrary.h"

#include <QLibrary>

#include <stdexcept>
#include <type_traits>
#include <string>

namespace {

// The library of the major version whose header we compile against.
constexpr int kSoVersion = 1;

THeifLibrary load() {
    // Never unloaded: the decoders it registers stay in use for the life of the process.
    static QLibrary library(QStringLiteral("heif"), kSoVersion);
    if (!library.load()) {
        throw std::runtime_error("HEIF: the HEIF library cannot be loaded: " + library.errorString().toStdString());
    }
    THeifLibrary functions;
    const auto resolve = [](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        if (function == nullptr) {
            throw std::runtime_error(std::string("HEIF: the HEIF library has no ") + name);
        }
    };
#define UPLOADPIC_HEIF_RESOLVE(name) resolve(functions.name, #name);
    UPLOADPIC_HEIF_FUNCTIONS(UPLOADPIC_HEIF_RESOLVE)
#undef UPLOADPIC_HEIF_RESOLVE
    return functions;
}

} // namespace

const THeifLibrary &Heif() {
    static const THeifLibrary functions = load();
    return functions;
}
