#pragma once

#include "indexerror.h"
#include "model/package.h"

#include <optional>

// The packages of an index, or why there are none.
struct IndexResult
{
    PackageList packages;
    std::optional<IndexError> error;

    [[nodiscard]] bool ok() const { return !error; }
};
