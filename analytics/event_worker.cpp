#include "analytics/event_worker.h"

#include "analytics/event_record.h"
#include "config/configuration_manager.h"
#include "net/kelvara_exception.h"

#include <thread>

bool DeliverEvent(const std::wstring& url, const std::string& body, const HeaderList& headers) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            std::string reply;
            DWORD status = 0;
            if (PostJsonToUrl(url, body, headers, reply, status) && status >= 200 &&
                status <= 399) {
                return true;
            }
        } catch (const KelvaraException&) {
            // No response: retried like a bad status, so a momentary fault loses nothing.
        }
        std::this_thread::sleep_for(kEventRetryPause);
    }
    return false;
}

void RunEventWorker(std::shared_ptr<Package> package, std::shared_ptr<const EventContext> context,
                    std::shared_ptr<const nlohmann::json> record, int code, nlohmann::json extra) {
    try {
        const std::string body = BuildEnvelope(BuildEventDocument(*record, code, extra));
        const std::wstring url = ConfigurationManager::GetInstance()->m_analyticsUrl;
        if (DeliverEvent(url, body, context->headers) && IsFinalEvent(code)) {
            package->m_eventsClosed = true;
        }
    } catch (...) {
        // A lost event is never the wizard's concern.
    }
    package->EventWorkerEnded();
}
