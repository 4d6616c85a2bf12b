#pragma once
// The columns of a company row, in the order CompanyRecord is read from and written to them.

#include "DatabaseStatement.h"

inline CompanyRecord readCompany(const Statement &q) {
    CompanyRecord c;
    c.companyId = q.value(0).toString();
    c.customerId = q.value(1).toString();
    c.softwareId = q.value(2).toString();
    c.deviceId = q.value(3).toString();
    c.companyType = q.value(4).toString();
    c.name = q.value(5).toString();
    c.active = q.value(6).toInt();
    c.photoLimit = q.value(7).toInt();
    c.zoomWidth = q.value(8).toInt();
    c.zoomHeight = q.value(9).toInt();
    c.trade = q.value(10).toString();
    return c;
}

inline const QString kCompanyColumns =
    QStringLiteral("company_id, customer_id, software_id, device_id, company_type, name, active, photo_limit,"
                   " zoom_width, zoom_height, trade");
