// What the remote configuration document tells the installer about its run: the country,
// the main product ("i"), the publisher and the offer limit ("f"), and whether its offers
// ("o") are looked at.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>

class ConfigurationManager;

// The channel whose runs are shown no offers (compared exactly).
inline constexpr wchar_t kNoOffersChannel[] = L"00xA";

// Copies "l", the product data of "i" (download-only flow only) and "f"."a" into config.
// False when the product's title or download address is empty; nothing after them is read
// then. A member of the wrong type, or a missing "i", "ct" or "cu", throws a standard
// exception: the reply is malformed.
bool ReadProductData(const nlohmann::json& root, ConfigurationManager& config);

// Whether the offers are evaluated: the document holds "o" and the channel is not "00xA".
bool OffersWanted(const nlohmann::json& root, const ConfigurationManager& config);

// "f"."m", the most offers to accept: a number (a fraction is cut toward zero, values out of
// the int range are held at its ends) or a boolean. Throws when it is absent or of another
// type.
int OfferLimit(const nlohmann::json& root);

// "i"."sha256" in lower case: 64 hexadecimal digits, or empty when absent. Throws when it
// is present with any other value.
std::string ReadSha256(const nlohmann::json& object);
