#pragma once

#include "indexvalidators.h"

class QNetworkReply;
class QNetworkRequest;
class QUrl;

// The two ends of a conditional request for an index.
namespace ConditionalRequest {

// Asks the server to answer 304 Not Modified when its index still has these validators.
void addConditions(QNetworkRequest &request, const IndexValidators &validators);

// The validators a reply carries, with `address` as the address that answered.
[[nodiscard]] IndexValidators validatorsOf(const QNetworkReply &reply, const QUrl &address);

// A 304 answers only a request that carried validators; to any other it is no index at all.
inline constexpr int notModified = 304;

} // namespace ConditionalRequest
