#include "shell/profile_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tb {
namespace {

struct ReadCase {
    const char* text;
    std::optional<std::string> width;
};

TEST(ProfileText, ReadsHandWrittenFilesAsTheProfileCallsDo) {
    const ReadCase cases[] = {
        {"[Game]\nWidth=800\n", "800"},
        {"[Game]\r\nWidth=800\r\n", "800"},
        {"\xEF\xBB\xBF[Game]\nWidth=800", "800"},
        {"  [ game ] ; tuned\n\t wIDTH  =  800 ; wide \n", "800 ; wide"},
        {"[Game]\n;Width=1\nthese are my notes\n[Game\nWidth=800\n", "800"},
        {"[Game]\nWidth=800\nWidth=1\n", "800"},
        {"[Game]\nWidth=\n", ""},
        {"Width=1\n[Game]\n", std::nullopt},
        {"[Video]\nWidth=1\n", std::nullopt},
        {"[Game]\nHeight=1\n[Game]\nWidth=1\n", std::nullopt},
        {"[Game]\n[Video]\nWidth=1\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(profileValue(c.text, "Game", "Width"), c.width) << c.text;
    }
}

struct WriteCase {
    const char* before;
    const char* value;
    const char* after;
};

TEST(ProfileText, WritesOnlyTheLineItMust) {
    const WriteCase cases[] = {
        {"", "800", "[Game]\nWidth=800\n"},
        {"; mine\r\n[game]\r\n  width = 640 \r\nHeight=480\r\n", "800",
         "; mine\r\n[game]\r\nwidth=800\r\nHeight=480\r\n"},
        {"[Game]\n Width = 800 \n", "800", "[Game]\n Width = 800 \n"},
        {"[Game]\nWidth=1\nWidth=2\n", "800", "[Game]\nWidth=800\nWidth=2\n"},
        {"[Game]\nHeight=1\n# notes\n\n; video\n[Video]\nWidth=1\n", "800",
         "[Game]\nHeight=1\n# notes\nWidth=800\n\n; video\n[Video]\nWidth=1\n"},
        {"[Game]\n; empty\n[Video]\n", "800", "[Game]\nWidth=800\n; empty\n[Video]\n"},
        {"[Video]\r\nGamma=2", "800", "[Video]\r\nGamma=2\r\n[Game]\r\nWidth=800\r\n"},
        {"\xEF\xBB\xBF[Game]", "800", "\xEF\xBB\xBF[Game]\nWidth=800\n"},
        {"[Game]\n[Video]\n[Game]\nWidth=1\n", "800",
         "[Game]\nWidth=800\n[Video]\n[Game]\nWidth=1\n"},
        {"[Game]\n", "800\n[Evil]", "[Game]\nWidth=800\n"},
    };
    for (const WriteCase& c : cases) {
        std::string text = c.before;
        setProfileValue(text, "Game", "Width", c.value);
        EXPECT_EQ(text, c.after) << c.before;
    }
}

TEST(ProfileText, RemovesEveryLineOfTheKeyInItsSectionOnly) {
    const WriteCase cases[] = {
        {"[Game]\nTrack=a\nWidth=1\n", "", "[Game]\nWidth=1\n"},
        {"[game]\r\n track = a\r\nTRACK=b\r\n[Mod]\r\nTrack=c", "", "[game]\r\n[Mod]\r\nTrack=c"},
        {"[Mod]\nTrack=c\n", "", "[Mod]\nTrack=c\n"},
    };
    for (const WriteCase& c : cases) {
        std::string text = c.before;
        removeProfileKey(text, "Game", "Track");
        EXPECT_EQ(text, c.after) << c.before;
    }
}

} // namespace
} // namespace tb
