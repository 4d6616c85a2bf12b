#include "XmlPushParser.h"

#include "SoapCodec.h"

#include <expat.h>

#include <cstring>
#include <utility>

namespace Soap {
namespace {

// Expanded names come as "namespace<kSeparator>local", or "local" outside any namespace. The
// separator cannot occur in a namespace name: XML text never holds it.
constexpr char kSeparator = '\x01';

// Pieces are read a block at a time so that an over-long start tag is noticed after at most a
// block more than the bound, however large the piece.
constexpr qsizetype kBlock = 64 * 1024;

XmlPushParser &self(void *data) {
    return *static_cast<XmlPushParser *>(data);
}

} // namespace

XmlPushParser::XmlPushParser(XmlEvents &events)
    : events_(events), parser_(XML_ParserCreateNS(nullptr, kSeparator)) {
    if (!parser_) {
        throw std::bad_alloc();
    }
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &XmlPushParser::startElement, &XmlPushParser::endElement);
    XML_SetCharacterDataHandler(parser_, &XmlPushParser::characters);
    XML_SetStartNamespaceDeclHandler(parser_, &XmlPushParser::namespaceDeclaration);
    XML_SetStartDoctypeDeclHandler(parser_, &XmlPushParser::doctype);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlPushParser::~XmlPushParser() {
    XML_ParserFree(parser_);
}

void XmlPushParser::feed(QByteArrayView piece) {
    for (qsizetype at = 0; at < piece.size(); at += kBlock) {
        parse(piece.data() + at, qMin(kBlock, piece.size() - at), false);
    }
}

void XmlPushParser::finish() {
    parse(nullptr, 0, true);
}

void XmlPushParser::parse(const char *data, qsizetype size, bool last) {
    if (done_) {
        throw SoapError(QStringLiteral("unreadable message: read past its end or its first error"));
    }
    if (XML_Parse(parser_, data, int(size), last) == XML_STATUS_OK) {
        if (last) {
            done_ = true;
        } else {
            checkUnfinishedToken();
        }
        return;
    }
    done_ = true;
    if (error_) {
        std::rethrow_exception(error_);
    }
    fail(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser_))));
}

void XmlPushParser::fail(const QString &problem) {
    done_ = true;
    throw SoapError(QStringLiteral("unreadable message (line %1, column %2): %3")
                        .arg(XML_GetCurrentLineNumber(parser_))
                        .arg(XML_GetCurrentColumnNumber(parser_))
                        .arg(problem));
}

// What expat keeps while it waits for the end of a token (text is handed on as it comes, so this is
// markup, or a name outside any element): a token past the bound is refused here, before the rest of
// it arrives. No message of the contract needs a longer comment or processing instruction.
void XmlPushParser::checkUnfinishedToken() {
    int offset = 0;
    int size = 0;
    const char *context = XML_GetInputContext(parser_, &offset, &size);
    if (!context || size - offset <= kMaxStartTagBytes) {
        return;
    }
    done_ = true;
    if (context[offset] != '<' || std::strchr("/!?", context[offset + 1])) {
        throw SoapError(QStringLiteral("unreadable message: an unfinished token longer than %1 bytes")
                            .arg(kMaxStartTagBytes));
    }
    // A start tag: its attributes so far are the "=" outside quoted values.
    int attributes = 0;
    char quote = 0;
    for (int i = offset; i < size; ++i) {
        const char c = context[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '=') {
            ++attributes;
        }
    }
    throw SoapError(
        attributes > kMaxTagAttributes
            ? QStringLiteral("unreadable message: a start tag with more than %1 attributes")
                  .arg(kMaxTagAttributes)
            : QStringLiteral("unreadable message: a start tag longer than %1 bytes").arg(kMaxStartTagBytes));
}

void XmlPushParser::stop(std::exception_ptr error) {
    if (!error_) {
        error_ = std::move(error);
    }
    XML_StopParser(parser_, XML_FALSE);
}

void XmlPushParser::startElement(void *data, const char *name, const char **attributes) {
    XmlPushParser &p = self(data);
    int count = std::exchange(p.declarations_, 0);
    for (const char **a = attributes; *a; a += 2) {
        ++count;
    }
    try {
        if (count > kMaxTagAttributes) {
            throw SoapError(QStringLiteral("unreadable message: a start tag with more than %1 attributes")
                                .arg(kMaxTagAttributes));
        }
        if (XML_GetCurrentByteCount(p.parser_) > kMaxStartTagBytes) {
            throw SoapError(QStringLiteral("unreadable message: a start tag longer than %1 bytes")
                                .arg(kMaxStartTagBytes));
        }
        const char *split = std::strrchr(name, kSeparator);
        p.events_.startElement(split ? QByteArrayView(name, split - name) : QByteArrayView(),
                               split ? QByteArrayView(split + 1) : QByteArrayView(name));
    } catch (...) {
        p.stop(std::current_exception());
    }
}

void XmlPushParser::endElement(void *data, const char *) {
    XmlPushParser &p = self(data);
    try {
        p.events_.endElement();
    } catch (...) {
        p.stop(std::current_exception());
    }
}

void XmlPushParser::characters(void *data, const char *text, int length) {
    XmlPushParser &p = self(data);
    try {
        p.events_.characters(QByteArrayView(text, length));
    } catch (...) {
        p.stop(std::current_exception());
    }
}

void XmlPushParser::namespaceDeclaration(void *data, const char *, const char *) {
    ++self(data).declarations_;
}

void XmlPushParser::doctype(void *data, const char *, const char *, const char *, int) {
    self(data).stop(std::make_exception_ptr(
        SoapError(QStringLiteral("unreadable message: a document type declaration is not allowed"))));
}

} // namespace Soap
