#pragma once
// Creates the demo data of DemoData.h in a database, once: a later call finds the mark it left and
// changes nothing, so demo photos a user deleted stay deleted.

class PhotoDatabase;

// True when the data was created now, false when it was there already. Throws DatabaseError.
bool SeedDemo(PhotoDatabase &db);
