#pragma once

#include "repo.h"

#include <string_view>

// The sources a list starts with, in their fixed order, all pinned and fixed: Vexlo's own
// source when a base address is given for it, then six public ones. Without an own source
// there is none in the list at all, so that no fixed entry points at nothing.
[[nodiscard]] RepoList defaultRepos(std::string_view ownSourceURL);
// With the own source's address set when Vexlo is configured (VEXLO_OWN_SOURCE_URL).
[[nodiscard]] RepoList defaultRepos();
