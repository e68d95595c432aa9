#pragma once
// A throw-away media folder for tests, and a capture of the error reports made meanwhile.
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tb::test {

// Creates a fresh folder, makes it the media folder, and removes it again afterwards.
class TempMedia {
  public:
    TempMedia() : previous_(mediaFolder()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trundlebay-media-XXXXXX").string();
        folder_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        setMediaFolder(folder_);
    }
    ~TempMedia() {
        setMediaFolder(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempMedia(const TempMedia&) = delete;
    TempMedia& operator=(const TempMedia&) = delete;

    const std::string& folder() const { return folder_; }
    std::string path(std::string_view name) const { return folder_ + "/" + std::string(name); }

    bool write(std::string_view name, std::string_view content) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return static_cast<bool>(out);
    }

  private:
    std::string previous_;
    std::string folder_;
};

struct Report {
    std::string message;
    std::string subject;
    bool operator==(const Report&) const = default;
};

// Collects every report instead of showing a message box, for as long as it lives.
class ReportCapture {
  public:
    ReportCapture() {
        setErrorSink([this](std::string_view message, std::string_view subject) {
            reports_.push_back({std::string(message), std::string(subject)});
        });
    }
    ~ReportCapture() { setErrorSink({}); }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    const std::vector<Report>& reports() const { return reports_; }
    void clear() { reports_.clear(); }

  private:
    std::vector<Report> reports_;
};

} // namespace tb::test
