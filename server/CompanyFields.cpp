#include "CompanyFields.h"

namespace CompanyFields {

const QStringList &Names() {
    static const QStringList names{
        QStringLiteral("company_id"),  QStringLiteral("customer_id"),  QStringLiteral("software_id"),
        QStringLiteral("device_id"),   QStringLiteral("company_type"), QStringLiteral("name"),
        QStringLiteral("trade"),       QStringLiteral("photo_limit"),  QStringLiteral("zoom_width"),
        QStringLiteral("zoom_height"), QStringLiteral("active")};
    return names;
}

bool Set(CompanyRecord &c, const QString &name, const QString &value, QString &error) {
    QString *text = nullptr;
    int *number = nullptr;
    int most = 0;
    if (name == QLatin1String("company_id")) {
        text = &c.companyId;
    } else if (name == QLatin1String("customer_id")) {
        text = &c.customerId;
    } else if (name == QLatin1String("software_id")) {
        text = &c.softwareId;
    } else if (name == QLatin1String("device_id")) {
        text = &c.deviceId;
    } else if (name == QLatin1String("company_type")) {
        text = &c.companyType;
    } else if (name == QLatin1String("name")) {
        text = &c.name;
    } else if (name == QLatin1String("trade")) {
        text = &c.trade;
    } else if (name == QLatin1String("photo_limit")) {
        number = &c.photoLimit;
        most = 10000;
    } else if (name == QLatin1String("zoom_width")) {
        number = &c.zoomWidth;
        most = 20000;
    } else if (name == QLatin1String("zoom_height")) {
        number = &c.zoomHeight;
        most = 20000;
    } else if (name == QLatin1String("active")) {
        number = &c.active;
        most = 1;
    } else {
        error = QStringLiteral("no company field \"%1\" (fields: %2)")
                    .arg(name, Names().join(QLatin1String(", ")));
        return false;
    }
    if (text) {
        *text = value.trimmed();
        return true;
    }
    bool ok = false;
    const int parsed = value.trimmed().toInt(&ok);
    if (!ok || parsed < 0 || parsed > most) {
        error = QStringLiteral("%1: \"%2\" is not a number from 0 to %3").arg(name, value).arg(most);
        return false;
    }
    *number = parsed;
    return true;
}

QString Missing(const CompanyRecord &c) {
    if (c.companyId.size() != 13) {
        return QStringLiteral("company_id \"%1\" is not 13 characters").arg(c.companyId);
    }
    const std::pair<const char *, const QString *> texts[] = {{"customer_id", &c.customerId},
                                                              {"software_id", &c.softwareId},
                                                              {"device_id", &c.deviceId},
                                                              {"company_type", &c.companyType},
                                                              {"name", &c.name},
                                                              {"trade", &c.trade}};
    for (const auto &[name, value] : texts) {
        if (value->isEmpty()) {
            return QStringLiteral("%1 of %2 is missing").arg(QLatin1String(name), c.companyId);
        }
    }
    if (c.zoomWidth <= 0 || c.zoomHeight <= 0) {
        return QStringLiteral("zoom_width and zoom_height of %1 must be more than 0").arg(c.companyId);
    }
    return {};
}

QStringList Values(const CompanyRecord &c) {
    return {c.companyId,
            c.customerId,
            c.softwareId,
            c.deviceId,
            c.companyType,
            c.name,
            c.trade,
            QString::number(c.photoLimit),
            QString::number(c.zoomWidth),
            QString::number(c.zoomHeight),
            QString::number(c.active)};
}

} // namespace CompanyFields
