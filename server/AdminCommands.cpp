#include "AdminCommands.h"

#include "CompanyCsv.h"
#include "CompanyFields.h"
#include "PasswordInput.h"
#include "PhotoDatabase.h"

#include <QFile>
#include <QHash>

#include <cstdio>
#include <stdexcept>

namespace {

// A command the administrator got wrong: exit 2 with the usage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A command that cannot be done as asked: exit 1, nothing changed.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void say(const QString &line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
}

[[noreturn]] void refuse(const QString &why) {
    throw Refusal(why.toStdString());
}

// The command line: words in order, and "--name value" options by name ("--photo-limit" becomes
// "photo_limit").
struct Command {
    QStringList words;
    QHash<QString, QString> options;

    static Command parse(const QStringList &arguments) {
        Command c;
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString &arg = arguments.at(i);
            if (!arg.startsWith(QLatin1String("--"))) {
                c.words << arg;
                continue;
            }
            if (i + 1 >= arguments.size()) {
                throw UsageError(QStringLiteral("%1 needs a value").arg(arg).toStdString());
            }
            const QString name = arg.mid(2).replace(QLatin1Char('-'), QLatin1Char('_'));
            if (c.options.contains(name)) {
                throw UsageError(QStringLiteral("%1 given twice").arg(arg).toStdString());
            }
            c.options.insert(name, arguments.at(++i));
        }
        return c;
    }

    // The words after the object and the verb, exactly `count` of them.
    QStringList operands(qsizetype count) const {
        if (words.size() != count + 2) {
            throw UsageError(QStringLiteral("\"%1\" takes %2 argument(s)")
                                 .arg(words.mid(0, 2).join(QLatin1Char(' ')))
                                 .arg(count)
                                 .toStdString());
        }
        return words.mid(2);
    }

    // Only these options (besides --db) may be given.
    void allow(const QStringList &names) const {
        for (auto it = options.begin(); it != options.end(); ++it) {
            if (it.key() != QLatin1String("db") && !names.contains(it.key())) {
                throw UsageError(
                    QStringLiteral("\"%1\" takes no --%2")
                        .arg(words.mid(0, 2).join(QLatin1Char(' ')), QString(it.key()).replace('_', '-'))
                        .toStdString());
            }
        }
    }

    QString required(const QString &name) const {
        const QString value = options.value(name).trimmed();
        if (value.isEmpty()) {
            throw UsageError(
                QStringLiteral("--%1 is required").arg(QString(name).replace('_', '-')).toStdString());
        }
        return value;
    }
};

QStringList companyOptions() {
    QStringList names = CompanyFields::Names();
    names.removeOne(QStringLiteral("company_id"));
    return names;
}

void checkTrade(PhotoDatabase &db, const QString &trade) {
    if (!db.photoTypes(trade)) {
        refuse(QStringLiteral("no trade \"%1\"; add it first: trade add %1 NAME").arg(trade));
    }
}

void checkCompany(PhotoDatabase &db, const CompanyRecord &company) {
    if (const QString missing = CompanyFields::Missing(company); !missing.isEmpty()) {
        refuse(missing);
    }
    checkTrade(db, company.trade);
}

QString newPassword(const Command &c) {
    QString error;
    const auto password = ReadNewPassword(c.options.value(QStringLiteral("password_file")), error);
    if (!password) {
        refuse(error);
    }
    return *password;
}

void userCommand(PhotoDatabase &db, const Command &c, const QString &verb) {
    if (verb == QLatin1String("list")) {
        c.operands(0);
        c.allow({});
        for (const UserEntry &e : db.users()) {
            say(QStringList{e.user.userName, e.user.userId, e.user.displayName, e.user.orgId, e.user.orgName,
                            e.disabled ? QStringLiteral("disabled") : QStringLiteral("enabled"), e.hashKind}
                    .join(QLatin1Char('\t')));
        }
        return;
    }
    const QString name = c.operands(1).first();
    if (verb == QLatin1String("add")) {
        c.allow({"user_id", "display_name", "org_id", "org_name", "password_file"});
        const UserRecord user{name, c.required("user_id"), c.required("display_name"), c.required("org_id"),
                              c.required("org_name")};
        const auto users = db.users();
        if (std::any_of(users.begin(), users.end(),
                        [&](const UserEntry &e) { return e.user.userName == name; })) {
            refuse(QStringLiteral("user \"%1\" exists; set a password with: user password %1").arg(name));
        }
        db.addUser(user, newPassword(c));
        say(QStringLiteral("user %1 added").arg(name));
    } else if (verb == QLatin1String("password")) {
        c.allow({"password_file"});
        const QString password = newPassword(c);
        if (!db.setPassword(name, password)) {
            refuse(QStringLiteral("no user \"%1\"").arg(name));
        }
        say(QStringLiteral("password of %1 changed").arg(name));
    } else if (verb == QLatin1String("disable") || verb == QLatin1String("enable")) {
        c.allow({});
        if (!db.setUserDisabled(name, verb == QLatin1String("disable"))) {
            refuse(QStringLiteral("no user \"%1\"").arg(name));
        }
        say(QStringLiteral("user %1 %2d").arg(name, verb));
    } else {
        throw UsageError(QStringLiteral("no command \"user %1\"").arg(verb).toStdString());
    }
}

void setFields(CompanyRecord &company, const Command &c) {
    for (const QString &name : companyOptions()) {
        QString error;
        if (c.options.contains(name) && !CompanyFields::Set(company, name, c.options.value(name), error)) {
            refuse(error);
        }
    }
}

void companyCommand(PhotoDatabase &db, const Command &c, const QString &verb) {
    if (verb == QLatin1String("list")) {
        c.operands(0);
        c.allow({});
        say(CompanyFields::Names().join(QLatin1Char('\t')));
        for (const CompanyRecord &company : db.companies()) {
            say(CompanyFields::Values(company).join(QLatin1Char('\t')));
        }
        return;
    }
    if (verb == QLatin1String("import")) {
        const QString file = c.operands(1).first();
        c.allow({});
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            refuse(QStringLiteral("cannot read \"%1\": %2").arg(file, f.errorString()));
        }
        QString error;
        const auto import = ReadCompanyCsv(f.readAll(), error);
        if (!import) {
            refuse(QStringLiteral("%1: %2").arg(file, error));
        }
        int added = 0;
        int changed = 0;
        db.inTransaction([&] {
            for (CompanyRecord company : import->companies) {
                checkTrade(db, company.trade);
                const std::optional<CompanyRecord> stored = db.companyById(company.companyId);
                if (stored && !import->setsActive) {
                    company.active = stored->active;
                }
                if (stored) {
                    db.updateCompany(company);
                    ++changed;
                } else {
                    db.addCompany(company);
                    ++added;
                }
            }
        });
        say(QStringLiteral("%1 companies added, %2 changed").arg(added).arg(changed));
        return;
    }
    const QString id = c.operands(1).first();
    if (verb == QLatin1String("add")) {
        c.allow(companyOptions());
        for (const QString &name : companyOptions()) {
            if (name != QLatin1String("active")) {
                c.required(name);
            }
        }
        CompanyRecord company;
        company.companyId = id;
        setFields(company, c);
        checkCompany(db, company);
        db.inTransaction([&] {
            if (db.companyById(id)) {
                refuse(QStringLiteral("company %1 exists; change it with: company change %1 ...").arg(id));
            }
            db.addCompany(company);
        });
        say(QStringLiteral("company %1 added").arg(id));
        return;
    }
    if (verb != QLatin1String("change") && verb != QLatin1String("deactivate")) {
        throw UsageError(QStringLiteral("no command \"company %1\"").arg(verb).toStdString());
    }
    c.allow(verb == QLatin1String("change") ? companyOptions() : QStringList{});
    if (verb == QLatin1String("change") &&
        c.options.size() <= (c.options.contains(QStringLiteral("db")) ? 1 : 0)) {
        throw UsageError("\"company change\" needs the fields to change");
    }
    db.inTransaction([&] {
        std::optional<CompanyRecord> company = db.companyById(id);
        if (!company) {
            refuse(QStringLiteral("no company %1").arg(id));
        }
        if (verb == QLatin1String("deactivate")) {
            company->active = 0;
        }
        setFields(*company, c);
        checkCompany(db, *company);
        db.updateCompany(*company);
    });
    say(QStringLiteral("company %1 %2").arg(id, verb == QLatin1String("change") ? "changed" : "deactivated"));
}

void tradeCommand(PhotoDatabase &db, const Command &c, const QString &object, const QString &verb) {
    c.allow({});
    if (object == QLatin1String("trade") && verb == QLatin1String("add")) {
        const QStringList args = c.operands(2);
        db.addTrade(args.at(0), args.at(1));
        say(QStringLiteral("trade %1 %2 stored").arg(args.at(0), args.at(1)));
    } else if (object == QLatin1String("trade") && verb == QLatin1String("list")) {
        c.operands(0);
        for (const PhotoTypeRecord &trade : db.trades()) {
            say(trade.code + QLatin1Char('\t') + trade.name);
        }
    } else if (object == QLatin1String("type") && verb == QLatin1String("add")) {
        const QStringList args = c.operands(3);
        checkTrade(db, args.at(0));
        db.addPhotoType(args.at(0), {args.at(1), args.at(2)});
        say(QStringLiteral("photo type %1 %2 of trade %3 stored").arg(args.at(1), args.at(2), args.at(0)));
    } else if (object == QLatin1String("type") && verb == QLatin1String("list")) {
        const QString trade = c.operands(1).first();
        const auto types = db.photoTypes(trade);
        if (!types) {
            refuse(QStringLiteral("no trade \"%1\"").arg(trade));
        }
        for (const PhotoTypeRecord &type : *types) {
            say(type.code + QLatin1Char('\t') + type.name);
        }
    } else {
        throw UsageError(QStringLiteral("no command \"%1 %2\"").arg(object, verb).toStdString());
    }
}

} // namespace

int RunAdmin(const QStringList &arguments) {
    const auto complain = [](const QString &what) {
        std::fprintf(stderr, "photo-service admin: %s\n", what.toLocal8Bit().constData());
    };
    try {
        const Command c = Command::parse(arguments);
        if (c.words.size() < 2) {
            throw UsageError("a command is an object and a verb, such as \"user add\"");
        }
        const QString location = c.options.value(QStringLiteral("db"));
        if (location.isEmpty()) {
            throw UsageError("--db DB is required");
        }
        PhotoDatabase db(location);
        const QString &object = c.words.at(0);
        const QString &verb = c.words.at(1);
        if (object == QLatin1String("user")) {
            userCommand(db, c, verb);
        } else if (object == QLatin1String("company")) {
            companyCommand(db, c, verb);
        } else if (object == QLatin1String("trade") || object == QLatin1String("type")) {
            tradeCommand(db, c, object, verb);
        } else {
            throw UsageError(QStringLiteral("no command \"%1 %2\"").arg(object, verb).toStdString());
        }
        return 0;
    } catch (const UsageError &e) {
        complain(QString::fromUtf8(e.what()));
        std::fputs(kAdminUsage, stderr);
        return 2;
    } catch (const std::exception &e) { // Refusal, DatabaseError, a hash without memory
        complain(QString::fromUtf8(e.what()));
        return 1;
    }
}
