#pragma once
// The five values of the request header, chosen by the data module's OperationKind: who asks at login
// (user and password), at a company query (the typed company ID) or for photo operations (the current
// company). Identities travel as header tokens, the company type and version as plain Base64.

#include "contract/PictureService.h"

class TDM_Main;

// The header for the data module's current OperationKind.
THeaderFields BuildHeaderFields(const TDM_Main &dm);
