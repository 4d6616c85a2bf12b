#pragma once
// Finds the company a request is about from its header, in either form the client sends: the
// company-query form (the 13-character company ID, its characters 4 to 13, the Base64 of characters
// 1 to 3, no device) or the photo-operation form (the customer, software and device IDs and the
// company type that the company query returned).

#include "PhotoDatabase.h"
#include "contract/PictureService.h"

struct ResolvedCompany {
    QString code; // "1110" when `company` may be worked on, otherwise the refusal
    std::optional<CompanyRecord> company;
    QString detail;                              // why it was refused, for the request log
    std::optional<QList<PhotoTypeRecord>> types; // the trade's photo types, for ResolveCompanyWithTypes
};

// Refusals: "0001" unreadable header, "1003" no such company, "1111" identifiers that do not match,
// "1000" deactivated, "1004" a state other than active or deactivated.
ResolvedCompany ResolveCompany(PhotoDatabase &db, const Header &header);

// ResolveCompany, then the photo types of the company's trade: refused with "0004" when the trade has
// no type list. The photo operations that list, add or change photos need both.
ResolvedCompany ResolveCompanyWithTypes(PhotoDatabase &db, const Header &header);
