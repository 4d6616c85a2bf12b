#pragma once
// The request header read back into the texts the client put in: who asks (user and password at
// login, the company otherwise), the company type and the client version.

#include "contract/PictureService.h"

#include <optional>

struct CallerHeader {
    QString customer;    // user name, company ID or the company's customer ID
    QString software;    // password, characters 4 to 13 of the company ID or the software ID
    QString device;      // empty, or the company's device ID
    QString companyType; // empty, characters 1 to 3 of the company ID or the company type
    QString version;
};

// nullopt when a field is not in its wire form or the version is missing: every client sends its
// version, so a header without one is not a header the service can read.
std::optional<CallerHeader> ReadCallerHeader(const Header &header);
