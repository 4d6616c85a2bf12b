// uploadpic-cli login, query, list and delete: the login check, the company query and the photo list
// as the main window runs them, and deleting a photo.

#include "ServiceSession.h"

#include "service/LoginMessages.h"
#include "service/ResultCodes.h"
#include "service/UploadPictureLib.h"

namespace cli {
int RunLogin(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Check a user name and password with the service. Prints success, denied, failed or\n"
                       "badheader; exits 0 only on success."));
    parser.addPositionalArgument(QStringLiteral("USER"), QStringLiteral("User name."));
    parser.addPositionalArgument(QStringLiteral("PASSWORD"), QStringLiteral("Password."));
    if (!ParseArgs(parser, QStringLiteral("login"), args, 2, 2)) {
        return 0;
    }
    ServiceSession session(options);
    const int message = session.login(parser.positionalArguments()[0], parser.positionalArguments()[1]);
    Out(loginOutcome(message));
    return message == WM_LOGIN_SUCCESS ? 0 : 1;
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
    const QString code = session->queryCompany(parser.positionalArguments()[0]);
    if (code != ResultCode::kSuccess) {
        return failed(code);
    }
    const TCurrentCompany &company = *session->dm().CurrentCompany;
    Out(QStringLiteral("CompanyId=") + session->dm().CompanyId);
    Out(QStringLiteral("CompanyName=") + company.CompanyName);
    Out(QStringLiteral("CustomerId=") + company.CustomerId);
    Out(QStringLiteral("SoftwareId=") + company.SoftwareId);
    Out(QStringLiteral("CompanyType=") + company.CompanyType);
    Out(QStringLiteral("DeviceId=") + company.DeviceId);
    return 0;
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
    const QString code = session->queryAndList(parser.positionalArguments()[0]);
    if (code != ResultCode::kSuccess) {
        return failed(code);
    }
    const TDM_Main &dm = session->dm();
    Out(QStringLiteral("MaxPhotoNumber=%1").arg(dm.MaxPhotoNumber));
    Out(QStringLiteral("ZoomWidth=%1").arg(dm.ZoomWidth));
    Out(QStringLiteral("ZoomHeight=%1").arg(dm.ZoomHeight));
    const TPhotoListModel &rows = session->rows();
    for (int row = 0; row < rows.rowCount(); ++row) {
        Out(QStringLiteral("Photo=%1\t%2\t%3\t%4")
                .arg(rows.subItem(row, TPhotoListModel::PhotoIdColumn),
                     rows.subItem(row, TPhotoListModel::TypeCodeColumn),
                     rows.subItem(row, TPhotoListModel::StateColumn),
                     rows.subItem(row, TPhotoListModel::NoteColumn)));
    }
    for (const QString &type : dm.PhotoTypeList) {
        Out(QStringLiteral("Type=") + type);
    }
    return 0;
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
    QString code = session->queryCompany(parser.positionalArguments()[0]);
    if (code != ResultCode::kSuccess) {
        return failed(code);
    }
    session->dm().OperationKind = 2;
    TUploadPicture().Func_DeleteCompanyPhoto(parser.positionalArguments()[1], code);
    return code == ResultCode::kSuccess ? 0 : failed(code);
}

} // namespace cli
