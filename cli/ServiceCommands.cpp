// uploadpic-cli login, query, list and delete: the login check, the company query and the photo list
// as the main window runs them, and deleting a photo.

#include "PasswordSource.h"
#include "ServiceSession.h"

#include "client/LoginMessages.h"
#include "core/ShownText.h"

namespace cli {
int RunLogin(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Check a user name and password with the service. Prints success, denied, failed or\n"
                       "badheader; exits 0 only on success. The password comes from UPLOADPIC_PASSWORD,\n"
                       "the first line of stdin with --password-stdin, or a prompt on a terminal."));
    parser.addPositionalArgument(QStringLiteral("USER"), QStringLiteral("User name."));
    parser.addPositionalArgument(QStringLiteral("[PASSWORD]"),
                                 QStringLiteral("Password (visible to other users; prefer the above)."));
    const LoginOptions login;
    parser.addOption(login.passwordStdin);
    if (!ParseArgs(parser, QStringLiteral("login"), args, 1, 2)) {
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    const QString password = ReadPassword(positional.size() > 1 ? std::optional(positional[1]) : std::nullopt,
                                          parser.isSet(login.passwordStdin));
    ServiceSession session(options);
    const TOperationResult result = session.login(positional[0], password);
    if (result.input == PhotoWorkflow::Input::None) {
        Value(QStringLiteral("login"), loginOutcome(result.loginMessage));
    }
    return Finish(result);
}

int RunQuery(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(parser, login, QStringLiteral("query"),
                             QStringLiteral("Query a company and print its fields as Key=Value."), args, 1, 1,
                             options, session, exitCode)) {
        return exitCode;
    }
    const TOperationResult result = session->operations().QueryCompany(parser.positionalArguments()[0]);
    if (result.ok()) {
        const TCurrentCompany &company = *session->dm().CurrentCompany;
        Field(QStringLiteral("CompanyId"), session->dm().CompanyId);
        Field(QStringLiteral("CompanyName"), company.CompanyName);
        Field(QStringLiteral("CustomerId"), company.CustomerId);
        Field(QStringLiteral("SoftwareId"), company.SoftwareId);
        Field(QStringLiteral("CompanyType"), company.CompanyType);
        Field(QStringLiteral("DeviceId"), company.DeviceId);
    }
    return Finish(result);
}

int RunList(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("list"),
            QStringLiteral(
                "Query a company, then fetch its photo list into the photo cache. Prints the limits,\n"
                "one line 'Photo=ID<TAB>TYPE<TAB>STATE<TAB>NOTE' per photo (STATE 0 not cached,\n"
                "1 small version cached, 2 source version cached) and 'Type=ENTRY' per photo type."),
            args, 1, 1, options, session, exitCode)) {
        return exitCode;
    }
    const TOperationResult result = session->operations().Query(parser.positionalArguments()[0]);
    if (!result.ok()) {
        return Finish(result);
    }
    const TDM_Main &dm = session->dm();
    Field(QStringLiteral("MaxPhotoNumber"), dm.MaxPhotoNumber);
    Field(QStringLiteral("ZoomWidth"), dm.ZoomWidth);
    Field(QStringLiteral("ZoomHeight"), dm.ZoomHeight);
    const TPhotoListModel &rows = session->rows();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QString id = rows.subItem(row, TPhotoListModel::PhotoIdColumn);
        const QString type = rows.subItem(row, TPhotoListModel::TypeCodeColumn);
        const QString state = rows.subItem(row, TPhotoListModel::StateColumn);
        const QString note = rows.subItem(row, TPhotoListModel::NoteColumn);
        Item(QStringLiteral("photos"),
             QJsonObject{{QStringLiteral("id"), id},
                         {QStringLiteral("type"), type},
                         {QStringLiteral("state"), state.toInt()},
                         {QStringLiteral("note"), note}},
             // A tab inside a field must not pass for one between fields.
             QStringLiteral("Photo=%1\t%2\t%3\t%4")
                 .arg(ShownText(id), ShownText(type), ShownText(state), ShownText(note)));
    }
    for (const QString &type : dm.PhotoTypeList) {
        Item(QStringLiteral("types"), type, QStringLiteral("Type=") + type);
    }
    return Finish(result);
}

int RunDelete(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("PHOTOID"), QStringLiteral("The photo to delete."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(parser, login, QStringLiteral("delete"),
                             QStringLiteral("Delete one photo of a company. Its cache files stay."), args, 2,
                             2, options, session, exitCode)) {
        return exitCode;
    }
    TOperationResult result = session->operations().QueryCompany(parser.positionalArguments()[0]);
    if (result.ok()) {
        result =
            session->operations().Delete(parser.positionalArguments()[1], TPhotoSession::Identity::Photo);
    }
    return Finish(result);
}

} // namespace cli
