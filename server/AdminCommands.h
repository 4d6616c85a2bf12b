#pragma once
// photo-service admin: the commands that fill and keep a deployment's database (users, companies,
// trades and their photo types). See kAdminUsage.

#include <QStringList>

// Runs one command (the arguments after "admin"). Exit code: 0 done, 1 refused or failed (the reason
// on stderr, nothing changed), 2 a command line that is not one of the commands.
int RunAdmin(const QStringList &arguments);

inline constexpr char kAdminUsage[] =
    "usage: photo-service admin --db DB COMMAND\n"
    "  user add NAME --user-id ID --display-name TEXT --org-id ID --org-name TEXT [--password-file FILE]\n"
    "  user password NAME [--password-file FILE]\n"
    "  user disable NAME | user enable NAME | user list\n"
    "  company add COMPANY_ID --customer-id ID --software-id ID --device-id ID --company-type CODE\n"
    "              --name TEXT --trade CODE --photo-limit N --zoom-width PX --zoom-height PX [--active 0|1]\n"
    "  company change COMPANY_ID [any of the options of add]\n"
    "  company deactivate COMPANY_ID | company list | company import FILE.csv\n"
    "  trade add CODE NAME | trade list\n"
    "  type add TRADE CODE NAME | type list TRADE\n"
    "The password is read from the first line of --password-file or of standard input (asked for twice\n"
    "on a terminal). An import's first row names the columns (company_id, customer_id, software_id,\n"
    "device_id, company_type, name, trade, photo_limit, zoom_width, zoom_height and optionally active);\n"
    "it adds the companies that are new and replaces those that exist, all in one transaction.\n";
