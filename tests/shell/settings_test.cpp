#include "shell/media_paths.h"
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

namespace tb {
namespace {

namespace fs = std::filesystem;

constexpr const char* FreshFile = "[Game]\n"
                                  "Windowed=1\n"
                                  "Lights=1\n"
                                  "Music=0\n"
                                  "Joystick=0\n"
                                  "UseHiQualTex=0\n"
                                  "Width=800\n"
                                  "Height=600\n"
                                  "UseScreenRes=1\n";

Settings windowAt800x600() {
    Settings s;
    s.windowed = 1;
    s.lights = 1;
    s.width = 800;
    s.height = 600;
    s.useScreenRes = 1;
    return s;
}

void expectSameValues(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.windowed, b.windowed);
    EXPECT_EQ(a.lights, b.lights);
    EXPECT_EQ(a.music, b.music);
    EXPECT_EQ(a.joystick, b.joystick);
    EXPECT_EQ(a.useHiQualTex, b.useHiQualTex);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.useScreenRes, b.useScreenRes);
}

Settings parsed(std::string_view text) {
    Settings s;
    parseSettings(text, s);
    return s;
}

TEST(SettingsValues, ReadLeadingDigitsOnly) {
    EXPECT_EQ(leadingInteger("800"), 800);
    EXPECT_EQ(leadingInteger("  42px"), 42);
    EXPECT_EQ(leadingInteger("1024 ; wide"), 1024);
    EXPECT_EQ(leadingInteger("wide"), 0);
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_EQ(leadingInteger("-5"), 0);
    EXPECT_EQ(leadingInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(leadingInteger(std::string_view("1234").substr(0, 2)), 12) << "nothing past the view";
}

TEST(SettingsParse, MissingKeysGiveTheFileDefaultsAndGarbageReadsAsZero) {
    const Settings empty = parsed("");
    EXPECT_EQ(empty.windowed, 1);
    EXPECT_EQ(empty.lights, 0) << "a file without the key switches the lights off";
    EXPECT_EQ(empty.width, 640);
    EXPECT_EQ(empty.height, 480);
    EXPECT_EQ(empty.useScreenRes, 0);

    const Settings garbage = parsed("[Game]\nWidth=wide\nHeight=\nWindowed=yes\nMusic=1\n");
    EXPECT_EQ(garbage.width, 0);
    EXPECT_EQ(garbage.height, 0);
    EXPECT_EQ(garbage.windowed, 0);
    EXPECT_EQ(garbage.music, 1);
    EXPECT_EQ(garbage.lights, 0);

    const Settings otherSection = parsed("[Other]\nWidth=1\n");
    EXPECT_EQ(otherSection.width, 640);
}

TEST(SettingsMerge, FreshFileHoldsTheNineLinesInOrderAndEveryValueReadsBack) {
    EXPECT_EQ(mergeSettings("", windowAt800x600()), FreshFile);

    Settings s;
    s.windowed = 0;
    s.lights = 1;
    s.music = 1;
    s.joystick = 1;
    s.useHiQualTex = 1;
    s.width = 1920;
    s.height = 1080;
    s.useScreenRes = 3;
    expectSameValues(parsed(mergeSettings("[Game]\nwidth = 1 ; old\nUseScreenRes=x\n", s)), s);
}

TEST(SettingsMerge, SmoothFramesIsWrittenOnlyOffItsDefaultOrWhenTheFileHasIt) {
    EXPECT_EQ(parsed(FreshFile).smoothFrames, 1);
    Settings off = windowAt800x600();
    off.smoothFrames = 0;
    const std::string written = mergeSettings(FreshFile, off);
    EXPECT_EQ(written, std::string(FreshFile) + "SmoothFrames=0\n");
    EXPECT_EQ(parsed(written).smoothFrames, 0);
    EXPECT_EQ(mergeSettings(written, windowAt800x600()),
              std::string(FreshFile) + "SmoothFrames=1\n")
        << "a key the file has follows the value";
}

TEST(SettingsMerge, TrackIsWrittenOnlyWhileOneIsChosen) {
    Settings s = windowAt800x600();
    s.track = "mapFiesta.bmp";
    const std::string chosen = mergeSettings("[Game]\n\n[Modder]\nTrack=map3.bmp\n", s);
    EXPECT_EQ(chosen.substr(chosen.find("[Modder]")), "[Modder]\nTrack=map3.bmp\n");
    EXPECT_EQ(parsed(chosen).track, "mapFiesta.bmp");
    s.track.clear();
    const std::string random = mergeSettings(chosen, s);
    EXPECT_EQ(random, mergeSettings("[Game]\n\n[Modder]\nTrack=map3.bmp\n", s));
    EXPECT_EQ(parsed(random).track, "");
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tb-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        previousFolder = mediaFolder();
        setMediaFolder(folder.string());
        settings = Settings{};
    }
    void TearDown() override {
        setMediaFolder(previousFolder);
        fs::remove_all(folder);
        settings = Settings{};
    }

    void writeFile(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string readFile(const fs::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }

    fs::path folder;
    std::string previousFolder;
};

TEST_F(SettingsFileTest, MissingFileReadsDefaultsAndIsWrittenOnlyWhenChanged) {
    EXPECT_EQ(settingsPath(), (folder / "game.ini").string());
    readSettings();
    EXPECT_EQ(settings.lights, 0);
    EXPECT_EQ(settings.width, 640);

    saveSettingsIfChanged();
    EXPECT_FALSE(fs::exists(settingsPath()));

    settings = windowAt800x600();
    settings.changed = true;
    saveSettingsIfChanged();
    EXPECT_EQ(readFile(settingsPath()), FreshFile);

    settings = Settings{};
    readSettings();
    expectSameValues(settings, windowAt800x600());
}

TEST_F(SettingsFileTest, SaveThroughASymlinkChangesOnlyValuesAndKeepsPermissions) {
    fs::create_directory(folder / "mine");
    const fs::path target = folder / "mine" / "settings.ini";
    writeFile(target, "\xEF\xBB\xBF; my notes\r\n[Game] ; tuned\r\nthese are notes\r\n"
                      "Width = 1024\r\nLights=1\r\n\r\n[Video]\r\nGamma=2\r\n");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    fs::create_symlink("mine/settings.ini", settingsPath());

    readSettings();
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.lights, 1);
    settings.width = 800;
    ASSERT_TRUE(writeSettings());

    EXPECT_TRUE(fs::is_symlink(settingsPath()));
    EXPECT_EQ(readFile(target), "\xEF\xBB\xBF; my notes\r\n[Game] ; tuned\r\nthese are notes\r\n"
                                "Width=800\r\nLights=1\r\nWindowed=1\r\nMusic=0\r\nJoystick=0\r\n"
                                "UseHiQualTex=0\r\nHeight=480\r\nUseScreenRes=0\r\n"
                                "\r\n[Video]\r\nGamma=2\r\n");
    EXPECT_EQ(fs::status(target).permissions(), mode);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "mine"), {}), 1);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsLeftAloneAndTheFailureReported) {
    const std::string original = FreshFile;
    writeFile(settingsPath(), original);
    fs::permissions(settingsPath(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    readSettings();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(writeSettings()) << "nothing to change, nothing to write";
    settings.width = 1024;
    EXPECT_FALSE(writeSettings());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot write " + settingsPath()),
              std::string::npos);
    EXPECT_EQ(readFile(settingsPath()), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

TEST_F(SettingsFileTest, KilledSavesLeaveAWholeFileAndTheNextSaveTidiesUp) {
    settings = windowAt800x600();
    ASSERT_TRUE(writeSettings());
    Settings wide = windowAt800x600();
    wide.width = 1024;
    const std::string narrowText = FreshFile;
    const std::string wideText = mergeSettings(FreshFile, wide);

    std::mt19937 random(14);
    for (int run = 0; run < 20; ++run) {
        const pid_t saver = fork();
        ASSERT_GE(saver, 0);
        if (saver == 0) {
            for (int i = 0;; ++i) {
                settings.width = i % 2 ? 1024 : 800;
                writeSettings();
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(500, 20000)(random));
        kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
        const std::string text = readFile(settingsPath());
        ASSERT_TRUE(text == narrowText || text == wideText) << "run " << run << ":\n" << text;
    }

    writeFile(folder / "game.ini.tmp", "[Game]\nWid");
    settings.height = 768;
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(parsed(readFile(settingsPath())).height, 768);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

TEST_F(SettingsFileTest, FailedSaveReportsFailureAndModesBehave) {
    fs::create_directory(settingsPath());
    settings.changed = true;
    EXPECT_FALSE(writeSettings());

    fs::remove(settingsPath());
    writeFile(settingsPath(), "[Game]\nWidth=1024\n");
    settings = Settings{};
    EXPECT_TRUE(runSettings(0, "Trundlebay"));
    EXPECT_EQ(settings.width, 640) << "mode 0 reads nothing";
    EXPECT_TRUE(runSettings(1, "Trundlebay"));
    EXPECT_EQ(settings.width, 1024);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsUserPath, FollowsTheConfigHomeOrFallsBackToDotConfig) {
    const ScopedEnv home("HOME", "/home/player");
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(userSettingsPath(), "/srv/config/trundlebay/game.ini");
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        const ScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(userSettingsPath(), "/home/player/.config/trundlebay/game.ini")
            << (ignored ? ignored : "unset");
    }
    const ScopedEnv emptyHome("HOME", ""), config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(userSettingsPath(),
              std::string(getpwuid(getuid())->pw_dir) + "/.config/trundlebay/game.ini");
}

// Root may write anywhere, so a player's session on a read-only install runs in a child
// process as "nobody" when the tests run as root. The child's steps exit non-zero on failure,
// without exit-time handlers, which belong to the parent.
constexpr uid_t Nobody = 65534;

// A height of 0 keeps the one read.
void runAsPlayer(const fs::path& configHome, int height, int lights) {
    if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0)) {
        std::_Exit(2);
    }
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    if (settingsPath() != userSettingsPath()) {
        std::_Exit(3);
    }
    readSettings();
    settings.height = height ? height : settings.height;
    settings.lights = lights;
    std::_Exit(writeSettings() ? 0 : 4);
}

TEST_F(SettingsFileTest, ReadOnlyMediaFolderKeepsChoicesInThePlayersConfigFolder) {
    const std::string shipped = "[Game]\n# shipped with the game\nWidth=1024\n";
    writeFile(settingsPath(), shipped);
    std::string pattern = (fs::temp_directory_path() / "tb-config-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path configHome = pattern;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(configHome.c_str(), Nobody, Nobody), 0);
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::remove);
    fs::permissions(folder,
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::add);

    const fs::path own = configHome / "trundlebay" / "game.ini";
    EXPECT_EXIT(runAsPlayer(configHome, 600, 0), testing::ExitedWithCode(0), "");
    std::ofstream(own, std::ios::app) << "# the player's own line\n";
    EXPECT_EXIT(runAsPlayer(configHome, 0, 1), testing::ExitedWithCode(0), "");
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);

    const std::string saved = readFile(own);
    EXPECT_NE(saved.find("# shipped with the game\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("# the player's own line\n"), std::string::npos) << saved;
    const Settings values = parsed(saved);
    EXPECT_EQ(values.width, 1024) << "the shipped file gives the starting values";
    EXPECT_EQ(values.height, 600) << "the second session read the first one's own file";
    EXPECT_EQ(values.lights, 1);
    EXPECT_EQ(readFile(folder / "game.ini"), shipped) << "the media folder stays as installed";
    EXPECT_EQ(fs::status(own.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    fs::remove_all(configHome);
}

} // namespace
} // namespace tb
