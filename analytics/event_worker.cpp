#include "analytics/event_worker.h"

#include "analytics/event_record.h"
#include "config/configuration_manager.h"
#include "net/kelvara_exception.h"

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
        Sleep(static_cast<DWORD>(kEventRetryPause.count()));
    }
    return false;
}

void RunEventWorker(const EventContext& context, const nlohmann::json& record, EventCode code,
                    const nlohmann::json& extra, const std::function<void(bool closed)>& ended) {
    bool closed = false;
    try {
        const std::string body = BuildEnvelope(BuildEventDocument(record, code, extra));
        const std::wstring url = ConfigurationManager::GetInstance()->m_analyticsUrl;
        closed = DeliverEvent(url, body, context.headers) && IsFinalEvent(code);
    } catch (...) {
        // A lost event is never the wizard's concern.
    }
    ended(closed);
}
