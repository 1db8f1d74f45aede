// The codes of the analytics events.
#pragma once

enum class EventCode {
    DownloadOrRunFailed = -1,  // a download failed, or the main installer did not succeed
    WizardStarted = 1,         // the first Next: the main product's package is made
    OfferRefused = 2,          // the eligibility rules refused the offer
    Completed = 3,             // the main product's download or install succeeded, an offer started
    OfferDeclined = 4,         // the user declined the offer
    WizardClosed = 5,          // the close procedure, for each offered package and the main product
};

// Codes after whose delivery the package sends nothing more: all but WizardStarted.
inline bool IsFinalEvent(EventCode code) { return code != EventCode::WizardStarted; }
