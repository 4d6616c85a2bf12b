// The store's administration: users' passwords and states, company changes and listings.
#include "CompanyRows.h"
#include "DatabaseStatement.h"
#include "PasswordHash.h"
#include "PhotoDatabase.h"

bool PhotoDatabase::setPassword(const QString &userName, const QString &password) {
    return Statement(*prepared_,
                     QStringLiteral("UPDATE users SET salt = '', password_hash = ? WHERE user_name = ?"))
               .bind(PasswordHash::Make(password))
               .bind(userName)
               .run()
               .affected() > 0;
}

bool PhotoDatabase::setUserDisabled(const QString &userName, bool disabled) {
    return Statement(*prepared_, QStringLiteral("UPDATE users SET disabled = ? WHERE user_name = ?"))
               .bind(disabled ? 1 : 0)
               .bind(userName)
               .run()
               .affected() > 0;
}

QList<UserEntry> PhotoDatabase::users() {
    Statement q(*prepared_,
                QStringLiteral("SELECT user_name, user_id, display_name, org_id, org_name, disabled,"
                               " password_hash FROM users ORDER BY user_name"));
    q.run();
    QList<UserEntry> users;
    while (q.next()) {
        users.append({{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString()},
                      q.value(5).toInt() != 0,
                      PasswordHash::Kind(q.value(6).toString())});
    }
    return users;
}

bool PhotoDatabase::updateCompany(const CompanyRecord &c) {
    return Statement(*prepared_, QStringLiteral("UPDATE companies SET customer_id = ?, software_id = ?,"
                                                " device_id = ?, company_type = ?, name = ?, active = ?,"
                                                " photo_limit = ?, zoom_width = ?, zoom_height = ?, trade = ?"
                                                " WHERE company_id = ?"))
               .bind(c.customerId)
               .bind(c.softwareId)
               .bind(c.deviceId)
               .bind(c.companyType)
               .bind(c.name)
               .bind(c.active)
               .bind(c.photoLimit)
               .bind(c.zoomWidth)
               .bind(c.zoomHeight)
               .bind(c.trade)
               .bind(c.companyId)
               .run()
               .affected() > 0;
}

QList<CompanyRecord> PhotoDatabase::companies() {
    Statement q(*prepared_,
                QStringLiteral("SELECT %1 FROM companies ORDER BY company_id").arg(kCompanyColumns));
    q.run();
    QList<CompanyRecord> companies;
    while (q.next()) {
        companies.append(readCompany(q));
    }
    return companies;
}

QList<PhotoTypeRecord> PhotoDatabase::trades() {
    Statement q(*prepared_, QStringLiteral("SELECT code, name FROM trades ORDER BY code"));
    q.run();
    QList<PhotoTypeRecord> trades;
    while (q.next()) {
        trades.append({q.value(0).toString(), q.value(1).toString()});
    }
    return trades;
}
