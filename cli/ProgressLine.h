#pragma once
// The progress of a transfer over 1 MB as one line on stderr, rewritten in place ("sent 1.4 of
// 3.2 MB"), for a person watching a terminal; scripts and pipes get none.

#include "client/TransferControl.h"

#include <memory>

namespace cli {

// A control whose OnProgress draws the line when stderr is a terminal and quiet is false; null
// otherwise.
std::shared_ptr<TransferControl> ProgressControl(bool quiet);
// Ends a drawn line, so that what is printed next starts on a line of its own.
void EndProgressLine();

} // namespace cli
