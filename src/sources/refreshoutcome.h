#pragma once

#include "model/repo.h"

#include <QString>

// What a refresh does to a source at each step, and the texts of a failed refresh; shared by
// the main screen and the command line.
namespace RefreshOutcome {

void begin(Repo &repo);
// Returns the packages it replaced, so the caller chooses where a large list is freed.
PackageList succeed(Repo &repo, PackageList packages);
void fail(Repo &repo);

[[nodiscard]] QString consoleLine(const Repo &repo); // "فشل في تحديث السورس: " + name
[[nodiscard]] QString alertMessage(const Repo &repo); // "فشل في جلب الحزم من السورس: " + name
[[nodiscard]] QString alertMessage(const QString &shownName); // the same, with the name shown for it

} // namespace RefreshOutcome
