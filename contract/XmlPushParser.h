#pragma once
// A byte-oriented streaming XML reader for messages from outside (expat): fed a message in the
// pieces it arrives in, it reports each element by namespace and local name and hands on character
// data as it comes, holding no more of the message than a piece of markup not yet complete. What no
// message of the contract needs is refused: a document type declaration (so no entity is ever
// expanded), a start tag longer than kMaxStartTagBytes or with more than kMaxTagAttributes
// attributes (namespace declarations included), any other unfinished token (a comment, a name
// outside the elements) longer than kMaxStartTagBytes.

#include <QByteArrayView>

#include <exception>

struct XML_ParserStruct;

namespace Soap {

inline constexpr qsizetype kMaxStartTagBytes = 64 * 1024;
// The most any message of the contract puts on one tag is the envelope's namespace declarations
// and an xsi:type or xsi:nil; peers declare a few more namespaces.
inline constexpr int kMaxTagAttributes = 16;

// What the reader reports; a handler may throw to end the reading with that exception.
class XmlEvents {
public:
    virtual ~XmlEvents() = default;
    virtual void startElement(QByteArrayView namespaceUri, QByteArrayView localName) = 0;
    virtual void endElement() = 0;
    // UTF-8 text of the current element, in as many pieces as it comes.
    virtual void characters(QByteArrayView text) = 0;
};

class XmlPushParser {
public:
    explicit XmlPushParser(XmlEvents &events);
    ~XmlPushParser();
    XmlPushParser(const XmlPushParser &) = delete;
    XmlPushParser &operator=(const XmlPushParser &) = delete;

    // Reads the next piece. Throws SoapError for what cannot be read, or what a handler threw; after
    // that the parser is done and takes nothing more.
    void feed(QByteArrayView piece);
    // The message is complete; throws as feed() does when it is not a whole document.
    void finish();

private:
    void parse(const char *data, qsizetype size, bool last);
    [[noreturn]] void fail(const QString &problem);
    void checkUnfinishedToken();
    static void startElement(void *self, const char *name, const char **attributes);
    static void endElement(void *self, const char *name);
    static void characters(void *self, const char *text, int length);
    static void namespaceDeclaration(void *self, const char *prefix, const char *uri);
    static void doctype(void *self, const char *, const char *, const char *, int);
    void stop(std::exception_ptr error);

    XmlEvents &events_;
    XML_ParserStruct *parser_;
    std::exception_ptr error_; // what ended the reading in a handler
    int declarations_ = 0;     // namespace declarations of the start tag being read
    bool done_ = false;
};

} // namespace Soap
