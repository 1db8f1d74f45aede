// The package's background work: its image download and its event threads.
#include "offers/package.h"

#include "analytics/event_worker.h"
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "net/encoding.h"
#include "ui/handle.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <thread>

std::shared_ptr<Gdiplus::Image> ImageFromBytes(const std::vector<unsigned char>& bytes) {
    win32::com_ptr<IStream> stream;
    *stream.put() = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
    if (!stream) return nullptr;
    return std::make_shared<Gdiplus::Bitmap>(stream.get());
}

void Package::DownloadImage(std::function<void()> done) {
    if (m_isMain) {
        done();
        return;
    }
    const std::wstring url =
        ConfigurationManager::GetInstance()->m_fileBaseUrl + Utf8ToWide(m_imageName);
    DownloadManager::GetInstance()->DownloadToMemory(
        url, [self = shared_from_this(),
              done = std::move(done)](std::unique_ptr<std::vector<unsigned char>> bytes) {
            try {
                if (bytes && !bytes->empty()) {
                    if (auto image = ImageFromBytes(*bytes)) self->m_offerImage = std::move(image);
                }
            } catch (const std::exception&) {
                // Out of memory for the image: the page shows none.
            }
            if (done) done();
        });
}

void Package::SendEvent(int code, nlohmann::json extra) {
    if (m_eventsClosed) return;
    auto self = shared_from_this();
    std::shared_ptr<const EventContext> context;
    std::shared_ptr<const nlohmann::json> record;
    {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        ++m_pendingEvents;
        context = m_eventContext;
        record = m_eventRecord;
    }
    try {
        std::thread(RunEventWorker, std::move(self), std::move(context), std::move(record), code,
                    std::move(extra))
            .detach();
    } catch (const std::exception&) {
        EventWorkerEnded();  // no thread: the event is lost, the count must not be
    }
}

void Package::SendEvent(int code) { SendEvent(code, nlohmann::json()); }

void Package::EventWorkerEnded() {
    std::lock_guard<std::mutex> lock(m_eventMutex);
    if (--m_pendingEvents == 0) m_eventsDone.notify_all();
}

void Package::WaitForEvents() {
    std::unique_lock<std::mutex> lock(m_eventMutex);
    m_eventsDone.wait(lock, [this] { return m_pendingEvents == 0; });
}
