#pragma once
// Companies from a CSV file (RFC 4180, read with libcsv, UTF-8): a first row naming the columns
// (CompanyFields names; every one but "active", which defaults to 1), then one company per row.

#include "PhotoDatabase.h"

#include <QByteArray>
#include <QList>

#include <optional>

struct CompanyImport {
    QList<CompanyRecord> companies;
    bool setsActive = false; // the file has the "active" column; without it a company keeps its state
};

// The companies, checked field by field; nullopt with the reason and its row number when any row is
// unusable, so that an import takes all rows or none.
std::optional<CompanyImport> ReadCompanyCsv(const QByteArray &bytes, QString &error);
