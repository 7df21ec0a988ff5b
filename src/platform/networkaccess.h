#pragma once

class QNetworkAccessManager;

namespace NetworkAccess {

// The one network access manager of the application, living on the main thread: redirects
// followed, the platform's 60 s transfer timeout, replies deleted once finished.
[[nodiscard]] QNetworkAccessManager *manager();

inline constexpr int transferTimeoutMs = 60'000;

} // namespace NetworkAccess
