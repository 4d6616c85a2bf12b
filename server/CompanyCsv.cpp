#include "CompanyCsv.h"

#include "CompanyFields.h"

#include <csv.h>

#include <memory>

namespace {

struct Rows {
    QList<QStringList> rows;
    QStringList current;
};

void onField(void *text, size_t length, void *data) {
    static_cast<Rows *>(data)->current.append(
        QString::fromUtf8(static_cast<const char *>(text), static_cast<qsizetype>(length)));
}

void onRow(int, void *data) {
    Rows *rows = static_cast<Rows *>(data);
    rows->rows.append(std::move(rows->current));
    rows->current.clear();
}

struct ParserFree {
    void operator()(csv_parser *p) const {
        csv_free(p);
        delete p;
    }
};

} // namespace

std::optional<CompanyImport> ReadCompanyCsv(const QByteArray &bytes, QString &error) {
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3); // a byte order mark, as spreadsheet programs write it
    }
    std::unique_ptr<csv_parser, ParserFree> parser(new csv_parser);
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL) != 0) {
        error = QStringLiteral("cannot start the CSV reader");
        return std::nullopt;
    }
    Rows rows;
    if (csv_parse(parser.get(), text.constData(), static_cast<size_t>(text.size()), onField, onRow, &rows) !=
            static_cast<size_t>(text.size()) ||
        csv_fini(parser.get(), onField, onRow, &rows) != 0) {
        error = QStringLiteral("not CSV after row %1: %2")
                    .arg(rows.rows.size())
                    .arg(QString::fromLatin1(csv_strerror(csv_error(parser.get()))));
        return std::nullopt;
    }
    if (rows.rows.isEmpty()) {
        error = QStringLiteral("the file is empty; its first row names the columns");
        return std::nullopt;
    }
    const QStringList columns = rows.rows.takeFirst();
    for (const QString &name : CompanyFields::Names()) {
        if (name != QLatin1String("active") && !columns.contains(name)) {
            error = QStringLiteral("row 1: no column \"%1\"").arg(name);
            return std::nullopt;
        }
    }
    CompanyImport import;
    import.setsActive = columns.contains(QStringLiteral("active"));
    for (qsizetype i = 0; i < rows.rows.size(); ++i) {
        const QStringList &row = rows.rows.at(i);
        const QString where = QStringLiteral("row %1: ").arg(i + 2);
        if (row.size() != columns.size()) {
            error = where +
                    QStringLiteral("%1 fields, the first row names %2").arg(row.size()).arg(columns.size());
            return std::nullopt;
        }
        CompanyRecord company;
        for (qsizetype k = 0; k < columns.size(); ++k) {
            if (!CompanyFields::Set(company, columns.at(k).trimmed(), row.at(k), error)) {
                error.prepend(where);
                return std::nullopt;
            }
        }
        if (const QString missing = CompanyFields::Missing(company); !missing.isEmpty()) {
            error = where + missing;
            return std::nullopt;
        }
        import.companies.append(company);
    }
    return import;
}
