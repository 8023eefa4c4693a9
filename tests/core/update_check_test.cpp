#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_http_fetch.h"
#include "fakes/recording_services.h"
#include "windows/update.h"
#include "windows/version_check.h"

namespace tonvel {
namespace {

using testing::FakeHttpFetch;

constexpr uint32_t kShownBlack = 0;
constexpr uint32_t kShownRed = 255;
const std::string kVersionFile = "http://www.tonvel.org/product/piano_curver.txt";
const std::string kProductPage = "http://www.tonvel.org/product/piano.html";
const std::string kDownloadPage = "http://www.tonvel.org/product/dl-piano.html";
const std::string kFailureText =
    "Error connecting Server! Please try again!     \rOR check updates manually.";

class UpdateCheck : public ::testing::Test {
  protected:
    void SetUp() override { window.Form_Load(); }

    void publish(const std::string& text) { http.replies.push_back(FakeHttpFetch::body(text)); }
    void tick(int times) {
        for (int i = 0; i < times; ++i)
            if (window.tmrTimeout.enabled) window.tmrTimeout_Timer();
    }

    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    FakeHttpFetch http;
    update window{{dialogs, shell, http}};
};

TEST_F(UpdateCheck, LoadShowsTheInstalledVersionAndNothingChecked) {
    EXPECT_EQ(window.lblVersion.caption, "1.0");
    EXPECT_EQ(window.lblUpdate.caption, "Not ckecked!");
    EXPECT_EQ(window.lblUpdate.foreColor, kShownBlack);
    EXPECT_FALSE(window.BL[2].visible);
    EXPECT_FALSE(window.NB[2].visible);
    EXPECT_FALSE(window.tmrTimeout.enabled);
    EXPECT_EQ(window.tmrTimeout.interval, 1500);
    ASSERT_EQ(window.lines.size(), 219u);
    EXPECT_EQ(window.lines[0].y, 123);
    EXPECT_EQ(window.lines[216].y, 124 - 217);
    EXPECT_EQ(window.lines[217].y, 85);
    EXPECT_EQ(window.lines[217].colour, 128u);
    EXPECT_EQ(window.lines[218].y, 86);
}

struct Outcome {
    const char* name;
    std::optional<std::string> published;  // none: the connection fails
    std::string text;
    MessageIcon icon;
    std::string title;
    std::string shown;
    uint32_t colour;
    bool downloadLink;
};

class UpdateOutcomes : public UpdateCheck, public ::testing::WithParamInterface<Outcome> {};

TEST_P(UpdateOutcomes, MessageLabelAndLink) {
    const Outcome& o = GetParam();
    if (o.published) publish(*o.published);
    window.BL_Click(0);

    EXPECT_EQ(http.urls, std::vector<std::string>{kVersionFile});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto& box = dialogs.messages.front();
    EXPECT_EQ(box.text, o.text);
    EXPECT_EQ(box.icon, o.icon);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.title, o.title);
    EXPECT_EQ(window.lblUpdate.caption, o.shown);
    EXPECT_EQ(window.lblUpdate.foreColor, o.colour);
    EXPECT_EQ(window.BL[2].visible, o.downloadLink);
    EXPECT_EQ(window.NB[2].visible, o.downloadLink);
    EXPECT_TRUE(window.TBCB.enabled);
    EXPECT_FALSE(window.tmrTimeout.enabled);
    EXPECT_FALSE(window.closed);
    EXPECT_TRUE(window.canClose());
}

const std::string kNoNews = "No new updates are available!\rPlease check later";
const std::string kNewerHere = "No new updates are available!    \rPlease check later";
const std::string kTitle = ":: Tonvel 1.0 ::";
const char* kError = "Error while connecting server";

INSTANTIATE_TEST_SUITE_P(
    Published, UpdateOutcomes,
    ::testing::Values(
        Outcome{"same", "1.0", kNoNews, MessageIcon::Information, kTitle, "1.0", kShownBlack,
                false},
        Outcome{"minor", "1.1", "There is a Minor update to version 1.1 is available!    ",
                MessageIcon::Warning, ":: Minor Update Available ::", "1.1", kShownRed, true},
        Outcome{"major", "2.0", "There is a Major update to version 2.0 is available!    ",
                MessageIcon::Warning, ":: Major Update Available ::", "2.0", kShownRed, true},
        Outcome{"older", "0.9", kNewerHere, MessageIcon::Information, kTitle, "0.9", kShownRed,
                false},
        Outcome{"majorWithNoMinor", "3", "There is a Major update to version 3 is available!    ",
                MessageIcon::Warning, ":: Major Update Available ::", "3", kShownRed, true},
        Outcome{"lineEnd", "1.1\n", kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed,
                false},
        Outcome{"crlf", "1.1\r\n", kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed,
                false},
        Outcome{"trailingSpace", "1.1 ", kFailureText, MessageIcon::Critical, kTitle, kError,
                kShownRed, false},
        Outcome{"errorPage", "<html>Not Found</html>", kFailureText, MessageIcon::Critical, kTitle,
                kError, kShownRed, false},
        Outcome{"empty", "", kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed, false},
        Outcome{"noConnection", std::nullopt, kFailureText, MessageIcon::Critical, kTitle, kError,
                kShownRed, false},
        // Only one short line of printable characters is taken for a version.
        Outcome{"ampersandShownAsItIs", "0&b1", kNewerHere, MessageIcon::Information, kTitle,
                "0&b1", kShownRed, false},
        Outcome{
            "longestLine", "1" + std::string(30, '.') + "1",
            "There is a Minor update to version 1" + std::string(30, '.') + "1 is available!    ",
            MessageIcon::Warning, ":: Minor Update Available ::", "1" + std::string(30, '.') + "1",
            kShownRed, true},
        Outcome{"lineTooLong", "1" + std::string(31, '.') + "1", kFailureText,
                MessageIcon::Critical, kTitle, kError, kShownRed, false},
        Outcome{"pageWithDigitsAtItsEnds", "9<html>" + std::string(3000, 'x') + "</html>9",
                kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed, false},
        Outcome{"nul",
                std::string("1.\0"
                            "1",
                            4),
                kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed, false},
        Outcome{"invalidUtf8",
                "1.\xff"
                "1",
                kFailureText, MessageIcon::Critical, kTitle, kError, kShownRed, false},
        Outcome{"twoLines", "1.0\r\n1.1", kFailureText, MessageIcon::Critical, kTitle, kError,
                kShownRed, false}),
    [](const ::testing::TestParamInfo<Outcome>& info) { return info.param.name; });

TEST_F(UpdateCheck, WhileWaitingTheWindowShowsTheCheckAndCannotClose) {
    publish("1.0");
    bool looked = false;
    http.whileWaiting = [&] {
        looked = true;
        EXPECT_EQ(window.lblUpdate.caption, "Checking for updates...");
        EXPECT_EQ(window.lblUpdate.foreColor, kShownRed);
        EXPECT_FALSE(window.TBCB.enabled);
        EXPECT_TRUE(window.tmrTimeout.enabled);
        EXPECT_EQ(window.tmrTimeout_Tag, "0");
        EXPECT_FALSE(window.canClose());
        window.Form_KeyDown('X', 0);
        window.Form_KeyDown('X', 1);
        window.TBCB_Click();
        EXPECT_FALSE(window.closed);
        window.Form_KeyDown('U', 0);
        window.BL_Click(0);
        window.NB_Click(0);
    };
    window.BL_Click(0);
    EXPECT_TRUE(looked);
    EXPECT_EQ(http.urls.size(), 1u) << "a second check waits for the first";
    EXPECT_FALSE(window.closed);
    EXPECT_EQ(dialogs.messages.size(), 1u);

    http.whileWaiting = nullptr;
    window.Form_KeyDown('X', 0);
    EXPECT_TRUE(window.closed);
}

TEST_F(UpdateCheck, ManualCheckDuringACheckClosesTheWindowOnceTheCheckEnds) {
    struct Case {
        const char* what;
        std::optional<std::string> published;
        std::function<void(update&)> press;
    };
    const Case cases[] = {
        {"M, then an update", "1.1", [](update& w) { w.Form_KeyDown('M', 0); }},
        {"Ctrl+M, then nothing new", "1.0", [](update& w) { w.Form_KeyDown('M', 2); }},
        {"button, then a failure", std::nullopt, [](update& w) { w.BL_Click(1); }},
        {"face, then a bad reply", "<html>", [](update& w) { w.NB_Click(1); }},
    };
    for (const Case& c : cases) {
        update fresh{{dialogs, shell, http}};
        fresh.Form_Load();
        shell.urls.clear();
        dialogs.messages.clear();
        if (c.published) publish(*c.published);
        bool closedMeanwhile = true;
        http.whileWaiting = [&] {
            c.press(fresh);
            closedMeanwhile = fresh.closed;
        };
        fresh.BL_Click(0);
        EXPECT_EQ(shell.urls, std::vector<std::string>{kProductPage}) << c.what;
        EXPECT_FALSE(closedMeanwhile) << c.what << ": the check runs to its end";
        EXPECT_EQ(dialogs.messages.size(), 1u) << c.what << ": its message is still shown";
        EXPECT_TRUE(fresh.closed) << c.what;
    }
}

TEST(VersionReply, OnlyPrintableAsciiIsTaken) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string reply = std::string("1.") + static_cast<char>(byte) + "1";
        EXPECT_EQ(acceptedVersionReply(reply).has_value(), byte >= 0x20 && byte <= 0x7E) << byte;
    }
}

TEST_F(UpdateCheck, SlowServerShowsTimeoutFromTheEleventhTickOn) {
    struct Case {
        int ticks;
        std::string shown;
        std::string tag;
    };
    const Case cases[] = {
        {1, "Checking for updates...", "1"},
        {10, "Checking for updates...", "10"},
        {11, "Timeout!", "10"},
        {12, "Timeout!", "10"},
        {25, "Timeout!", "10"},
    };
    for (const Case& c : cases) {
        update fresh{{dialogs, shell, http}};
        fresh.Form_Load();
        std::string shownMeanwhile, tagMeanwhile;
        http.whileWaiting = [&] {
            for (int i = 0; i < c.ticks; ++i) fresh.tmrTimeout_Timer();
            shownMeanwhile = fresh.lblUpdate.caption;
            tagMeanwhile = fresh.tmrTimeout_Tag;
            // Clear the label so that each later tick is seen writing "Timeout!" again.
            if (c.ticks > 11) {
                fresh.lblUpdate.caption.clear();
                fresh.tmrTimeout_Timer();
                shownMeanwhile = fresh.lblUpdate.caption;
            }
        };
        http.replies.push_back(FakeHttpFetch::body("1.1"));
        fresh.BL_Click(0);
        EXPECT_EQ(shownMeanwhile, c.shown) << c.ticks;
        EXPECT_EQ(tagMeanwhile, c.tag) << c.ticks;
        EXPECT_EQ(fresh.lblUpdate.caption, "1.1") << "the reply still arrives";
        EXPECT_FALSE(fresh.tmrTimeout.enabled);
    }
}

TEST_F(UpdateCheck, SlowServerThatFailsEndsOnTheError) {
    http.whileWaiting = [&] { tick(15); };
    window.BL_Click(0);
    EXPECT_EQ(window.lblUpdate.caption, kError);
    EXPECT_FALSE(window.tmrTimeout.enabled);
    EXPECT_EQ(dialogs.messages.back().text, kFailureText);
}

TEST_F(UpdateCheck, EveryCheckHidesTheDownloadLinkFirst) {
    publish("1.1");
    window.Form_KeyDown('U', 0);
    ASSERT_TRUE(window.BL[2].visible);
    bool hiddenMeanwhile = false;
    http.whileWaiting = [&] { hiddenMeanwhile = !window.BL[2].visible && !window.NB[2].visible; };
    publish("1.0");
    window.Form_KeyDown('U', 2);
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_FALSE(window.BL[2].visible);
    EXPECT_EQ(http.urls.size(), 2u);
}

TEST_F(UpdateCheck, DownloadLinkOpensItsPageAndTheWindowStays) {
    window.BL_Click(2);
    EXPECT_TRUE(shell.urls.empty()) << "hidden, so not clickable";
    publish("2.0");
    window.BL_Click(0);
    window.BL_Click(2);
    window.NB_Click(2);
    EXPECT_EQ(shell.urls, (std::vector<std::string>{kDownloadPage, kDownloadPage}));
    EXPECT_FALSE(window.closed);
}

TEST_F(UpdateCheck, ManualCheckOpensTheProductPageAndCloses) {
    for (const auto& open : std::vector<std::function<void(update&)>>{
             [](update& w) { w.Form_KeyDown('M', 0); }, [](update& w) { w.Form_KeyDown('M', 4); },
             [](update& w) { w.BL_Click(1); }, [](update& w) { w.NB_Click(1); }}) {
        update fresh{{dialogs, shell, http}};
        fresh.Form_Load();
        open(fresh);
        EXPECT_TRUE(fresh.closed);
    }
    EXPECT_EQ(shell.urls, std::vector<std::string>(4, kProductPage));
}

TEST_F(UpdateCheck, KeysAndTheCloseButton) {
    window.Form_KeyDown(18, 4);
    window.Form_KeyDown(27, 0);
    window.Form_KeyDown('L', 0);
    EXPECT_FALSE(window.closed) << "Alt, Escape and other keys do nothing";
    EXPECT_TRUE(http.urls.empty());
    window.TBCB_Click();
    EXPECT_TRUE(window.closed);

    update other{{dialogs, shell, http}};
    other.Form_Load();
    other.Form_KeyDown('X', 2);
    EXPECT_TRUE(other.closed);
}

TEST_F(UpdateCheck, HoverLightsOneMainFaceAtATime) {
    window.BL_MouseMove(0);
    EXPECT_EQ(window.NB[0].picture.picture, "nbut1");
    EXPECT_EQ(window.NB[1].picture.picture, "nbut0");
    window.NB_MouseMove(1);
    EXPECT_EQ(window.NB[0].picture.picture, "nbut0");
    EXPECT_EQ(window.NB[1].picture.picture, "nbut1");
    window.BL_MouseMove(2);
    EXPECT_EQ(window.NB[0].picture.picture, "nbut0");
    EXPECT_EQ(window.NB[2].picture.picture, "nbut1");
    EXPECT_EQ(window.NB[1].picture.picture, "nbut1") << "the link only puts out the first face";

    window.TBCB_MouseMove();
    EXPECT_EQ(window.TBCB.picture.picture, "xit1");
    window.lblUpdate_MouseMove();
    for (const auto& face : window.NB) EXPECT_EQ(face.picture.picture, "nbut0");
    EXPECT_EQ(window.TBCB.picture.picture, "xit0");
}

TEST_F(UpdateCheck, AHeldButtonKeepsItsFaceAndGoesBoldUntilReleased) {
    window.NB_MouseDown(0);
    EXPECT_EQ(window.BL[0].tag, "1");
    EXPECT_TRUE(window.BL[0].bold);
    window.BL_MouseMove(0);
    EXPECT_EQ(window.NB[0].picture.picture, "nbut0");
    window.BL_MouseUp(0);
    EXPECT_EQ(window.BL[0].tag, "0");
    EXPECT_FALSE(window.BL[0].bold);
    window.BL_MouseMove(0);
    EXPECT_EQ(window.NB[0].picture.picture, "nbut1");
}

TEST_F(UpdateCheck, LabelColourFollowsItsText) {
    struct Case {
        const char* text;
        uint32_t colour;
    };
    for (const Case c :
         {Case{"1.0", kShownBlack}, Case{"Not ckecked!", kShownBlack}, Case{"1.1", kShownRed},
          Case{"Timeout!", kShownRed}, Case{"1.0 ", kShownRed}}) {
        window.lblUpdate.caption = c.text;
        window.lblUpdate_Change();
        EXPECT_EQ(window.lblUpdate.foreColor, c.colour) << c.text;
    }
}

}  // namespace
}  // namespace tonvel
