#include "SoapCodec.h"

#include <array>

namespace Soap {
namespace {

struct NamedOperation {
    Operation op;
    const char16_t *name;
};

constexpr std::array<NamedOperation, 7> kOperations{{
    {Operation::GetCompanyPhotoList, u"Func_GetCompanyPhotoList"},
    {Operation::GetCompanyPhoto, u"Func_GetCompanyPhoto"},
    {Operation::InsertCompanyPhoto, u"Func_InsertCompanyPhoto"},
    {Operation::UpdateCompanyPhoto, u"Func_UpdateCompanyPhoto"},
    {Operation::DeleteCompanyPhoto, u"Func_DeleteCompanyPhoto"},
    {Operation::ValidateUserLogin, u"Func_ValidateUserLogin"},
    {Operation::QueryCompanyInfo, u"Func_QueryCompanyInfo"},
}};

} // namespace

QString OperationName(Operation op) {
    for (const NamedOperation &entry : kOperations) {
        if (entry.op == op) {
            return QString::fromUtf16(entry.name);
        }
    }
    return QString();
}

std::optional<Operation> OperationFromName(QStringView name) {
    for (const NamedOperation &entry : kOperations) {
        if (name == QStringView(entry.name)) {
            return entry.op;
        }
    }
    return std::nullopt;
}

QByteArray SoapAction(Operation op) {
    return '"' + QByteArray(kServiceNamespace) + '/' + OperationName(op).toLatin1() + '"';
}

SoapFault::SoapFault(const QString &code, const QString &string)
    : std::runtime_error((string.isEmpty() ? QStringLiteral("SOAP fault ") + code : string).toStdString()),
      faultCode(code), faultString(string) {}

} // namespace Soap
