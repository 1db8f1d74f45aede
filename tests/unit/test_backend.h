// The test back end that tests/backend/with_backend.py started for this program: the
// tests give it their routes and read the requests it logged.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TestBackend {
public:
    TestBackend() {
        const char* folder = std::getenv("KELVARA_BACKEND");
        if (!folder)
            throw std::runtime_error("KELVARA_BACKEND is not set: run under with_backend.py");
        // Wine's drive Z: is the Unix root.
        m_folder = std::string("Z:") + folder;
        for (char& c : m_folder) {
            if (c == '/') c = '\\';
        }
    }

    // Replaces the routes; the request log starts again from here for Requests().
    void SetRoutes(const nlohmann::json& routes) { SetScenario({{"routes", routes}}); }

    // From now on the server accepts connections and never answers them (no TLS start).
    void SetSilent() { SetScenario({{"routes", nlohmann::json::object()}, {"silent", true}}); }

    // Replaces the whole scenario document (see server.py).
    void SetScenario(const nlohmann::json& document) {
        const std::string scenario = m_folder + "\\scenario.json";
        const std::string temporary = scenario + ".new";
        std::ofstream(temporary, std::ios::binary) << document.dump();
        // A new file renamed over the old one: the server never reads half a scenario.
        ASSERT_TRUE(MoveFileExA(temporary.c_str(), scenario.c_str(), MOVEFILE_REPLACE_EXISTING));
        m_logStart = LogText().size();
    }

    // The requests logged since the last SetRoutes, in arrival order, optionally only
    // those for one path. Headers keep the order in which they arrived.
    std::vector<nlohmann::ordered_json> Requests(const std::string& path = "") const {
        std::vector<nlohmann::ordered_json> records;
        std::istringstream lines(LogText().substr(m_logStart));
        for (std::string line; std::getline(lines, line);) {
            auto record = nlohmann::ordered_json::parse(line);
            if (path.empty() || record["path"] == path) records.push_back(record);
        }
        return records;
    }

    // Waits until at least count requests are logged (up to 10 s).
    bool WaitForRequests(size_t count, const std::string& path = "") const {
        for (int i = 0; i < 200; ++i) {
            if (Requests(path).size() >= count) return true;
            Sleep(50);
        }
        return false;
    }

private:
    std::string LogText() const {
        std::ifstream log(m_folder + "\\requests.jsonl", std::ios::binary);
        std::stringstream text;
        text << log.rdbuf();
        return text.str();
    }

    std::string m_folder;
    size_t m_logStart = 0;
};
