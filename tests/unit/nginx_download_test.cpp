// The download engine against Debian's nginx (tests/harness/with_nginx.py starts it): a
// real server's chunked and throttled answers, its redirect loop and 404, and a large file
// checked by its digest.
#include "base/encoding.h"
#include "base/thread.h"
#include "config/configuration_manager.h"
#include "net/download_manager.h"
#include "progress_window.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

using namespace std::chrono;

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024) ADD_FAILURE() << "not set: run under with_nginx.py";
    return length < 1024 ? value : L"";
}

class NginxDownloadTest : public testing::Test {
protected:
    DownloadManager::Result Download(const std::wstring& path, const std::wstring& fileName,
                                     const std::wstring& expectedSha256 = L"") {
        DownloadManager::Result result;
        Thread download([&] {
            result = DownloadManager::GetInstance()->Download(m_origin + path, m_window.get(),
                                                              fileName, true, expectedSha256);
        });
        m_window.Wait(download);
        return result;
    }

    std::wstring InWorkingDirectory(const std::wstring& name) const {
        return ConfigurationManager::GetInstance()->m_workingDirectory + L"\\" + name;
    }

    // The access log's lines for one URI.
    size_t LoggedRequests(const std::string& uri) const {
        std::ifstream log(m_log.c_str());
        size_t count = 0;
        for (std::string line; std::getline(log, line);) count += line.rfind(uri + " ", 0) == 0;
        return count;
    }

    const std::wstring m_origin = Environment(L"KELVARA_NGINX_ORIGIN");
    const std::wstring m_log = Environment(L"KELVARA_NGINX_LOG");
    ProgressWindow m_window;
};

}  // namespace

TEST_F(NginxDownloadTest, ALargeFileArrivesWithItsDigest) {
    const std::wstring digest = Environment(L"KELVARA_NGINX_SHA256_LARGE");
    const auto [ok, message] = Download(L"/f/large.bin", L"large.bin", digest);
    EXPECT_TRUE(ok) << message.c_str();
    EXPECT_EQ(m_window.Percentages().back(), 100u);
    EXPECT_EQ(LoggedRequests("/f/large.bin"), 1u);
    EXPECT_TRUE(DeleteFileW(InWorkingDirectory(L"large.bin").c_str()));

    const auto [wrong, wrongMessage] = Download(L"/f/medium.bin", L"medium.bin", digest);
    EXPECT_FALSE(wrong);
    EXPECT_NE(wrongMessage.find(L"hash mismatch"), std::wstring::npos) << wrongMessage.c_str();
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"medium.bin").c_str()));
}

TEST_F(NginxDownloadTest, AChunkedAnswerHasNoLengthButTheWholeFile) {
    const auto [ok, message] = Download(L"/chunked/medium.bin", L"chunked.bin",
                                        Environment(L"KELVARA_NGINX_SHA256_MEDIUM"));
    EXPECT_TRUE(ok) << message.c_str();
    EXPECT_EQ(m_window.SizeUnknownCount(), 1u);
    EXPECT_TRUE(m_window.Percentages().empty());
    EXPECT_TRUE(DeleteFileW(InWorkingDirectory(L"chunked.bin").c_str()));
}

TEST_F(NginxDownloadTest, AThrottledAnswerArrivesWholeWithProgress) {
    const auto start = steady_clock::now();
    const auto [ok, message] =
        Download(L"/slow/medium.bin", L"slow.bin", Environment(L"KELVARA_NGINX_SHA256_MEDIUM"));
    EXPECT_TRUE(ok) << message.c_str();
    EXPECT_GE(steady_clock::now() - start, milliseconds(2000)) << "200 KiB at 64 KiB/s";
    EXPECT_GT(m_window.Percentages().size(), 10u);
    EXPECT_EQ(m_window.Percentages().back(), 100u);
    EXPECT_TRUE(DeleteFileW(InWorkingDirectory(L"slow.bin").c_str()));
}

TEST_F(NginxDownloadTest, ARedirectLoopEndsAfterFiveRedirectsInEachTransfer) {
    const auto [ok, message] = Download(L"/loop", L"loop.bin");
    EXPECT_FALSE(ok);
    EXPECT_EQ(message, L"[WINHTTP]Too many redirects. [WININET]Too many redirects.");
    EXPECT_EQ(LoggedRequests("/loop"), 12u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"loop.bin").c_str()));
}

TEST_F(NginxDownloadTest, A404FailsBothTransfers) {
    const auto [ok, message] = Download(L"/f/missing.exe", L"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(message.rfind(L"[WINHTTP]Download failed: Server returned status code: 404"
                            L" [WININET]Server returned status code: HTTP 404 - ",
                            0),
              0u)
        << message.c_str();
    EXPECT_EQ(LoggedRequests("/f/missing.exe"), 2u);
    EXPECT_FALSE(PathFileExistsW(InWorkingDirectory(L"missing.exe").c_str()));
}
