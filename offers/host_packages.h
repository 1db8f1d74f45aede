// What the wizard host does with packages: the main product's package at the first Next
// and after loading, and the last event of every package when the wizard closes.
#pragma once

#include <string>

class ConfigurationManager;

// The four texts of the main product: offer id, offer tag, display name and channel.
struct MainPackageTexts {
    std::wstring offerId;
    std::wstring offerTag;
    std::wstring displayName;
    std::wstring channel;
};

// Before the remote configuration: the install flow's installer id, "cfl", title and
// channel; nothing yet in the download-only flow.
MainPackageTexts InitialMainTexts(const ConfigurationManager& config);
// After it: the title (download-only flow) or the installer id (install flow), then
// "cfl", title and channel.
MainPackageTexts LoadedMainTexts(const ConfigurationManager& config);

// Creates the main product's package with a fresh event context, stores it as the
// configuration's m_mainPackage and sends its event 1.
void StartMainPackage();

// Gives the main product's package a fresh event context and the loaded texts.
void ResetMainPackage();

// Sends event 5 for every offered package in order, then for the main product, waiting
// for each package's events before the next.
void SendClosingEvents();

// Waits for the events still under way of every offered package and the main product.
void WaitForPackageEvents();
