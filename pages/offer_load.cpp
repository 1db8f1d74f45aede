#include "pages/offer_load.h"

#include "base/gate.h"
#include "config/configuration_manager.h"
#include "config/remote_configuration.h"
#include "net/api_manager.h"
#include "offers/offer_evaluator.h"
#include "offers/offer_list.h"
#include "offers/package.h"

#include <nlohmann/json.hpp>

OfferLoad::OfferLoad(HWND page, LoadCompleteCallback onComplete)
    : m_page(page), m_onComplete(std::move(onComplete)) {}

void OfferLoad::Finish(Outcome outcome, PackageList packages) {
    LockGuard lock(m_lock);
    m_outcome = outcome;
    m_packages = std::move(packages);
    if (m_page) PostMessageW(m_page, LoadingPage::kRequestCompleteMessage, 0, 0);
}

OfferLoad::Outcome OfferLoad::GetOutcome() {
    LockGuard lock(m_lock);
    return m_outcome;
}

PackageList OfferLoad::Packages() {
    LockGuard lock(m_lock);
    return m_packages;
}

void OfferLoad::ExpectPictures(size_t count) {
    LockGuard lock(m_lock);
    m_pendingPictures = count;
    m_expecting = true;
    HandOverIfDone();
}

void OfferLoad::PictureDone() {
    LockGuard lock(m_lock);
    if (m_pendingPictures > 0) --m_pendingPictures;
    HandOverIfDone();
}

void OfferLoad::HandOverIfDone() {
    if (!m_expecting || m_pendingPictures > 0 || m_handedOver) return;
    m_handedOver = true;
    // The callback only hands the list on (the host posts it to itself).
    if (m_onComplete) m_onComplete(m_packages);
}

void OfferLoad::Abandon() {
    PackageList packages;
    {
        LockGuard lock(m_lock);
        m_page = nullptr;
        m_onComplete = nullptr;
        packages = m_packages;
    }
    GdiplusGate().RunLocked([&packages] {
        for (const auto& package : packages) package->m_offerImage.reset();
    });
}

OfferLoad::Outcome LoadOffers(PackageList& packages) {
    try {
        auto config = ConfigurationManager::GetInstance();
        const auto root = ApiManager::GetInstance()->FetchConfiguration();
        if (!ReadProductData(*root, *config)) return OfferLoad::Outcome::ProductDataMissing;
        if (OffersWanted(*root, *config)) {
            config->m_offerSetting = OfferLimit(*root);
            OfferEvaluator evaluator(config->m_offerSetting);
            packages = SelectOffers(root->at("o"), evaluator);
        }
        return OfferLoad::Outcome::Loaded;
    } catch (...) {
        // Transport failures, empty or malformed replies and malformed offers alike.
        packages.clear();
        return OfferLoad::Outcome::Failed;
    }
}
