#include "offers/host_packages.h"

#include "analytics/event_context.h"
#include "config/configuration_manager.h"
#include "offers/package.h"

MainPackageTexts InitialMainTexts(const ConfigurationManager& config) {
    if (config.m_wizardType != WizardType::ISV) return {};
    return {config.m_installerId, config.m_cfl, config.m_productTitle, config.m_channel};
}

MainPackageTexts LoadedMainTexts(const ConfigurationManager& config) {
    const std::wstring offerId = config.m_wizardType == WizardType::DLM   ? config.m_productTitle
                                 : config.m_wizardType == WizardType::ISV ? config.m_installerId
                                                                          : L"";
    return {offerId, config.m_cfl, config.m_productTitle, config.m_channel};
}

void StartMainPackage() {
    auto config = ConfigurationManager::GetInstance();
    const MainPackageTexts texts = InitialMainTexts(*config);
    config->m_mainPackage =
        std::make_shared<Package>(BuildEventContext(), true, texts.offerId, texts.offerTag,
                                  texts.displayName, texts.channel, 0);
    config->m_mainPackage->SendEvent(EventCode::WizardStarted);
}

void ResetMainPackage() {
    auto config = ConfigurationManager::GetInstance();
    if (!config->m_mainPackage) return;
    const MainPackageTexts texts = LoadedMainTexts(*config);
    config->m_mainPackage->ResetAsMain(BuildEventContext(), texts.offerId, texts.offerTag,
                                       texts.displayName, texts.channel);
}

namespace {

std::vector<std::shared_ptr<Package>> HostPackages() {
    auto config = ConfigurationManager::GetInstance();
    auto packages = config->m_offeredPackages;
    if (config->m_mainPackage) packages.push_back(config->m_mainPackage);
    return packages;
}

}  // namespace

void SendClosingEvents() {
    for (const auto& package : HostPackages()) {
        package->SendEvent(EventCode::WizardClosed);
        package->WaitForEvents();
    }
}

void WaitForPackageEvents() {
    for (const auto& package : HostPackages()) package->WaitForEvents();
}
