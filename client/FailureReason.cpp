#include "FailureReason.h"

#include "HttpTransport.h"
#include "contract/ResultCodes.h"
#include "contract/SoapCodec.h"

#include <new>

namespace FailureReason {

QString OfCode(const QString &code) {
    if (code == ResultCode::kCompanyDisabled) {
        return QStringLiteral("该企业已停用");
    }
    if (code == ResultCode::kCompanyNotFound) {
        return QStringLiteral("服务器上没有这个企业编号");
    }
    if (code == ResultCode::kCompanyStateUnknown) {
        return QStringLiteral("该企业的状态未知,请联系管理员");
    }
    if (code == ResultCode::kCompanyCheckFailed) {
        return QStringLiteral("服务器未通过企业验证(企业信息不符、照片已达上限或照片已存在)");
    }
    if (code == ResultCode::kBadHeader) {
        return QStringLiteral("服务器无法解密请求的身份信息");
    }
    if (code == ResultCode::kBadData) {
        return QStringLiteral("服务器认为提交的数据不正确");
    }
    if (code == ResultCode::kTradeNotConfigured) {
        return QStringLiteral("该企业所属行业没有配置照片类型");
    }
    if (code == ResultCode::kPhotoInfoEmpty) {
        return QStringLiteral("照片信息为空");
    }
    if (code == ResultCode::kPhotoNotFound) {
        return QStringLiteral("服务器上没有这张照片");
    }
    if (code == ResultCode::kWrongPassword) {
        return QStringLiteral("用户名或密码错误");
    }
    return QStringLiteral("服务器返回了未知的结果代码 %1").arg(code);
}

bool IsUnreachable(const std::exception &e) {
    const auto *transport = dynamic_cast<const TransportError *>(&e);
    if (transport == nullptr) {
        return false;
    }
    switch (transport->kind()) {
    case TransportError::Kind::Unreachable:
    case TransportError::Kind::NoAnswer:
    case TransportError::Kind::TooSlow:
    case TransportError::Kind::Broken:
        return true;
    case TransportError::Kind::HttpStatus:
        return transport->number() >= 502 && transport->number() <= 504;
    default:
        return false;
    }
}

QString OfException(const std::exception &e) {
    if (const auto *transport = dynamic_cast<const TransportError *>(&e)) {
        switch (transport->kind()) {
        case TransportError::Kind::Unreachable:
            return QStringLiteral("无法连接服务器:请检查服务器地址和端口,以及服务是否在运行");
        case TransportError::Kind::SecureChannel:
            return QStringLiteral("无法与服务器建立加密连接:服务器与客户端的 https 设置不一致");
        case TransportError::Kind::CertificateRefused:
            return QStringLiteral("服务器的证书未通过验证");
        case TransportError::Kind::NoAnswer:
            return QStringLiteral("服务器在 %1 秒内没有应答").arg(transport->number());
        case TransportError::Kind::TooSlow:
            return QStringLiteral("网络太慢,传输已中断");
        case TransportError::Kind::TooLarge:
            return QStringLiteral("服务器的应答过大");
        case TransportError::Kind::Broken:
            return QStringLiteral("与服务器的连接在传输中断开");
        case TransportError::Kind::HttpStatus:
            return QStringLiteral("服务器返回 HTTP 状态 %1").arg(transport->number());
        case TransportError::Kind::Configuration:
            return QStringLiteral("客户端的 https 设置不可用(证书文件或 OpenSSL)");
        case TransportError::Kind::Cancelled:
            return QStringLiteral("已被用户取消");
        }
    }
    if (const auto *fault = dynamic_cast<const Soap::SoapFault *>(&e)) {
        return QStringLiteral("服务器出错:") +
               (fault->faultString.isEmpty() ? fault->faultCode : fault->faultString);
    }
    if (dynamic_cast<const Soap::SoapError *>(&e) != nullptr) {
        return QStringLiteral("服务器的应答无法读取");
    }
    if (dynamic_cast<const std::bad_alloc *>(&e) != nullptr) {
        return QStringLiteral("内存不足");
    }
    return QStringLiteral("程序出错:") + QString::fromUtf8(e.what());
}

QString CacheNotWritten(const QString &why) {
    return QStringLiteral("照片无法写入本地缓存:") + why;
}

QString UnsafePhotoId() {
    return QStringLiteral("服务器给出的照片编号不能用作文件名");
}

QString NotInList(const QString &photoId) {
    return QStringLiteral("企业的照片列表中没有照片 %1").arg(photoId);
}

} // namespace FailureReason
