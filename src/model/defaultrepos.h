#pragma once

#include "repo.h"

// The seven sources a list starts with, in their fixed order, all pinned and fixed: Vexlo's
// own source (its address set when Vexlo is configured) and six public ones.
[[nodiscard]] RepoList defaultRepos();
