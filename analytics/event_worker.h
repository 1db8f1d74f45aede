// Delivery of one analytics event to the analytics endpoint.
#pragma once

#include "analytics/event_code.h"
#include "analytics/event_context.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// The pause between the two attempts of one event.
inline constexpr std::chrono::milliseconds kEventRetryPause{5000};

// Posts the body to url up to twice, kEventRetryPause apart; a status of 200 to 399
// delivers it. A failed attempt (bad status or no response at all) is followed by the
// pause, the second one too. True when the event was delivered.
bool DeliverEvent(const std::wstring& url, const std::string& body, const HeaderList& headers);

// The body of an event thread: builds the document from the record the event started
// with and delivers it. ended runs in every case, with true when a final event was
// delivered (the package then sends nothing more).
void RunEventWorker(const EventContext& context, const nlohmann::json& record, EventCode code,
                    const nlohmann::json& extra, const std::function<void(bool closed)>& ended);
