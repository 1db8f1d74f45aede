// Delivery of one analytics event to the analytics endpoint.
#pragma once

#include "analytics/event_context.h"

#include <chrono>
#include <memory>
#include <string>

// The pause between the two attempts of one event.
inline constexpr std::chrono::milliseconds kEventRetryPause{5000};

// Posts the body to url up to twice, kEventRetryPause apart; a status of 200 to 399
// delivers it. A failed attempt (bad status or no response at all) is followed by the
// pause, the second one too. True when the event was delivered.
bool DeliverEvent(const std::wstring& url, const std::string& body, const HeaderList& headers);

// The body of an event thread: builds the document from the record the event started
// with, delivers it, closes the package's events after a delivered final event, and in
// every case gives back the package's pending count.
void RunEventWorker(std::shared_ptr<Package> package, std::shared_ptr<const EventContext> context,
                    std::shared_ptr<const nlohmann::json> record, int code, nlohmann::json extra);
