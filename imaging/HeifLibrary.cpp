#include "HeifLibrary.h"

#include <QLibrary>

#include <stdexcept>
#include <string>
#include <type_traits>

namespace {

// The library of the major version whose header we compile against.
constexpr int kSoVersion = 1;

THeifLibrary load() {
    // Never unloaded: the decoders it registers stay in use for the life of the process.
    static QLibrary library(QStringLiteral("heif"), kSoVersion);
    if (!library.load()) {
        throw std::runtime_error("HEIF: the HEIF library cannot be loaded: " +
                                 library.errorString().toStdString());
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
    // Registers the codecs once, here, before tiles are decoded on several threads; never undone, as
    // the library stays loaded.
    const heif_error initialised = functions.heif_init(nullptr);
    if (initialised.code != heif_error_Ok) {
        throw std::runtime_error(std::string("HEIF: the HEIF library cannot start: ") +
                                 (initialised.message != nullptr ? initialised.message : "error"));
    }
    return functions;
}

} // namespace

const THeifLibrary &Heif() {
    static const THeifLibrary functions = load();
    return functions;
}
