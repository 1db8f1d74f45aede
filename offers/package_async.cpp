// The package's background work: its image download and its event threads.
#include "offers/package.h"

#include "analytics/event_worker.h"
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "base/encoding.h"
#include "base/gate.h"
#include "base/handle.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

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
            if (bytes && !bytes->empty()) {
                // No new image once the wizard closes: GDI+ shuts down after it.
                GdiplusGate().RunWhileOpen([&] {
                    try {
                        if (auto image = ImageFromBytes(*bytes))
                            self->m_offerImage = std::move(image);
                    } catch (const std::exception&) {
                        // Out of memory for the image: the page shows none.
                    }
                });
            }
            if (done) done();
        });
}

void Package::SendEvent(EventCode code, nlohmann::json extra) {
    if (m_eventsClosed) return;
    auto self = shared_from_this();
    std::shared_ptr<const EventContext> context;
    std::shared_ptr<const nlohmann::json> record;
    {
        LockGuard lock(m_eventLock);
        ++m_pendingEvents;
        context = m_eventContext;
        record = m_eventRecord;
    }
    const bool started = StartThread([self, context, record, code, extra = std::move(extra)] {
        RunEventWorker(*context, *record, code, extra, [&self](bool closed) {
            if (closed) self->m_eventsClosed = true;
            self->EventWorkerEnded();
        });
    });
    if (!started) EventWorkerEnded();  // no thread: the event is lost, the count must not be
}

void Package::SendEvent(EventCode code) { SendEvent(code, nlohmann::json()); }

void Package::EventWorkerEnded() {
    LockGuard lock(m_eventLock);
    if (--m_pendingEvents == 0) m_eventsDone.NotifyAll();
}

void Package::WaitForEvents() {
    LockGuard lock(m_eventLock);
    m_eventsDone.Wait(m_eventLock, [this] { return m_pendingEvents == 0; });
}
