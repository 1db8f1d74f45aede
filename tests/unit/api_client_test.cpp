#include "config/configuration_manager.h"
#include "net/api_client.h"
#include "net/api_manager.h"
#include "base/encoding.h"
#include "net/kelvara_exception.h"
#include "net/sha256.h"
#include "base/system_info.h"
#include "net/timeouts.h"
#include "net/winhttp_session.h"
#include "test_backend.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

using namespace std::chrono;

// --- Pure parts -------------------------------------------------------------------------

TEST(Sha256, MatchesTheStandardTestVectors) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjk"
                        "lmnopqklmnopqrlm"
                        "nopqrsmnopqrstnopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, FedInPiecesMatchesTheWholeAcrossBlockEdges) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7);
    for (size_t piece : {1u, 55u, 56u, 63u, 64u, 65u, 999u}) {
        Sha256 digest;
        for (size_t at = 0; at < bytes.size(); at += piece)
            digest.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(digest.HexDigest(), Sha256Hex(bytes)) << piece;
    }
    for (size_t size : {55u, 56u, 64u, 119u, 120u}) {
        Sha256 digest;
        digest.Update(bytes.data(), size);
        EXPECT_EQ(digest.HexDigest(), Sha256Hex(bytes.substr(0, size))) << size;
    }
}

TEST(Signature, IsTheDigestOfMachineIdThenSessionId) {
    EXPECT_EQ(SignatureValue("ab", "c"),
              L"Signature=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    auto config = ConfigurationManager::GetInstance();
    const auto [name, value] = SignatureHeader();
    EXPECT_EQ(name, L"Authorization");
    EXPECT_EQ(value, SignatureValue(config->GetMachineId(), config->GetSessionId()));
    EXPECT_FALSE(config->GetMachineId().empty());
}

TEST(InstallerToken, IsSevenCharactersWithADashAfterTheLastUnderscore) {
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\setup_ab-c123.exe"), L"ab-c123");
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\my_product_1a-2b3c.exe"), L"1a-2b3c");
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\setup_abc.exe"), L"");
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\setup_abcdefg.exe"), L"") << "no dash";
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\setup_ab-c1234.exe"), L"") << "8 characters";
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\installer.exe"), L"");
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Work_Files\\setup.exe"), L"")
        << "the whole path is searched";
    EXPECT_EQ(InstallerTokenFromPath(L"C:\\Downloads\\setup_ab-c123"), L"ab-c123")
        << "no extension";
}

TEST(ConfigurationRequest, IsCompactWithItsKeysInByteOrder) {
    const std::string body =
        ConfigurationRequestBody({L"3.0.13.45782", L"DE_de", L"Tovanta", L"Tovanta_DLM",
                                  L"Tovanta_3cpp", L"ab-c123", "10.0.19045"});
    EXPECT_EQ(body,
              "{\"a\":\"Tovanta\",\"i\":\"Tovanta_DLM\",\"l\":\"de\",\"o\":\"10.0.19045\",\"plv\":"
              "\"3.0.13.45782\","
              "\"prv\":\"0.1\",\"s\":\"Tovanta_3cpp\",\"u\":\"ab-c123\"}");
    // Wide texts travel as UTF-8.
    const std::string branded =
        ConfigurationRequestBody({L"", L"", L"Tövanta \u65e5", L"", L"", L"", ""});
    EXPECT_NE(branded.find("\"a\":\"T\xc3\xb6vanta \xe6\x97\xa5\""), std::string::npos) << branded;
}

TEST(ConfigurationReply, KeepsWhiteSpaceInsideStrings) {
    auto reply = ParseConfigurationReply(
        " {\n\t\"ct\": \"My App\",\r\n \"path\": \"C:\\\\Program Files\\\\x\\ty\" } \n");
    EXPECT_EQ((*reply)["ct"], "My App");
    EXPECT_EQ((*reply)["path"], "C:\\Program Files\\x\ty");
}

TEST(ConfigurationReply, EmptyOrBlankIsKelvaraExceptionAndMalformedIsAParseError) {
    EXPECT_THROW(ParseConfigurationReply(""), KelvaraException);
    EXPECT_THROW(ParseConfigurationReply(" \t\r\n\v\f"), KelvaraException);
    EXPECT_THROW(ParseConfigurationReply("not found"), nlohmann::json::parse_error);
    EXPECT_THROW(ParseConfigurationReply("{\"a\":1} // comment"), nlohmann::json::parse_error);
    // The library reports a number beyond a double as a range error of its own.
    EXPECT_THROW(ParseConfigurationReply("{\"f\":{\"m\":1e400}}"), nlohmann::json::parse_error);
    EXPECT_STREQ(KelvaraException().what(), "");
}

TEST(SystemInfo, ReportsTheWindows10OfTheTestPrefix) {
    EXPECT_TRUE(IsWindowsAtLeast(6, 1, 1));
    EXPECT_TRUE(IsWindowsAtLeast(10, 0, 0));
    EXPECT_FALSE(IsWindowsAtLeast(10, 0, 1));
    EXPECT_FALSE(IsWindowsAtLeast(10, 1, 0));
    const std::string version = OsVersionString();
    EXPECT_EQ(version.rfind("10.0.", 0), 0u) << version;
    EXPECT_GT(version.size(), 5u);
}

TEST(Session, NeverOffersSsl3AndUsesTheAutomaticProxyOnWindows10) {
    const DWORD tls10To12 = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 |
                            WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                            WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    EXPECT_EQ(SecureProtocols(false, false), static_cast<DWORD>(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1));
    EXPECT_EQ(SecureProtocols(true, false), tls10To12);
    EXPECT_EQ(SecureProtocols(true, true), tls10To12 | 0x2000u) << "TLS 1.3";
    EXPECT_TRUE(OpenSession(nullptr, ProxyAccessType()))
        << "this system takes the set with TLS 1.3 or without";
    EXPECT_EQ(ProxyAccessType(), 4u) << "automatic proxy";
}

TEST(Session, TheAutomaticProxyOnlyFromWindows81) {
    const DWORD automatic = 4;
    const DWORD standard = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    for (const char* older : {"6.0.6002", "6.1.7600", "6.1.7601", "6.2.9200", "5.1.2600"})
        EXPECT_EQ(ProxyAccessTypeFor(older), standard) << older;
    for (const char* newer : {"6.3.9600", "10.0.19045", "10.0.22631", "7.0.1", "99999999999.0.0"})
        EXPECT_EQ(ProxyAccessTypeFor(newer), automatic) << newer;
    for (const char* unreadable : {"", "x", ".3", "6", "6.", "-10.0"})
        EXPECT_EQ(ProxyAccessTypeFor(unreadable), standard) << unreadable;
}

// The token comes from the executable's own name: a probe program copied under the names.
TEST(SystemInfo, InstallerTokenComesFromTheRunningExecutablesName) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring probe = self;
    probe = probe.substr(0, probe.rfind(L'\\') + 1) + L"token_probe.exe";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"token_test_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\Work_Files").c_str(), nullptr));
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"installer.exe", ""},
        {L"my_product_1a-2b3c.exe", "1a-2b3c"},
        {L"setup_ab-c123.exe", "ab-c123"},
        {L"setup_abc.exe", ""},
        {L"Work_Files\\setup.exe", ""},
    };
    for (const auto& [name, token] : cases) {
        const std::wstring copy = folder + L"\\" + name;
        ASSERT_TRUE(CopyFileW(probe.c_str(), copy.c_str(), FALSE)) << probe.c_str();
        const std::wstring out = folder + L"\\token.txt";
        std::wstring command = L"\"" + copy + L"\" \"" + out + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process));
        WaitForSingleObject(process.hProcess, 30000);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(exitCode, 0u);
        std::ifstream file(out.c_str(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        EXPECT_EQ(text.str(), token) << name;
        file.close();
        DeleteFileW(out.c_str());
        DeleteFileW(copy.c_str());
    }
    RemoveDirectoryW((folder + L"\\Work_Files").c_str());
    RemoveDirectoryW(folder.c_str());
}

// --- Against the test back end ------------------------------------------------------------

class ConfigurationRequestTest : public testing::Test {
protected:
    void SetUp() override {
        m_config->m_localeName = L"en_US";
        m_savedUrl = m_config->m_configUrl;
    }
    void TearDown() override { m_config->m_configUrl = m_savedUrl; }

    // The time of a logged request, in seconds.
    static double Time(const nlohmann::ordered_json& request) {
        return request["time"].get<double>();
    }

    TestBackend m_backend;
    std::shared_ptr<ConfigurationManager> m_config = ConfigurationManager::GetInstance();
    std::wstring m_savedUrl;
};

TEST_F(ConfigurationRequestTest, PostsTheCompactBodyWithJsonHeaders) {
    m_backend.SetRoutes({{"/o", {{"text", "{\"ct\": \"My App\", \"cf\": \"My App Setup.exe\"}"}}}});
    auto reply = ApiManager::GetInstance()->FetchConfiguration();
    EXPECT_EQ((*reply)["ct"], "My App") << "spaces in strings are kept";
    EXPECT_EQ((*reply)["cf"], "My App Setup.exe");

    const auto requests = m_backend.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request["method"], "POST");
    EXPECT_EQ(request["path"], "/o");
    // The test program's name has no token; the version is the program's file version.
    EXPECT_EQ(request["body"],
              "{\"a\":\"Tovanta\",\"i\":\"Tovanta_DLM\",\"l\":\"en\",\"o\":\"" + OsVersionString() +
                  "\",\"plv\":\"3.0.13.45782\",\"prv\":\"0.1\",\"s\":\"Tovanta_3cpp\",\"u\":\"\"}");
    EXPECT_EQ(request["headers"]["Content-Type"], "application/json");
    EXPECT_EQ(request["headers"]["Content-Length"],
              std::to_string(request["body"].get<std::string>().size()));
    EXPECT_EQ(request["headers"]["Host"], "localhost");
}

TEST_F(ConfigurationRequestTest, GoesToPort443OverTlsWithoutTheQuery) {
    m_backend.SetRoutes({{"/o", {{"json", {{"ok", 1}}}}}});
    // The server only listens on 443 with TLS: scheme and port of the URL do not count.
    m_config->m_configUrl = L"http://localhost:8080/o?x=1#part";
    EXPECT_EQ((*ApiManager::GetInstance()->FetchConfiguration())["ok"], 1);
    const auto requests = m_backend.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"], "/o");
    EXPECT_EQ(requests[0]["query"], "");
}

TEST_F(ConfigurationRequestTest, ThreeFailedAttemptsFiveSecondsApartThenTheLastReplyIsParsed) {
    m_backend.SetRoutes({{"/o", {{"status", 404}, {"text", "not found"}}}});
    const auto start = steady_clock::now();
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), nlohmann::json::parse_error);
    const double elapsed = duration<double>(steady_clock::now() - start).count();
    const auto requests = m_backend.Requests("/o");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_GE(Time(requests[1]) - Time(requests[0]), 4.9);
    EXPECT_GE(Time(requests[2]) - Time(requests[1]), 4.9);
    EXPECT_GE(elapsed, 14.9) << "a pause follows the third attempt too";
}

TEST_F(ConfigurationRequestTest, StopsAtTheFirstAnswerFrom200To399) {
    m_backend.SetRoutes({{"/o",
                          {{{"status", 503}, {"text", "{\"attempt\":1}"}},
                           {{"status", 399}, {"text", "{\"attempt\":2}"}},
                           {{"text", "{\"attempt\":3}"}}}}});
    EXPECT_EQ((*ApiManager::GetInstance()->FetchConfiguration())["attempt"], 2);
    EXPECT_EQ(m_backend.Requests("/o").size(), 2u);

    // 304 counts as an answer: one attempt, and its empty body is no configuration.
    m_backend.SetRoutes({{"/o", {{{"status", 304}}, {{"json", {{"attempt", 2}}}}}}});
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
    EXPECT_EQ(m_backend.Requests("/o").size(), 1u);
}

TEST_F(ConfigurationRequestTest, BadRepliesRaise) {
    const std::pair<nlohmann::json, bool> cases[] = {
        {{{"text", ""}}, true},          // empty: KelvaraException
        {{{"text", " \r\n\t "}}, true},  // white space only: KelvaraException
        {{{"text", "<html>oops</html>"}}, false},
        {{{"text", "{\"a\":"}}, false},
    };
    for (const auto& [reply, empty] : cases) {
        m_backend.SetRoutes({{"/o", reply}});
        if (empty) {
            EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException)
                << reply;
        } else {
            EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(),
                         nlohmann::json::parse_error)
                << reply;
        }
        EXPECT_EQ(m_backend.Requests("/o").size(), 1u);
    }
}

TEST_F(ConfigurationRequestTest, AReplyIsCutAtItsFirstNulByte) {
    m_backend.SetRoutes({{"/o", {{"text", std::string("{\"a\":1}\0{garbage", 16)}}}});
    EXPECT_EQ(*ApiManager::GetInstance()->FetchConfiguration(), nlohmann::json({{"a", 1}}));
}

TEST_F(ConfigurationRequestTest, ABrokenConnectionEndsAtOnceWithKelvaraException) {
    m_backend.SetRoutes({{"/o", {{"refuse", true}}}});
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
    EXPECT_EQ(m_backend.Requests("/o").size(), 1u) << "no retry after a transport failure";

    m_config->m_configUrl = L"";
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
    m_config->m_configUrl = L"not a url";
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
}

TEST_F(ConfigurationRequestTest, AReplyOverTheCapFailsAtOnce) {
    const std::string large = "{\"a\":\"" + std::string(3 * 1024 * 1024, 'x') + "\"}";
    m_backend.SetRoutes({{"/o", {{"text", large}}}});
    EXPECT_EQ((*ApiManager::GetInstance()->FetchConfiguration())["a"].get<std::string>().size(),
              3u * 1024 * 1024);

    const std::string tooLarge = "{\"a\":\"" + std::string(4 * 1024 * 1024, 'x') + "\"}";
    m_backend.SetRoutes({{"/o", {{"text", tooLarge}}}});
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
    EXPECT_EQ(m_backend.Requests("/o").size(), 1u);
    std::string reply = "kept";
    DWORD status = 0;
    EXPECT_FALSE(PostJson(L"localhost", L"/o", "{}", {}, reply, status));
    EXPECT_EQ(reply, "kept") << "nothing of the reply is kept";
}

TEST_F(ConfigurationRequestTest, ASilentServerFailsWithinTheTimeout) {
    TransferTimeouts() = {2000, 2000, 2000, 2000};
    m_backend.SetSilent();
    const auto start = steady_clock::now();
    EXPECT_THROW(ApiManager::GetInstance()->FetchConfiguration(), KelvaraException);
    const auto elapsed = steady_clock::now() - start;
    TransferTimeouts() = kDefaultNetworkTimeouts;
    EXPECT_LT(elapsed, seconds(6));
    std::printf("silent: %d ms\n", static_cast<int>(duration_cast<milliseconds>(elapsed).count()));
    m_backend.SetRoutes({});
}

TEST(EventRequest, SendsTheAuthorizationHeaderFirst) {
    TestBackend backend;
    backend.SetRoutes({{"/zbd", {{"status", 202}, {"text", "accepted"}}}});
    const auto signature = SignatureHeader();
    std::string reply = "kept:";
    DWORD status = 0;
    EXPECT_TRUE(PostJsonToUrl(L"https://localhost/zbd", "{\"t\":\"zb_analytics\"}",
                              {signature, {L"X-Event", L"7"}}, reply, status));
    EXPECT_EQ(status, 202u);
    EXPECT_EQ(reply, "kept:accepted") << "the reply is appended";

    const auto requests = backend.Requests("/zbd");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["body"], "{\"t\":\"zb_analytics\"}");
    std::vector<std::string> names;
    for (const auto& [name, value] : requests[0]["headers"].items()) {
        if (name == "Authorization" || name == "X-Event" || name == "Content-Type")
            names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Authorization", "X-Event", "Content-Type"}));
    EXPECT_EQ(requests[0]["headers"]["Authorization"], WideToUtf8(signature.second));
}
