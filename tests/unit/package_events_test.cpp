// Packages talking to the test back end: event delivery, retries, closing, waiting, and
// the offer image. Run by with_backend.py; skipped without it.
#include "offers/package.h"

#include "analytics/event_context.h"
#include "config/configuration_manager.h"
#include "offers/host_packages.h"
#include "net/api_client.h"
#include "base/encoding.h"
#include "test_backend.h"

#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <memory>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

json Document(const nlohmann::ordered_json& request) {
    const json envelope = json::parse(request["body"].get<std::string>());
    EXPECT_EQ(envelope["table"], "zb_analytics");
    return json::parse(envelope["data"].get<std::string>());
}

double SecondsBetween(const nlohmann::ordered_json& first, const nlohmann::ordered_json& second) {
    return second["time"].get<double>() - first["time"].get<double>();
}

std::shared_ptr<Package> MainPackage() {
    return std::make_shared<Package>(BuildEventContext(), true, L"", L"", L"", L"", 0);
}

std::shared_ptr<Package> OfferPackage(int index, const std::string& image = "offer.bmp") {
    const json entry = {
        {"ad", {{"f", "tag-1"}, {"o", "offer-7"}}},
        {"ps", {{"i", image}, {"dn", "Offer"}, {"u", "https://localhost/f/o.exe"}}}};
    return std::make_shared<Package>(BuildEventContext(), entry, false, "", index);
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class PackageDelivery : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("KELVARA_BACKEND")) GTEST_SKIP() << "needs the test back end";
        m_backend = std::make_unique<TestBackend>();
        ConfigurationManager::GetInstance()->m_analyticsUrl = L"https://localhost/zbd";
    }

    std::unique_ptr<TestBackend> m_backend;
};

}  // namespace

TEST_F(PackageDelivery, RefusedOfferReportsItsReasonAndOutlivesItsCaller) {
    m_backend->SetRoutes({{"/zbd", {{"status", 200}, {"delay", 0.5}}}});
    auto offer = OfferPackage(2);
    std::weak_ptr<Package> watch = offer;
    offer->SendEvent(EventCode::OfferRefused, {{"13", "NOT ENOUGH RAM"}, {"40", "dropped"}});
    offer.reset();  // as the loading page drops a refused offer
    const auto start = Clock::now();
    while (!watch.expired() && SecondsSince(start) < 15) Sleep(20);
    ASSERT_TRUE(watch.expired());

    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["headers"]["Authorization"], WideToUtf8(SignatureHeader().second));
    const json document = Document(requests[0]);
    EXPECT_EQ(document["6"], "2");
    EXPECT_EQ(document["10"], 2);
    EXPECT_EQ(document["17"], "3");
    EXPECT_EQ(document["13"], "NOT ENOUGH RAM");
    EXPECT_EQ(document["5"], "offer-7");
    EXPECT_EQ(document["18"], "tag-1");
    EXPECT_EQ(document["1"], ConfigurationManager::GetInstance()->GetMachineId());
    EXPECT_FALSE(document.contains("40"));
}

TEST_F(PackageDelivery, BadStatusIsTriedOnceMoreFiveSecondsLater) {
    m_backend->SetRoutes({{"/zbd", {{{"status", 500}}, {{"status", 200}}}}});
    auto main = MainPackage();
    main->SendEvent(EventCode::WizardStarted, {});
    main->WaitForEvents();
    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NEAR(SecondsBetween(requests[0], requests[1]), 5.0, 1.0);
    EXPECT_EQ(Document(requests[1]), Document(requests[0]));
    EXPECT_EQ(Document(requests[1])["6"], "1");
    EXPECT_FALSE(main->EventsClosed());  // event 1 is not final
}

TEST_F(PackageDelivery, NoResponseIsTriedOnceMoreToo) {
    m_backend->SetRoutes({{"/zbd", {{{"refuse", true}}, {{"status", 200}}}}});
    auto offer = OfferPackage(0);
    offer->SendEvent(EventCode::Completed, {});
    offer->WaitForEvents();
    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NEAR(SecondsBetween(requests[0], requests[1]), 5.0, 1.0);
    EXPECT_TRUE(offer->EventsClosed());
}

TEST_F(PackageDelivery, DeliveredFinalEventClosesThePackage) {
    m_backend->SetRoutes({{"/zbd", {{"status", 204}}}});
    auto offer = OfferPackage(0);
    offer->SendEvent(EventCode::OfferDeclined, {});
    offer->WaitForEvents();
    EXPECT_TRUE(offer->EventsClosed());
    offer->SendEvent(EventCode::WizardClosed, {});
    offer->WaitForEvents();
    EXPECT_EQ(m_backend->Requests("/zbd").size(), 1u);
}

TEST_F(PackageDelivery, FailedFinalEventLeavesThePackageOpen) {
    m_backend->SetRoutes({{"/zbd", {{{"status", 500}}, {{"status", 404}}, {{"status", 304}}}}});
    auto offer = OfferPackage(0);
    offer->SendEvent(EventCode::OfferDeclined, {});
    offer->WaitForEvents();
    EXPECT_FALSE(offer->EventsClosed());
    ASSERT_EQ(m_backend->Requests("/zbd").size(), 2u);

    offer->SendEvent(EventCode::WizardClosed, {});
    offer->WaitForEvents();
    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(Document(requests[2])["6"], "5");
    EXPECT_TRUE(offer->EventsClosed());  // a 3xx answer delivers
}

TEST_F(PackageDelivery, WaitingEndsOnceEveryWorkerHasEnded) {
    m_backend->SetRoutes({{"/zbd", {{"status", 200}, {"delay", 1}}}});
    auto main = MainPackage();
    const auto start = Clock::now();
    for (int i = 0; i < 3; ++i) main->SendEvent(EventCode::WizardStarted, {});
    main->WaitForEvents();
    EXPECT_GE(SecondsSince(start), 0.9);
    EXPECT_EQ(m_backend->Requests("/zbd").size(), 3u);
}

TEST_F(PackageDelivery, AnEventInDeliveryKeepsTheRecordItStartedWith) {
    m_backend->SetRoutes({{"/zbd", {{"status", 200}, {"delay", 1}}}});
    auto config = ConfigurationManager::GetInstance();
    config->m_productTitle = L"Early Title";
    config->m_cfl.clear();
    auto main = MainPackage();
    main->SendEvent(EventCode::WizardStarted, {});
    config->m_productTitle = L"Loaded Title";
    config->m_cfl = L"cfl-1";
    main->ResetAsMain(BuildEventContext(), L"Loaded Title", L"cfl-1", L"Loaded Title", L"");
    main->SendEvent(EventCode::WizardClosed, {});
    main->WaitForEvents();
    config->m_productTitle.clear();
    config->m_cfl.clear();

    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        const json document = Document(request);
        const bool first = document["6"] == "1";
        EXPECT_EQ(document["22"], first ? "Early Title" : "Loaded Title");
        EXPECT_EQ(document["5"], first ? "Early Title" : "Loaded Title");
        EXPECT_EQ(document["19"], first ? "" : "cfl-1");
    }
}

namespace {

// A 2 x 1 bitmap whose bytes are all below 0x80, so the back end can serve it as text.
std::string TinyBitmapFile() {
    std::string file = "BM";
    auto put32 = [&file](unsigned value) {
        for (int i = 0; i < 4; ++i) file += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    auto put16 = [&file](unsigned value) {
        file += static_cast<char>(value & 0xFF);
        file += static_cast<char>(value >> 8);
    };
    put32(14 + 40 + 8);  // file size
    put32(0);
    put32(14 + 40);  // pixel data offset
    put32(40);       // header size
    put32(2);        // width
    put32(1);        // height
    put16(1);        // planes
    put16(24);       // bits per pixel
    put32(0);        // no compression
    put32(8);        // pixel data size: one row of 6 bytes padded to 8
    for (int i = 0; i < 4; ++i) put32(0);
    file += std::string("\x10\x20\x30\x40\x50\x60\0\0", 8);
    return file;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

// Starts the image download and waits for its done call.
void DownloadImageAndWait(Package& package) {
    std::atomic<bool> done{false};
    package.DownloadImage([&done] { done = true; });
    const auto start = Clock::now();
    while (!done && SecondsSince(start) < 20) Sleep(20);
    ASSERT_TRUE(done);
}

}  // namespace

TEST_F(PackageDelivery, OfferImageIsDecodedFromTheFileBase) {
    GdiplusSession gdiplus;
    m_backend->SetRoutes(
        {{"/f/offer.bmp", {{"text", TinyBitmapFile()}}}, {"/f/empty.bmp", {{"text", ""}}}});
    auto offer = OfferPackage(0);
    DownloadImageAndWait(*offer);
    ASSERT_NE(offer->m_offerImage, nullptr);
    EXPECT_EQ(offer->m_offerImage->GetWidth(), 2u);
    EXPECT_EQ(offer->m_offerImage->GetHeight(), 1u);

    auto empty = OfferPackage(0, "empty.bmp");
    DownloadImageAndWait(*empty);
    EXPECT_EQ(empty->m_offerImage, nullptr);
    offer->m_offerImage.reset();  // before GDI+ shuts down
}

TEST_F(PackageDelivery, TheMainProductStartsWithEventOneBeforeTheConfigurationIsKnown) {
    m_backend->SetRoutes({{"/zbd", {{"status", 200}}}});
    auto config = ConfigurationManager::GetInstance();
    config->m_productTitle = L"Title So Far";
    StartMainPackage();
    ASSERT_NE(config->m_mainPackage, nullptr);
    EXPECT_TRUE(config->m_mainPackage->m_isMain);
    config->m_mainPackage->WaitForEvents();
    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 1u);
    const json document = Document(requests[0]);
    EXPECT_EQ(document["6"], "1");
    EXPECT_EQ(document["10"], 1);
    EXPECT_EQ(document["19"], "");
    EXPECT_EQ(document["21"], "");
    EXPECT_EQ(document["22"], "Title So Far");

    config->m_productTitle = L"Loaded";
    config->m_channel = L"ch-2";
    ResetMainPackage();
    EXPECT_EQ(config->m_mainPackage->m_offerId, "Loaded");
    EXPECT_EQ((*config->m_mainPackage->EventRecord())["21"], "ch-2");
    config->m_mainPackage.reset();
    config->m_productTitle.clear();
    config->m_channel.clear();
}

TEST_F(PackageDelivery, ClosingSendsEventFiveForEachPackageInTurn) {
    m_backend->SetRoutes({{"/zbd", {{"status", 200}}}});
    auto config = ConfigurationManager::GetInstance();
    auto declined = OfferPackage(0);
    declined->SendEvent(EventCode::OfferDeclined);
    declined->WaitForEvents();
    auto first = OfferPackage(0);
    auto second = OfferPackage(1);
    config->m_offeredPackages = {first, declined, second};
    config->m_mainPackage = MainPackage();
    // Slow replies, so a package that did not wait for the one before would show.
    m_backend->SetRoutes({{"/zbd", {{"status", 200}, {"delay", 0.5}}}});

    SendClosingEvents();
    const auto requests = m_backend->Requests("/zbd");
    ASSERT_EQ(requests.size(), 3u);  // none for the declined offer, whose event 4 was delivered
    EXPECT_EQ(Document(requests[0])["17"], "1");
    EXPECT_EQ(Document(requests[1])["17"], "2");
    EXPECT_EQ(Document(requests[2])["10"], 1);
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(Document(requests[i])["6"], "5");
        if (i > 0) {
            EXPECT_GE(SecondsBetween(requests[i - 1], requests[i]), 0.45);
        }
    }
    EXPECT_TRUE(first->EventsClosed() && second->EventsClosed() &&
                config->m_mainPackage->EventsClosed());
    config->m_offeredPackages.clear();
    config->m_mainPackage.reset();
}
