// The state a configuration load shares between the loading page, its background task and
// its picture downloads. The task and every download own it, so whichever ends last, the
// page and the host may be gone by then without harm.
#pragma once

#include "base/thread.h"
#include "pages/loading_page.h"

#include <windows.h>

class OfferLoad {
public:
    enum class Outcome {
        Loading,
        Loaded,              // the packages are the eligible offers
        ProductDataMissing,  // the product's title or download address is empty
        Failed,              // no reply, or a malformed one
    };

    OfferLoad(HWND page, LoadCompleteCallback onComplete);

    // The background task's result; tells the page with the request-complete message.
    void Finish(Outcome outcome, PackageList packages = {});
    Outcome GetOutcome();
    PackageList Packages();

    // How many pictures are awaited; with none the list is handed over at once.
    void ExpectPictures(size_t count);
    // One picture has arrived or failed; the last one hands the list over.
    void PictureDone();

    // The page is going: nobody is told anything any more, and the pictures of the packages
    // are released while GDI+ still runs.
    void Abandon();

private:
    void HandOverIfDone();  // with m_lock held

    Lock m_lock;
    HWND m_page;
    LoadCompleteCallback m_onComplete;
    Outcome m_outcome = Outcome::Loading;
    PackageList m_packages;
    size_t m_pendingPictures = 0;
    bool m_expecting = false;
    bool m_handedOver = false;
};

// The background task: fetches the configuration, fills the configuration record and
// selects the offers. Never throws.
OfferLoad::Outcome LoadOffers(PackageList& packages);
