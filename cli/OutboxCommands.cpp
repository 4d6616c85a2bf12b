// uploadpic-cli outbox: the work kept for later (see client/Outbox.h): list it, send it, discard it.

#include "ServiceSession.h"

#include "client/OutboxSend.h"
#include "contract/ResultCodes.h"

#include <QJsonObject>

#include <climits>

namespace cli {

namespace {

QString sizeText(const QSize &size) {
    return size.isValid() ? QStringLiteral("%1x%2").arg(size.width()).arg(size.height()) : QString();
}

int runList(const QStringList &args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "List the outbox's entries, oldest first, one line each:\n"
        "  ID<TAB>COMPANYID<TAB>add TYPECODE|edit PHOTOID<TAB>NOTE<TAB>KEPT<TAB>SIZE<TAB>REASON\n"
        "(SIZE: the source version's pixels and KB, then the small version's). A damaged entry is\n"
        "listed as ID<TAB>damaged<TAB>WHY. Needs no login."));
    if (!ParseArgs(parser, QStringLiteral("outbox list"), args, 0, 0)) {
        return 0;
    }
    const QList<TOutbox::Listed> entries = TOutbox().List();
    for (const TOutbox::Listed &listed : entries) {
        if (!listed.error.isEmpty()) {
            Item(QStringLiteral("entries"),
                 QJsonObject{{QStringLiteral("id"), listed.id}, {QStringLiteral("error"), listed.error}},
                 QStringList{listed.id, QStringLiteral("damaged"), listed.error}.join(u'\t'));
            continue;
        }
        const TOutboxEntry &e = listed.entry;
        const bool add = e.kind == TOutboxEntry::Kind::Add;
        const PhotoWorkflow::TPreparedPhoto &p = e.photo;
        QJsonObject item{{QStringLiteral("id"), listed.id},
                         {QStringLiteral("companyId"), e.companyId},
                         {QStringLiteral("kind"), add ? QStringLiteral("add") : QStringLiteral("edit")},
                         {QStringLiteral("note"), e.note},
                         {QStringLiteral("kept"), e.kept.toString(Qt::ISODate)},
                         {QStringLiteral("reason"), e.reason}};
        QString size;
        if (add) {
            item.insert(QStringLiteral("typeEntry"), e.typeEntry);
        } else {
            item.insert(QStringLiteral("photoId"), e.photoId);
        }
        if (p.hasImage()) {
            item.insert(QStringLiteral("sourceWidth"), p.sourceSize.width());
            item.insert(QStringLiteral("sourceHeight"), p.sourceSize.height());
            item.insert(QStringLiteral("sourceBytes"), p.source.size());
            item.insert(QStringLiteral("smallWidth"), p.smallSize.width());
            item.insert(QStringLiteral("smallHeight"), p.smallSize.height());
            item.insert(QStringLiteral("smallBytes"), p.small.size());
            size = QStringLiteral("%1 %2KB, %3 %4KB")
                       .arg(sizeText(p.sourceSize))
                       .arg((p.source.size() + 1023) / 1024)
                       .arg(sizeText(p.smallSize))
                       .arg((p.small.size() + 1023) / 1024);
        }
        const QString what = add ? QStringLiteral("add ") + e.typeEntry.section(u' ', 0, 0)
                                 : QStringLiteral("edit ") + e.photoId;
        Item(QStringLiteral("entries"), item,
             QStringList{listed.id, e.companyId, what, e.note, e.kept.toLocalTime().toString(Qt::ISODate),
                         size, e.reason}
                 .join(u'\t'));
    }
    return 0;
}

int runDiscard(const QStringList &args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Remove entries from the outbox without sending them."));
    parser.addPositionalArgument(QStringLiteral("ID..."),
                                 QStringLiteral("Entries as 'outbox list' names them."));
    if (!ParseArgs(parser, QStringLiteral("outbox discard"), args, 1, INT_MAX)) {
        return 0;
    }
    const QStringList ids = parser.positionalArguments();
    for (const QString &id : ids) {
        if (!TOutbox::IsEntryId(id)) {
            throw UsageError(
                QStringLiteral("outbox discard: '%1' is no entry ID; see 'uploadpic-cli outbox list'")
                    .arg(id));
        }
    }
    int exitCode = 0;
    TOutbox outbox;
    for (const QString &id : ids) {
        if (outbox.Discard(id)) {
            Item(QStringLiteral("discarded"), id, id);
        } else {
            Err(QStringLiteral("uploadpic-cli: outbox discard: no entry %1").arg(id));
            exitCode = 1;
        }
    }
    return exitCode;
}

int runSend(const QStringList &args, const Options &options) {
    QCommandLineParser parser;
    const LoginOptions login;
    parser.addPositionalArgument(QStringLiteral("[ID...]"),
                                 QStringLiteral("Entries to send; every entry when none is given."));
    std::unique_ptr<ServiceSession> session;
    int exitCode = 0;
    if (!StartServiceCommand(
            parser, login, QStringLiteral("outbox send"),
            QStringLiteral(
                "Send the outbox's entries one after another, each to its company, and report each:\n"
                "  ID<TAB>sent|already-sent|refused|unreachable|unreadable<TAB>PHOTOID or reason\n"
                "Before an add is sent again, the company's list is looked at: when it holds a photo of\n"
                "the entry's type whose small version is the one kept, the add was applied though its\n"
                "answer was lost, and the entry goes without being sent again (already-sent). An entry\n"
                "sent goes; one refused or not reached stays with the reason. Exits 0 when every entry\n"
                "is sent, 1 otherwise."),
            args, 0, INT_MAX, options, session, exitCode)) {
        return exitCode;
    }
    const QStringList ids = parser.positionalArguments();
    for (const QString &id : ids) {
        if (!TOutbox::IsEntryId(id)) {
            throw UsageError(
                QStringLiteral("outbox send: '%1' is no entry ID; see 'uploadpic-cli outbox list'").arg(id));
        }
    }
    TOutbox outbox;
    TOperationResult firstFailure;
    int sent = 0;
    SendOutbox(session->operations(), session->dm(), outbox, ids, [&](const TOutboxReport &report) {
        const TOperationResult &r = report.result;
        const QString outcome = OutcomeName(report.outcome);
        QJsonObject item{{QStringLiteral("id"), report.id},
                         {QStringLiteral("outcome"), outcome},
                         {QStringLiteral("code"), r.code},
                         {QStringLiteral("message"), r.message},
                         {QStringLiteral("reason"), r.reason}};
        if (!r.photoId.isEmpty()) {
            item.insert(QStringLiteral("photoId"), r.photoId);
        }
        if (!r.warning.isEmpty()) {
            Err(QStringLiteral("uploadpic-cli: ") + r.warning);
        }
        const QString detail = report.done() ? r.photoId : (r.reason.isEmpty() ? r.message : r.reason);
        Item(QStringLiteral("entries"), item, QStringList{report.id, outcome, detail}.join(u'\t'));
        if (report.done()) {
            ++sent;
        } else if (firstFailure.code.isEmpty()) {
            firstFailure = r;
            firstFailure.warning.clear();
        }
    });
    if (!firstFailure.code.isEmpty()) {
        if (firstFailure.ok()) { // an entry that could not be read
            firstFailure.code = ResultCode::kNoAnswer;
        }
        return Finish(firstFailure);
    }
    TOperationResult result;
    result.code = ResultCode::kSuccess;
    result.message = QStringLiteral("已发送%1项").arg(sent);
    return Finish(result);
}

} // namespace

int RunOutbox(const QStringList &args, const Options &options) {
    const QString sub = args.value(0);
    if (sub == u"list") {
        return runList(args.mid(1));
    }
    if (sub == u"send") {
        return runSend(args.mid(1), options);
    }
    if (sub == u"discard") {
        return runDiscard(args.mid(1));
    }
    if (sub == u"-h" || sub == u"--help") {
        ShowHelp(QStringLiteral("Usage: uploadpic-cli outbox list|send [ID...]|discard ID...\n\n"
                                "The outbox keeps photos that could not be sent because the service was\n"
                                "out of reach ('add --keep', or the photo editor), until they are sent or\n"
                                "discarded. 'outbox SUBCOMMAND --help' shows a subcommand's help."));
        return 0;
    }
    throw UsageError(sub.isEmpty() ? QStringLiteral("outbox: give list, send or discard")
                                   : QStringLiteral("outbox: unknown subcommand '%1'").arg(sub));
}

} // namespace cli
