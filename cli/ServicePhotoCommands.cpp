// uploadpic-cli fetch and edit: downloading a photo into the cache, and sending a changed photo prepared
// as the photo editor prepares it (add: AddCommand.cpp). Every rule comes from the workflow the windows use.

#include "ServiceSession.h"

#include "contract/ResultCodes.h"

namespace cli {

int RunFetch(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("PHOTOID"), QStringLiteral("A photo of the company's list."));
    parser.addPositionalArgument(QStringLiteral("small|source"),
                                 QStringLiteral("Which version to download."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("fetch"),
            QStringLiteral("Download one version of a listed photo into the photo cache and print the\n"
                           "cache file. Exits 1 when the file could not be written."),
            args, 3, 3, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString &photoId = positional[1];
    if (positional[2] != u"small" && positional[2] != u"source") {
        throw UsageError(
            QStringLiteral("fetch: the version is 'small' or 'source', not '%1'").arg(positional[2]));
    }
    TOperationResult result = session->operations().Query(positional[0]);
    if (result.ok()) {
        result = session->operations().Fetch(photoId, positional[2] == u"small" ? PhotoFlag::kSmall
                                                                                : PhotoFlag::kSource);
    }
    if (result.ok() && result.file.isEmpty()) {
        // The answer was good but left no file to show: the command did not do what it was asked.
        result.code = ResultCode::kNoAnswer;
        result.message = QStringLiteral("获取企业照片信息失败");
        result.reason = result.warning;
        result.warning.clear();
    }
    if (result.ok()) {
        Value(QStringLiteral("file"), result.file);
    }
    return Finish(result);
}

int RunEdit(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    const QCommandLineOption file(QStringLiteral("file"), QStringLiteral("A new image for the photo."),
                                  QStringLiteral("FILE"));
    parser.addOption(file);
    parser.addPositionalArgument(QStringLiteral("COMPANYID"), QStringLiteral("The 13-character company ID."));
    parser.addPositionalArgument(QStringLiteral("PHOTOID"), QStringLiteral("A photo of the company's list."));
    parser.addPositionalArgument(QStringLiteral("NOTE"), QStringLiteral("The photo's new note."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("edit"),
            QStringLiteral("Change a listed photo's note and, with --file, its image (prepared as the photo\n"
                           "editor does). Its type stays. Inputs the photo editor refuses exit 2 before\n"
                           "anything is sent."),
            args, 3, 3, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList positional = parser.positionalArguments();
    const QString image = parser.value(file);
    if (parser.isSet(file) && image.trimmed().isEmpty()) {
        throw UsageError(QStringLiteral("edit: --file needs a file name"));
    }
    TOperationResult result = session->operations().Query(positional[0]);
    if (result.ok()) {
        result = session->operations().Edit(positional[1], positional[2], image);
    }
    return Finish(result);
}

} // namespace cli
