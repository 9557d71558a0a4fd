#pragma once
// Test double of platform/https.h: canned answers, the last request kept.
#include "platform/https.h"

#include <string>

namespace fake::https {

void reset(); // every GET fails, as with no network
void answer(const std::string& body);
int requests();
const platform::HttpsRequest& lastRequest();

} // namespace fake::https
