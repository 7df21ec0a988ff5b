#pragma once

#include "indexerror.h"

#include <QString>

// Why a source's index could not be had, as one short Arabic sentence for the people who use
// the application: chosen by what happened, never the network library's own wording.
[[nodiscard]] QString failureReason(const IndexError &error);
