// Feeds arbitrary bytes to every SOAP reader: each must return a record or throw its own error.

#include "contract/SoapCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        Soap::ReadPicResult(bytes);
    } catch (const std::runtime_error &) {
    }
    try {
        // The same bytes in the pieces an answer arrives in from the network.
        QByteArrayList parts;
        for (qsizetype at = 0; at < bytes.size(); at += 7) {
            parts.append(bytes.mid(at, 7));
        }
        Soap::ReadPicResult(std::move(parts));
    } catch (const std::runtime_error &) {
    }
    try {
        Soap::ReadUserInfo(bytes);
    } catch (const std::runtime_error &) {
    }
    try {
        Soap::ReadCompanyInfo(bytes);
    } catch (const std::runtime_error &) {
    }
    try {
        Soap::ReadRequest(bytes);
    } catch (const std::runtime_error &) {
    }
    return 0;
}
