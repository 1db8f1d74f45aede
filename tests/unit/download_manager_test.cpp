#include "base/encoding.h"
#include "base/handle.h"
#include "base/thread.h"
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "net/file_name.h"
#include "net/sha256.h"
#include "net/timeouts.h"
#include "net/transfer.h"
#include "net/url.h"
#include "progress_window.h"
#include "test_backend.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <chrono>
#include <iostream>
#include <tuple>
#include <optional>
#include <tuple>

using namespace std::chrono;
using Json = nlohmann::json;

namespace {

// Byte k of a body the back end generates.
unsigned char PatternByte(size_t k) { return static_cast<unsigned char>(k % 251); }

std::optional<std::string> ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The first size bytes of a generated body.
std::string PatternBody(size_t size) {
    std::string bytes;
    for (size_t k = 0; k < size; ++k) bytes += static_cast<char>(PatternByte(k));
    return bytes;
}

bool IsPattern(const std::string& bytes, size_t size) {
    if (bytes.size() != size) return false;
    for (size_t k = 0; k < size; ++k) {
        if (static_cast<unsigned char>(bytes[k]) != PatternByte(k)) return false;
    }
    return true;
}

// The bytes DownloadToMemory hands over, or nothing for a null vector.
std::optional<std::vector<unsigned char>> DownloadToMemory(
    const std::wstring& url, std::function<void()> whileRunning = {}) {
    std::unique_ptr<std::vector<unsigned char>> bytes;
    const win32::unique_handle delivered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    DownloadManager::GetInstance()->DownloadToMemory(
        url, [&](std::unique_ptr<std::vector<unsigned char>> result) {
            bytes = std::move(result);
            SetEvent(delivered.get());
        });
    if (whileRunning) whileRunning();
    EXPECT_EQ(WaitForSingleObject(delivered.get(), 60000), WAIT_OBJECT_0);
    // The callback writes to this frame: never return before it ran.
    WaitForSingleObject(delivered.get(), INFINITE);
    if (!bytes) return std::nullopt;
    return *bytes;
}

class DownloadTest : public testing::Test {
protected:
    DownloadManager::Result Download(const std::wstring& url, const std::wstring& fileName = L"",
                                     bool toWorkingDirectory = true,
                                     const std::wstring& expectedSha256 = L"") {
        auto manager = DownloadManager::GetInstance();
        DownloadManager::Result result;
        Thread download([&] {
            result = manager->Download(url, m_window.get(), fileName, toWorkingDirectory,
                                       expectedSha256);
        });
        m_window.Wait(download);
        return result;
    }

    DownloadManager::Result Download(const std::wstring& url, const DownloadTarget& target) {
        DownloadManager::Result result;
        Thread download([&] {
            result = DownloadManager::GetInstance()->Download(url, m_window.get(), target);
        });
        m_window.Wait(download);
        return result;
    }

    // A program to be started, into the working directory.
    DownloadTarget Program(const std::wstring& fileName = L"", std::string sha256 = "") const {
        return {ConfigurationManager::GetInstance()->m_workingDirectory, fileName, true,
                std::move(sha256)};
    }

    std::wstring InWorkingDirectory(const std::wstring& name) const {
        return ConfigurationManager::GetInstance()->m_workingDirectory + L"\\" + name;
    }

    TestBackend m_backend;
    ProgressWindow m_window;
};

}  // namespace

// --- Pure parts -------------------------------------------------------------------------

TEST(ResolveLocation, KeepsAbsoluteAndResolvesRelativeLocations) {
    const std::wstring base = L"https://localhost/f/dir/file.exe?x=1";
    EXPECT_EQ(ResolveLocation(base, L"https://other.example/a/b.exe"),
              L"https://other.example/a/b.exe");
    EXPECT_EQ(ResolveLocation(base, L"http://localhost:8080/c"), L"http://localhost:8080/c");
    EXPECT_EQ(ResolveLocation(base, L"/root.exe"), L"https://localhost/root.exe");
    EXPECT_EQ(ResolveLocation(base, L"next.exe"), L"https://localhost/f/dir/next.exe");
    EXPECT_EQ(ResolveLocation(base, L"../up.exe?y=2"), L"https://localhost/f/up.exe?y=2");
    EXPECT_EQ(ResolveLocation(base, L"//mirror.example/m.exe"), L"https://mirror.example/m.exe");
    EXPECT_EQ(ResolveLocation(base, L"next.exe#part"), L"https://localhost/f/dir/next.exe");
    const std::wstring longPath = L"/f/" + std::wstring(600, L'x') + L".exe";
    EXPECT_EQ(ResolveLocation(base, longPath), L"https://localhost" + longPath);
    EXPECT_EQ(ResolveLocation(base, L"https://localhost" + longPath),
              L"https://localhost" + longPath);
    // Longer than a URL may be, with the base: left as it is (Wine's combining writes past
    // its buffers there).
    const std::wstring tooLong(2100, L'\n');
    EXPECT_EQ(ResolveLocation(base, tooLong), tooLong);
}

TEST(DownloadFileName, IsTheGivenNameOrTheLastUrlSegmentAndNeverLeavesTheFolder) {
    EXPECT_EQ(DownloadFileName(L"https://h/files/setup.exe?x=1", L""), L"setup.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/setup.exe?path=/a/b#c", L""), L"setup.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/setup.exe", L"My App.exe"), L"My App.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/..%5C..%5Cx.exe", L""), L"%5C..%5Cx.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/f/..evil-url.exe", L""), L"evil-url.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/x.exe", L"..\\..\\Windows\\evil.exe"),
              L"evil.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/x.exe", L"C:evil.exe"), L"evil.exe");
    EXPECT_EQ(DownloadFileName(L"https://h/files/..", L""), L"");
    EXPECT_EQ(DownloadFileName(L"https://h/files/", L""), L"");
}

TEST(SafeFileName, RefusesOrMendsEveryNameThatWouldNotStayAPlainFile) {
    // Dots and spaces: nothing left, or trimmed away.
    for (const wchar_t* empty : {L"", L".", L"..", L"...", L" ", L". .", L"dir\\..", L"a/."})
        EXPECT_EQ(SafeFileName(empty), L"") << empty;
    EXPECT_EQ(SafeFileName(L"..evil-url.exe"), L"evil-url.exe");
    EXPECT_EQ(SafeFileName(L"...\\..x"), L"x");
    EXPECT_EQ(SafeFileName(L"setup.exe."), L"setup.exe");
    EXPECT_EQ(SafeFileName(L"setup.exe . "), L"setup.exe");
    EXPECT_EQ(SafeFileName(L" .setup.exe"), L"setup.exe");
    EXPECT_EQ(SafeFileName(L"My App 1.2.exe"), L"My App 1.2.exe") << "inner dots and spaces stay";
    // Device names, with or without an extension, in any case.
    for (const wchar_t* device :
         {L"CON", L"con", L"PRN.txt", L"Aux.tar.gz", L"NUL", L"nul .exe", L"COM1", L"com9.exe",
          L"LPT1", L"lpt5.log", L"CONIN$", L"conout$", L"COM\u00b9.exe", L"NUL."}) {
        const std::wstring safe = SafeFileName(device);
        EXPECT_EQ(safe.substr(0, 1), L"_") << device;
        EXPECT_EQ(SafeFileName(safe), safe) << "stays as it is";
    }
    EXPECT_EQ(SafeFileName(L"NUL."), L"_NUL");
    for (const wchar_t* plain : {L"COM0", L"COM10", L"LPT", L"CONSOLE.exe", L"nulls.txt", L"AUXX"})
        EXPECT_EQ(SafeFileName(plain), plain);
    // Characters Windows refuses, and the parts before the last separator.
    EXPECT_EQ(SafeFileName(L"a<b>c\"d|e?f*g.exe"), L"a_b_c_d_e_f_g.exe");
    EXPECT_EQ(SafeFileName(std::wstring(L"tab\there\x01.exe")), L"tab_here_.exe");
    EXPECT_EQ(SafeFileName(L"..\\..\\Windows\\evil.exe"), L"evil.exe");
    EXPECT_EQ(SafeFileName(L"C:evil.exe"), L"evil.exe");
    EXPECT_EQ(SafeFileName(L"setup.exe:stream"), L"stream");
}

TEST(ConfinedPath, IsAlwaysAFileDirectlyInsideTheFolder) {
    const std::wstring folder = ConfigurationManager::GetInstance()->m_workingDirectory;
    EXPECT_EQ(ConfinedPath(folder, L"setup.exe"), folder + L"\\setup.exe");
    EXPECT_EQ(ConfinedPath(folder + L"\\", L"setup.exe"), folder + L"\\setup.exe");
    EXPECT_EQ(ConfinedPath(folder, L"..evil-url.exe"), folder + L"\\evil-url.exe");
    EXPECT_EQ(ConfinedPath(folder, L"..\\..\\evil.exe"), folder + L"\\evil.exe");
    EXPECT_EQ(ConfinedPath(folder, L"CON"), folder + L"\\_CON");
    EXPECT_EQ(ConfinedPath(folder, L"setup.exe. . "), folder + L"\\setup.exe");
    EXPECT_EQ(ConfinedPath(folder, L".."), L"");
    EXPECT_EQ(ConfinedPath(folder, L""), L"");
    EXPECT_EQ(ConfinedPath(L"", L"setup.exe"), L"");
    EXPECT_EQ(ConfinedPath(folder, std::wstring(MAX_PATH - folder.size() - 1, L'x')), L"")
        << "a path the file functions cannot open";
    const std::wstring longest(MAX_PATH - folder.size() - 2, L'x');
    EXPECT_EQ(ConfinedPath(folder, longest), folder + L"\\" + longest);
}

TEST(ContentLength, IsADecimalNumberOfUpTo64Bits) {
    EXPECT_EQ(ParseContentLength(L"0"), 0u);
    EXPECT_EQ(ParseContentLength(L" 1000 "), 1000u);
    EXPECT_EQ(ParseContentLength(L"4294967896"), 4294967896u) << "beyond 32 bits";
    EXPECT_EQ(ParseContentLength(L"18446744073709551615"), UINT64_MAX);
    for (const wchar_t* bad :
         {L"", L" ", L"18446744073709551616", L"-1", L"1e3", L"12 34", L"0x10"})
        EXPECT_EQ(ParseContentLength(bad), std::nullopt) << bad;
}

TEST(ExpectedSha256, IsSixtyFourHexDigitsInEitherCase) {
    const std::wstring digest = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015aD";
    EXPECT_EQ(ParseSha256(digest),
              std::string("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(ParseSha256(digest.substr(1)), std::nullopt);
    EXPECT_EQ(ParseSha256(digest + L"0"), std::nullopt);
    EXPECT_EQ(ParseSha256(L"g" + digest.substr(1)), std::nullopt);
    EXPECT_EQ(ParseSha256(L""), std::nullopt);
}

TEST(DownloadProgress, ReportsAtMostOncePerPercentagePoint) {
    DownloadProgress progress(100000);
    std::vector<int> posted;
    for (int i = 0; i < 100000; ++i) {
        const int percent = progress.Add(1);
        if (percent >= 0) posted.push_back(percent);
    }
    ASSERT_FALSE(posted.empty());
    EXPECT_LE(posted.size(), 100u);
    for (size_t i = 1; i < posted.size(); ++i) EXPECT_GT(posted[i], posted[i - 1]);
    EXPECT_GE(posted.back(), 98);
    EXPECT_LE(posted.back(), 100);

    DownloadProgress huge(uint64_t(1) << 40);
    EXPECT_EQ(huge.Add(0xFFFFFFFF), -1) << "4 GiB of 1 TiB is below one percentage point";

    DownloadProgress whole(1000);
    EXPECT_EQ(whole.Add(1000), 100);
    EXPECT_EQ(whole.Add(1000), 100) << "more than announced is still 100 %";
    EXPECT_EQ(DownloadProgress(0).Add(10), -1);
}

TEST(TargetPath, JoinsTheFolderAndTheName) {
    auto config = ConfigurationManager::GetInstance();
    EXPECT_EQ(DownloadManager::TargetPath(L"https://localhost/files/setup.exe?x=1", false, false),
              config->m_downloadFolder + L"\\setup.exe");
    EXPECT_EQ(DownloadManager::TargetPath(L"My App.exe", true, true),
              config->m_workingDirectory + L"\\My App.exe");

    std::vector<std::wstring> boxes;
    SetMessageBoxHook([&boxes](const std::wstring& text, const std::wstring&, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    const std::wstring saved = config->m_downloadFolder;
    config->m_downloadFolder = L"C:\\no such folder";
    EXPECT_EQ(DownloadManager::TargetPath(L"setup.exe", true, false), L"");
    config->m_downloadFolder = saved;
    SetMessageBoxHook({});
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"Invalid path"});
}

// --- Against the test back end ------------------------------------------------------------

TEST_F(DownloadTest, SavesTheFileAndReportsProgressUpTo100) {
    m_backend.SetRoutes({{"/f/app.exe", {{"generate", 300000}, {"chunk_size", 16384}}}});
    const auto [ok, message] = Download(L"https://localhost/f/app.exe", L"Kelvara App.exe");
    EXPECT_TRUE(ok) << message.c_str();
    const std::wstring path = InWorkingDirectory(L"Kelvara App.exe");
    EXPECT_EQ(DownloadManager::GetInstance()->LastDownloadedFile(), path);
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 300000));

    const auto percentages = m_window.Percentages();
    ASSERT_FALSE(percentages.empty());
    EXPECT_EQ(percentages.back(), 100u);
    for (size_t i = 1; i < percentages.size(); ++i) EXPECT_GE(percentages[i], percentages[i - 1]);
    EXPECT_LE(percentages.size(), 102u);
    EXPECT_EQ(m_window.SizeUnknownCount(), 0u);
    EXPECT_EQ(m_backend.Requests().size(), 1u);
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST_F(DownloadTest, WithoutALengthReportsSizeUnknownOnceAndNoPercentage) {
    for (const char* length : {"none", "chunked"}) {
        m_window.Clear();
        m_backend.SetRoutes(
            {{"/f/stream.bin", {{"generate", 70000}, {"length", length}, {"chunk_size", 8192}}}});
        const auto [ok, message] = Download(L"https://localhost/f/stream.bin");
        EXPECT_TRUE(ok) << length << ": " << message.c_str();
        EXPECT_EQ(m_window.SizeUnknownCount(), 1u) << length;
        EXPECT_TRUE(m_window.Percentages().empty()) << length;
        const std::wstring path = InWorkingDirectory(L"stream.bin");
        EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 70000)) << length;
        DeleteFileW(path.c_str());
    }
}

TEST_F(DownloadTest, TakesTheNameFromTheUrlWithoutItsQuery) {
    m_backend.SetRoutes({{"/f/files/setup.exe", {{"generate", 1000}}}});
    const auto [ok, message] = Download(L"https://localhost/f/files/setup.exe?x=1", L"", false);
    EXPECT_TRUE(ok) << message.c_str();
    const std::wstring path =
        ConfigurationManager::GetInstance()->m_downloadFolder + L"\\setup.exe";
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 1000));
    const auto requests = m_backend.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"], "x=1");
    DeleteFileW(path.c_str());
}

TEST_F(DownloadTest, AShortBodyFailsBothTransfersAndLeavesNoFile) {
    m_backend.SetRoutes({{"/f/short.exe", {{"generate", 600}, {"length", 1000}}}});
    const auto [ok, message] = Download(L"https://localhost/f/short.exe");
    EXPECT_FALSE(ok);
    EXPECT_EQ(message,
              L"[WINHTTP]Download was incomplete: content length: 1000, downloaded: 600"
              L" [WININET]Download was incomplete: content length: 1000, downloaded: 600");
    EXPECT_EQ(m_backend.Requests().size(), 2u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"short.exe").c_str()));
    EXPECT_NE(m_window.Percentages().back(), 100u);
}

TEST_F(DownloadTest, ACutConnectionFailsBothTransfers) {
    m_backend.SetRoutes(
        {{"/f/cut.exe", {{"generate", 200000}, {"cut_after", 50000}, {"chunk_size", 10000}}}});
    const auto [ok, message] = Download(L"https://localhost/f/cut.exe");
    EXPECT_FALSE(ok);
    // The transfers read a broken stream as its end; the length check tells.
    EXPECT_EQ(message,
              L"[WINHTTP]Download was incomplete: content length: 200000, downloaded: 50000"
              L" [WININET]Download was incomplete: content length: 200000, downloaded: 50000");
    EXPECT_EQ(m_backend.Requests().size(), 2u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"cut.exe").c_str()));
}

TEST_F(DownloadTest, A404GivesTheWinHttpThenTheWinInetMessage) {
    m_backend.SetRoutes({{"/f/missing.exe", {{"status", 404}, {"text", "not found"}}}});
    const auto start = steady_clock::now();
    const auto [ok, message] = Download(L"https://localhost/f/missing.exe");
    EXPECT_FALSE(ok);
    EXPECT_EQ(message.rfind(L"[WINHTTP]Download failed: Server returned status code: 404"
                            L" [WININET]Server returned status code: HTTP 404 - ",
                            0),
              0u)
        << message.c_str();
    const auto requests = m_backend.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_GE(requests[1]["time"].get<double>() - requests[0]["time"].get<double>(), 1.9)
        << "the pause";
    EXPECT_GE(steady_clock::now() - start, milliseconds(1900));
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"missing.exe").c_str()));
}

TEST_F(DownloadTest, WinInetTakesOverAfterAWinHttpFailureAndKeepsTheFile) {
    m_backend.SetRoutes({{"/f/fallback.exe", {{{"status", 500}}, {{"generate", 5000}}}}});
    const auto [ok, message] = Download(L"https://localhost/f/fallback.exe");
    EXPECT_TRUE(ok) << message.c_str();
    EXPECT_EQ(message, L"");
    EXPECT_EQ(m_backend.Requests().size(), 2u);
    const std::wstring path = InWorkingDirectory(L"fallback.exe");
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 5000));
    EXPECT_EQ(DownloadManager::GetInstance()->LastDownloadedFile(), path);
    EXPECT_EQ(m_window.Percentages().back(), 100u);
    DeleteFileW(path.c_str());
}

TEST_F(DownloadTest, FollowsFiveRedirectsOfEveryForm) {
    const std::string longName = std::string(400, 'L');
    m_backend.SetRoutes({
        {"/f/r1", {{"redirect", "{origin}/f/r2"}}},        // absolute
        {"/f/r2", {{"redirect", "r3"}, {"status", 301}}},  // relative to the folder
        {"/f/r3", {{"redirect", "/f/long/" + longName}}},  // absolute path, long
        {"/f/long/*", {{"redirect", "../r5?via=long"}, {"status", 307}}},
        {"/f/r5", {{"redirect", "//localhost/f/final.exe"}}},  // network path
        {"/f/final.exe", {{"generate", 2000}}},
    });
    const auto [ok, message] = Download(L"https://localhost/f/r1", L"redirected.exe");
    EXPECT_TRUE(ok) << message.c_str();
    std::vector<std::string> paths;
    for (const auto& request : m_backend.Requests()) paths.push_back(request["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{"/f/r1", "/f/r2", "/f/r3", "/f/long/" + longName,
                                               "/f/r5", "/f/final.exe"}));
    const std::wstring path = InWorkingDirectory(L"redirected.exe");
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 2000));
    DeleteFileW(path.c_str());
}

TEST_F(DownloadTest, BothTransfersStopAtTheSixthRedirect) {
    Json routes;
    for (int i = 1; i <= 6; ++i)
        routes["/f/s" + std::to_string(i)] = {{"redirect", "s" + std::to_string(i + 1)}};
    routes["/f/s7"] = {{"generate", 100}};
    m_backend.SetRoutes(routes);
    const auto [ok, message] = Download(L"https://localhost/f/s1");
    EXPECT_FALSE(ok);
    EXPECT_EQ(message, L"[WINHTTP]Too many redirects. [WININET]Too many redirects.");
    std::vector<std::string> paths;
    for (const auto& request : m_backend.Requests()) paths.push_back(request["path"]);
    const std::vector<std::string> six = {"/f/s1", "/f/s2", "/f/s3", "/f/s4", "/f/s5", "/f/s6"};
    std::vector<std::string> twice = six;
    twice.insert(twice.end(), six.begin(), six.end());
    EXPECT_EQ(paths, twice) << "each transfer follows five and asks no further";
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"s1").c_str()));
}

TEST_F(DownloadTest, WinInetFollowsFiveRedirectsItself) {
    m_backend.SetRoutes({
        {"/f/w1", {{{"status", 500}}, {{"redirect", "w2"}, {"status", 301}}}},
        {"/f/w2", {{"redirect", "{origin}/f/w3"}}},
        {"/f/w3", {{"redirect", "/f/w4"}, {"status", 307}}},
        {"/f/w4", {{"redirect", "w5?via=4"}}},
        {"/f/w5", {{"redirect", "//localhost/f/w6.exe"}}},
        {"/f/w6.exe", {{"generate", 3000}}},
    });
    const auto [ok, message] = Download(L"https://localhost/f/w1", L"wininet.exe");
    EXPECT_TRUE(ok) << message.c_str();
    std::vector<std::string> paths;
    for (const auto& request : m_backend.Requests()) paths.push_back(request["path"]);
    EXPECT_EQ(paths, (std::vector<std::string>{"/f/w1", "/f/w1", "/f/w2", "/f/w3", "/f/w4", "/f/w5",
                                               "/f/w6.exe"}));
    const std::wstring path = InWorkingDirectory(L"wininet.exe");
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 3000));
    DeleteFileW(path.c_str());
}

TEST_F(DownloadTest, ANameFromTheAddressStaysInItsFolder) {
    m_backend.SetRoutes({{"/f/*", {{"generate", 500}}}});
    const std::wstring folder = ConfigurationManager::GetInstance()->m_workingDirectory;
    const std::wstring parent = folder.substr(0, folder.rfind(L'\\'));
    const std::wstring escaped = parent + folder.substr(folder.rfind(L'\\') + 1) + L"evil-url.exe";
    const auto [ok, message] = Download(L"https://localhost/f/..evil-url.exe");
    EXPECT_TRUE(ok) << message.c_str();
    EXPECT_EQ(DownloadManager::GetInstance()->LastDownloadedFile(), folder + L"\\evil-url.exe");
    EXPECT_TRUE(IsPattern(ReadBytes(folder + L"\\evil-url.exe").value_or(""), 500));
    EXPECT_FALSE(PathFileExistsW((parent + L"\\evil-url.exe").c_str()));
    EXPECT_FALSE(PathFileExistsW(escaped.c_str()));
    DeleteFileW((folder + L"\\evil-url.exe").c_str());

    const auto [named, namedMessage] = Download(L"https://localhost/f/x.exe", L"..");
    EXPECT_FALSE(named);
    EXPECT_EQ(namedMessage, L"Download failed: no valid file name for https://localhost/f/x.exe");
    EXPECT_EQ(m_backend.Requests().size(), 1u) << "nothing is fetched for a refused name";
}

TEST_F(DownloadTest, BodiesThatBreakOffFailAndLeaveNoFile) {
    const std::pair<const char*, Json> cases[] = {
        {"reset.exe",
         {{"generate", 30000}, {"length", "none"}, {"cut_after", 20000}, {"reset", true}}},
        {"huge.exe", {{"generate", 600}, {"length", 4294967896}}},
    };
    for (const auto& [name, reply] : cases) {
        m_backend.SetRoutes({{std::string("/f/") + name, reply}});
        const std::wstring url = L"https://localhost/f/" + Utf8ToWide(name);
        const auto [ok, message] = Download(url);
        EXPECT_FALSE(ok) << name;
        EXPECT_NE(message.find(L" [WININET]"), std::wstring::npos) << name;
        EXPECT_EQ(m_backend.Requests().size(), 2u) << name;
        EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(Utf8ToWide(name)).c_str())) << name;
    }
}

// WinHTTP under Wine reads a chunked body that breaks off inside a chunk as a whole one: no
// call tells the two apart. An expected digest does.
TEST_F(DownloadTest, AChunkedBodyCutInsideAChunkFailsAgainstItsDigest) {
    const Json cut = {
        {"generate", 30000}, {"length", "chunked"}, {"chunk_size", 4096}, {"cut_after", 10000}};
    const std::string body = PatternBody(30000);
    m_backend.SetRoutes({{"/f/chunk.exe", cut}});
    const auto [ok, message] =
        Download(L"https://localhost/f/chunk.exe", L"", true, Utf8ToWide(Sha256Hex(body)));
    EXPECT_FALSE(ok);
    EXPECT_EQ(message.rfind(L"[WINHTTP]Download failed: hash mismatch", 0), 0u) << message.c_str();
    EXPECT_NE(message.find(L" [WININET]"), std::wstring::npos) << message.c_str();
    EXPECT_EQ(m_backend.Requests().size(), 2u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"chunk.exe").c_str()));
}

TEST_F(DownloadTest, AnExpectedDigestIsChecked) {
    m_backend.SetRoutes({{"/f/signed.exe", {{"generate", 3000}}}});
    const std::string body = PatternBody(3000);
    std::wstring digest = Utf8ToWide(Sha256Hex(body));
    for (wchar_t& c : digest) c = static_cast<wchar_t>(towupper(c));
    auto result = Download(L"https://localhost/f/signed.exe", L"", true, digest);
    EXPECT_TRUE(result.first) << result.second.c_str();
    const std::wstring path = InWorkingDirectory(L"signed.exe");
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 3000));
    DeleteFileW(path.c_str());

    const std::wstring other(64, L'0');
    result = Download(L"https://localhost/f/signed.exe", L"", true, other);
    EXPECT_FALSE(result.first);
    const std::wstring mismatch = L"Download failed: hash mismatch: expected SHA-256 " + other +
                                  L", received " + Utf8ToWide(Sha256Hex(body));
    EXPECT_EQ(result.second, L"[WINHTTP]" + mismatch + L" [WININET]" + mismatch);
    EXPECT_FALSE(PathFileExistsW(path.c_str()));
    EXPECT_EQ(m_backend.Requests().size(), 3u);

    result = Download(L"https://localhost/f/signed.exe", L"", true, L"not a digest");
    EXPECT_EQ(result, DownloadManager::Result(
                          false, L"Download failed: invalid expected SHA-256: not a digest"));
    EXPECT_EQ(m_backend.Requests().size(), 3u) << "nothing fetched";
}

// Short time-outs for one test; the product's own come back after it.
class ShortTimeouts {
public:
    ShortTimeouts() { TransferTimeouts() = {2000, 2000, 2000, 2000}; }
    ~ShortTimeouts() { TransferTimeouts() = kDefaultNetworkTimeouts; }
};

TEST_F(DownloadTest, ASilentOrStalledServerFailsWithinTheTimeouts) {
    ShortTimeouts timeouts;
    m_backend.SetSilent();
    auto start = steady_clock::now();
    auto [ok, message] = Download(L"https://localhost/f/silent.exe");
    auto elapsed = steady_clock::now() - start;
    EXPECT_FALSE(ok);
    // WinHTTP's wait, the pause, and WinINet's given up after the sum of the time-outs.
    EXPECT_LT(elapsed, seconds(16));
    std::wcout << L"silent: " << duration_cast<milliseconds>(elapsed).count() << L" ms: " << message
               << L"\n";

    m_backend.SetRoutes(
        {{"/f/stall.exe", {{"generate", 100000}, {"chunk_size", 10000}, {"chunk_delay", 3600}}}});
    start = steady_clock::now();
    std::tie(ok, message) = Download(L"https://localhost/f/stall.exe");
    elapsed = steady_clock::now() - start;
    EXPECT_FALSE(ok);
    EXPECT_LT(elapsed, seconds(12));
    EXPECT_EQ(m_backend.Requests().size(), 2u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"stall.exe").c_str()));
    std::wcout << L"stall: " << duration_cast<milliseconds>(elapsed).count() << L" ms: " << message
               << L"\n";

    // A slow server that keeps sending survives time-outs shorter than the whole transfer.
    m_backend.SetRoutes(
        {{"/f/slow.exe", {{"generate", 50000}, {"chunk_size", 5000}, {"chunk_delay", 0.5}}}});
    std::tie(ok, message) = Download(L"https://localhost/f/slow.exe");
    EXPECT_TRUE(ok) << message.c_str();
    DeleteFileW(InWorkingDirectory(L"slow.exe").c_str());
}

TEST_F(DownloadTest, MemoryDownloadsAreCapped) {
    m_backend.SetRoutes({{"/f/big.png", {{"generate", kMemoryDownloadCap}}}});
    auto bytes = DownloadToMemory(L"https://localhost/f/big.png");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), kMemoryDownloadCap);

    // Announced or not, one byte more fails both attempts.
    for (const Json& length : {Json(), Json("chunked")}) {
        Json reply = {{"generate", kMemoryDownloadCap + 1}};
        if (!length.is_null()) reply["length"] = length;
        m_backend.SetRoutes({{"/f/big.png", reply}});
        bytes = DownloadToMemory(L"https://localhost/f/big.png");
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(bytes->empty()) << length;
        EXPECT_EQ(m_backend.Requests().size(), 2u) << length;
    }
}

TEST_F(DownloadTest, MemoryDownloadsTryTwiceAndIdentifyThemselves) {
    m_backend.SetRoutes({{"/f/logo.png", {{"generate", 3000}}}});
    auto bytes = DownloadToMemory(L"https://localhost/f/logo.png");
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(IsPattern(std::string(bytes->begin(), bytes->end()), 3000));
    auto requests = m_backend.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["headers"]["User-Agent"], "A WinHTTP Example Program/1.0");

    m_backend.SetRoutes({{"/f/logo.png", {{{"status", 500}}, {{"generate", 100}}}}});
    bytes = DownloadToMemory(L"https://localhost/f/logo.png");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 100u);
    EXPECT_EQ(m_backend.Requests().size(), 2u);

    m_backend.SetRoutes({{"/f/logo.png", {{"status", 404}}}});
    bytes = DownloadToMemory(L"https://localhost/f/logo.png");
    ASSERT_TRUE(bytes) << "a failure gives an empty vector, not null";
    EXPECT_TRUE(bytes->empty());
    EXPECT_EQ(m_backend.Requests().size(), 2u);
}

// --- Cancel: the flag stays set for the rest of the process, so each case runs alone ------

namespace {

// A body that takes about 10 s to arrive.
const Json kSlowBody = {{"generate", 1000000}, {"chunk_size", 10000}, {"chunk_delay", 0.1}};

}  // namespace

TEST_F(DownloadTest, CancelEndsTheWinHttpTransferWithoutAFallback) {
    m_backend.SetRoutes({{"/f/slow.exe", kSlowBody}});
    auto manager = DownloadManager::GetInstance();
    DownloadManager::Result result;
    Thread download([&] {
        result = manager->Download(L"https://localhost/f/slow.exe", m_window.get(), L"", true);
    });
    m_window.PumpUntil([&] { return !m_window.Percentages().empty(); });
    const auto cancelled = steady_clock::now();
    manager->RequestCancel();
    m_window.Wait(download);
    const auto [ok, message] = result;
    EXPECT_FALSE(ok);
    EXPECT_EQ(message, L"[WINHTTP]Download cancelled.");
    EXPECT_LT(steady_clock::now() - cancelled, milliseconds(1500))
        << "no pause, no second transfer";
    EXPECT_EQ(m_backend.Requests().size(), 1u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"slow.exe").c_str()));
}

TEST_F(DownloadTest, CancelEndsTheWinInetTransfer) {
    m_backend.SetRoutes({{"/f/slow.exe", {{{"status", 500}}, kSlowBody}}});
    auto manager = DownloadManager::GetInstance();
    DownloadManager::Result result;
    Thread download([&] {
        result = manager->Download(L"https://localhost/f/slow.exe", m_window.get(), L"", true);
    });
    // WinHTTP fails without progress; the first percentage comes from WinINet.
    m_window.PumpUntil([&] { return !m_window.Percentages().empty(); });
    const auto cancelled = steady_clock::now();
    manager->RequestCancel();
    m_window.Wait(download);
    const auto [ok, message] = result;
    EXPECT_FALSE(ok);
    EXPECT_EQ(
        message,
        L"[WINHTTP]Download failed: Server returned status code: 500 [WININET]Download cancelled.");
    EXPECT_LT(steady_clock::now() - cancelled, milliseconds(1500));
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"slow.exe").c_str()));
}

TEST_F(DownloadTest, CancelGivesAMemoryDownloadNull) {
    m_backend.SetRoutes({{"/f/slow.png", kSlowBody}});
    const auto start = steady_clock::now();
    const auto bytes = DownloadToMemory(L"https://localhost/f/slow.png", [&] {
        ASSERT_TRUE(m_backend.WaitForRequests(1));
        Sleep(300);
        DownloadManager::GetInstance()->RequestCancel();
    });
    EXPECT_FALSE(bytes);
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    EXPECT_EQ(m_backend.Requests().size(), 1u) << "no second attempt after a cancel";
}

// --- Files that will be started, and files already there ---------------------------------

TEST_F(DownloadTest, AProgramIsFetchedOnlyOverHttpsAlsoAcrossRedirects) {
    m_backend.SetRoutes({{"/f/plain.exe", {{"redirect", "http://localhost:443/f/app.exe"}}},
                         {"/f/app.exe", {{"generate", 100}}}});
    auto [ok, message] = Download(L"http://localhost/f/app.exe", Program());
    EXPECT_FALSE(ok);
    EXPECT_NE(message.find(L"only over HTTPS"), std::wstring::npos) << message.c_str();
    EXPECT_TRUE(m_backend.Requests().empty());

    std::tie(ok, message) = Download(L"https://localhost/f/plain.exe", Program());
    EXPECT_FALSE(ok);
    EXPECT_NE(message.find(L"only over HTTPS: http://localhost:443/f/app.exe"), std::wstring::npos)
        << message.c_str();
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"plain.exe").c_str()));
}

TEST_F(DownloadTest, AFailedDownloadLeavesTheFileAlreadyThereAndNoPartialFile) {
    const std::wstring path = InWorkingDirectory(L"kept.exe");
    {
        win32::unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), "mine", 4, &written, nullptr);
    }
    m_backend.SetRoutes({{"/f/cut.exe", {{"generate", 100000}, {"cut_after", 5000}}}});
    const auto [ok, message] = Download(L"https://localhost/f/cut.exe", Program(L"kept.exe"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(path).value_or(""), "mine");
    EXPECT_FALSE(PathFileExistsW((path + L".part").c_str()));

    m_backend.SetRoutes({{"/f/new.exe", {{"generate", 3000}}}});
    const auto [replaced, failure] = Download(L"https://localhost/f/new.exe", Program(L"kept.exe"));
    EXPECT_TRUE(replaced) << failure.c_str();
    EXPECT_TRUE(IsPattern(ReadBytes(path).value_or(""), 3000)) << "a complete file replaces it";
    DeleteFileW(path.c_str());
}

TEST_F(DownloadTest, AFileThatDoesNotMatchItsDigestIsAFailureAndLeavesNothing) {
    m_backend.SetRoutes({{"/f/signed.exe", {{"text", "abc"}}}});
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    auto [ok, message] = Download(L"https://localhost/f/signed.exe", Program(L"", abc));
    EXPECT_TRUE(ok) << message.c_str();
    const std::wstring path = InWorkingDirectory(L"signed.exe");
    EXPECT_EQ(ReadBytes(path).value_or(""), "abc");
    DeleteFileW(path.c_str());

    std::tie(ok, message) =
        Download(L"https://localhost/f/signed.exe", Program(L"", std::string(64, '0')));
    EXPECT_FALSE(ok);
    EXPECT_NE(message.find(L"SHA-256"), std::wstring::npos) << message.c_str();
    EXPECT_FALSE(PathFileExistsW(path.c_str()));
}
