#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kF1 = 112, kF2 = 113, kF3 = 114;
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kHome = 36, kEnd = 35;
constexpr int kAlt = 18, kKeypad0 = 96;
const std::vector<std::string> kProgramMessages(int program) {
    char last[8];
    std::snprintf(last, sizeof last, "C0 %02X", program);
    return {"B0 00 00", "B0 20 00", last};
}

class SoundSelection : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
        midi.clearSent();
    }
    MenuChoice instrument(int i) { return {"mnuPiano", i}; }
};

TEST_F(SoundSelection, StartupSelectsBankOneWithoutSelectingTheBank) {
    EXPECT_EQ(piano->state.currentProgram, 18);
    EXPECT_EQ(piano->ChNum.caption, "19");
    EXPECT_EQ(piano->lblInstrument.caption, "Rock Organ");
    EXPECT_EQ(piano->lblBaseKey.caption, "E");
    EXPECT_TRUE(piano->ChNum.tag.empty());
    EXPECT_EQ(piano->lblBank[2].tag, "10");
}

TEST_F(SoundSelection, BankKeyRecallsAndRefreshes) {
    press(kF2);
    EXPECT_EQ(piano->state.currentProgram, 19);
    EXPECT_EQ(piano->ChNum.caption, "20");
    EXPECT_EQ(piano->lblBank[1].foreColor, kLabelHighlight);
    EXPECT_EQ(piano->ChNum.tag, "1");
    EXPECT_EQ(piano->PCap.caption, "Refreshing Piano...");
    // Recall, then the refresh sends the program again to the reopened output.
    auto expected = kProgramMessages(19);
    const auto again = kProgramMessages(19);
    expected.insert(expected.end(), again.begin(), again.end());
    EXPECT_EQ(midi.sentHex(), expected);
    release(kF2);
    EXPECT_EQ(piano->lblBank[1].foreColor, kLabelNormal);
    EXPECT_EQ(piano->lblInstrument.foreColor, kLabelNormal);
}

TEST_F(SoundSelection, StoringIntoABankThroughItsMenu) {
    dialogs.menuAnswers.push_back(instrument(40));
    piano->lblBank_MouseDown(2, 2, 0, 0, 90);
    ASSERT_EQ(dialogs.menus.size(), 1u);
    const auto& popped = dialogs.menus[0];
    EXPECT_TRUE(popped.eitherButton);
    EXPECT_EQ(popped.y, 90) << "the twip offset is used as pixels";
    EXPECT_EQ(popped.x, piano->lblBank[2].rect.left + piano->lblBank[2].rect.width);
    ASSERT_EQ(popped.menu.children.size(), 128u);
    EXPECT_TRUE(popped.menu.children[10].checked);
    EXPECT_EQ(piano->state.bankPrograms[2], 40);
    EXPECT_EQ(piano->ChNum.caption, "41");
    EXPECT_EQ(piano->lblBank[2].tag, "40");
    EXPECT_TRUE(piano->mnuMain[0].tag.empty());
    EXPECT_EQ(piano->lblBank[2].foreColor, kLabelNormal);

    piano->Form_Unload();
    EXPECT_NE(readFile("con_set.dat").find(" 19            40            7 "), std::string::npos);
}

TEST_F(SoundSelection, DismissingABankMenuChangesNothingButSelectsTheBank) {
    piano->lblBank_MouseDown(1, 2, 0, 0, 0);
    EXPECT_EQ(piano->state.currentProgram, 18);
    EXPECT_EQ(piano->state.bankPrograms[1], 19);
    EXPECT_EQ(piano->ChNum.tag, "1");
    EXPECT_EQ(piano->lblBank[1].foreColor, kLabelNormal);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(SoundSelection, ArrowsThenRefreshMoveOnlyTheBanksCheckMark) {
    tap(kF1);
    tap(kRight);
    tap(kRight);
    piano->mnu_refresh_Click();
    EXPECT_EQ(piano->lblBank[0].tag, "20");
    EXPECT_EQ(piano->state.bankPrograms[0], 18);
    piano->lblBank_MouseDown(0, 2, 0, 0, 0);
    EXPECT_TRUE(dialogs.menus.back().menu.children[20].checked);
    tap(kF1);
    EXPECT_EQ(piano->state.currentProgram, 18);
}

TEST_F(SoundSelection, NameLabelMenuNeverChangesABank) {
    tap(kF1);
    dialogs.menuAnswers.push_back(instrument(19));
    piano->lblInstrument_Click();
    EXPECT_EQ(dialogs.menus.back().x,
              piano->lblInstrument.rect.left + piano->lblInstrument.rect.width);
    EXPECT_EQ(dialogs.menus.back().y, 0);
    EXPECT_TRUE(dialogs.menus.back().menu.children[18].checked);
    EXPECT_EQ(piano->state.currentProgram, 19);
    EXPECT_EQ(piano->lblInstrument.caption, "Church Organ");
    EXPECT_TRUE(piano->ChNum.tag.empty());
    EXPECT_EQ(piano->lblBank[0].tag, "18");
    EXPECT_EQ(piano->state.bankPrograms[0], 18);
}

TEST_F(SoundSelection, SameNameGetsEveryCheckMark) {
    piano->mnuPiano[100].caption = piano->lblInstrument.caption;
    piano->lblInstrument_Click();
    const auto& items = dialogs.menus.back().menu.children;
    EXPECT_TRUE(items[18].checked);
    EXPECT_TRUE(items[100].checked);
    EXPECT_FALSE(items[17].checked);
}

TEST_F(SoundSelection, QuickChannelJumpAnswers) {
    struct Case {
        std::optional<std::string> answer;
        int program;
    };
    const std::vector<Case> cases = {
        {"128", 127},  {" 41 ", 40}, {"12.5", 11}, {"13.5", 13}, {"1", 0},
        {"0", -1},     {"129", -1},  {"word", -1}, {"", -1},     {std::nullopt, -1},
        {"70000", -1}, {"-3", -1},   {"4x", -1},
    };
    for (const auto& c : cases) {
        piano->mnuPiano_Click(5);
        midi.clearSent();
        dialogs.inputAnswers.push_back(c.answer);
        piano->ChNum_Click();
        const int expected = c.program < 0 ? 5 : c.program;
        EXPECT_EQ(piano->state.currentProgram, expected) << c.answer.value_or("<cancel>");
        EXPECT_EQ(midi.sent.size(), c.program < 0 ? 0u : 3u) << c.answer.value_or("<cancel>");
        EXPECT_EQ(piano->ChNum.foreColor, kLabelNormal);
    }
    const auto& asked = dialogs.inputs.back();
    EXPECT_EQ(asked.title, "..:: Quick Channel Jump ::..");
    EXPECT_EQ(asked.defaultAnswer, "6");
    EXPECT_EQ(asked.x, window.position.x + 12);
    EXPECT_EQ(asked.y, window.position.y + 10);
    EXPECT_EQ(asked.prompt.substr(0, 48), "Please Enter the Channel Number from 1 to 128\r\rY");
}

TEST_F(SoundSelection, ProgramStepsStopAtTheEnds) {
    struct Case {
        int from;
        int key;
        int shift;
        int to;
        size_t messages;
    };
    const std::vector<Case> cases = {
        {127, kRight, 0, 127, 0}, {0, kLeft, 0, 0, 0},    {0, kHome, 0, 0, 3},
        {10, kEnd, 0, 127, 3},    {10, kRight, 3, 11, 3}, {10, kRight, 4, 10, 0},
        {10, kLeft, 0, 9, 3},     {10, kRight, 1, 10, 0},
    };
    for (const auto& c : cases) {
        piano->state.currentProgram = static_cast<int16_t>(c.from);
        midi.clearSent();
        press(c.key, c.shift);
        EXPECT_EQ(piano->state.currentProgram, c.to) << c.from << "/" << c.key << "/" << c.shift;
        EXPECT_EQ(midi.sent.size(), c.messages) << c.from << "/" << c.key << "/" << c.shift;
        release(c.key, c.shift);
    }
    piano->state.currentProgram = 0;
    midi.clearSent();
    tap(kHome);
    EXPECT_EQ(midi.sentHex(), kProgramMessages(0));
}

TEST_F(SoundSelection, HoldingRightStepsOncePerRepeatUpToTheLast) {
    for (int i = 0; i < 200; ++i) press(kRight);
    EXPECT_EQ(piano->state.currentProgram, 127);
    EXPECT_EQ(piano->ChNum.caption, "128");
    EXPECT_EQ(midi.sent.size(), (127u - 18u) * 3u);
}

TEST_F(SoundSelection, BaseNoteStepsRefreshAndStopAtTheEnds) {
    tap(kUp);
    EXPECT_EQ(piano->lblBaseKey.caption, "F");
    EXPECT_EQ(piano->PCap.caption, "Current Base Note : F");
    piano->mnuBaseKey_Click(11);
    const int closes = midi.closeCount;
    tap(kUp);
    EXPECT_EQ(piano->lblBaseKey.caption, "B");
    EXPECT_EQ(midi.closeCount, closes + 1) << "the refresh runs even at the top";
    piano->mnuBaseKey_Click(0);
    tap(kDown);
    EXPECT_EQ(piano->state.baseKey, 0);
}

TEST_F(SoundSelection, AltKeypadQuickJump) {
    struct Case {
        std::vector<int> digits;
        std::vector<int> programs;  // selected after each digit, -1 for none
    };
    const std::vector<Case> cases = {
        {{1, 2, 8, 5}, {0, 11, 127, 127}},
        {{1, 3, 0}, {0, 12, 12}},
        {{0}, {-1}},
        {{2, 0, 0, 5}, {1, 19, 19, 19}},
    };
    for (const auto& c : cases) {
        tap(kAlt);  // a plain release resets the digits to "0"
        press(kAlt, kAltMask);
        for (size_t i = 0; i < c.digits.size(); ++i) {
            piano->state.currentProgram = 50;
            press(kKeypad0 + c.digits[i], kAltMask);
            release(kKeypad0 + c.digits[i], kAltMask);
            EXPECT_EQ(piano->state.currentProgram, c.programs[i] < 0 ? 50 : c.programs[i])
                << "digit " << i;
        }
        release(kAlt, 0);
    }
    EXPECT_EQ(piano->lblCH.tag, "0");
}

TEST_F(SoundSelection, QuickJumpShowsTheChannelAndRepeatsWithAlt) {
    press(kAlt, kAltMask);
    press(kKeypad0 + 1, kAltMask);
    press(kKeypad0 + 2, kAltMask);
    EXPECT_EQ(piano->PCap.caption, "Channel : 12 Vibraphone");
    piano->state.currentProgram = 3;
    press(kAlt, kAltMask);
    EXPECT_EQ(piano->state.currentProgram, 11);
    release(kAlt, 0);
    EXPECT_TRUE(piano->tmrCap.enabled);
    piano->tmrCap_Timer();
    EXPECT_EQ(piano->PCap.caption, "");
}

TEST_F(SoundSelection, DevicesAndRefresh) {
    midi.names = {"Port A", "Port B"};
    piano->midiOut.buildDeviceMenu(piano->mnuDevice);
    piano->mnuPiano_Click(40);
    midi.clearSent();
    piano->mnuDevice_Click(2);
    EXPECT_EQ(midi.openedDevices.back(), 1);
    EXPECT_TRUE(piano->mnuDevice[2].checked);
    EXPECT_FALSE(piano->mnuDevice[0].checked);
    EXPECT_EQ(midi.sentHex(), kProgramMessages(40));

    midi.clearSent();
    const int numLock = window.numLockCalls;
    piano->mnu_refresh_Click();
    EXPECT_EQ(piano->PCap.caption, "Refreshing Piano...");
    EXPECT_TRUE(piano->tmrCap.enabled);
    EXPECT_EQ(midi.openedDevices.back(), 1);
    EXPECT_EQ(midi.sentHex(), kProgramMessages(40));
    EXPECT_EQ(window.numLockCalls, numLock + 1);

    piano->Form_Unload();
    EXPECT_EQ(readFile("con_set.dat").substr(0, 3), " 2 ");
}

TEST_F(SoundSelection, BaseNoteMenu) {
    dialogs.menuAnswers.push_back(MenuChoice{"mnuBaseKey", 1});
    piano->lblBaseKey_Click();
    const auto& popped = dialogs.menus.back();
    EXPECT_FALSE(popped.eitherButton);
    EXPECT_EQ(popped.x, piano->lblBaseKey.rect.left);
    EXPECT_EQ(popped.y, piano->lblBaseKey.rect.top + piano->lblBaseKey.rect.height);
    EXPECT_EQ(piano->lblBaseKey.caption, "C#");
    EXPECT_EQ(piano->PCap.caption, "Current Base Note : C#");
    EXPECT_EQ(piano->lblBaseKey.foreColor, kLabelNormal);
    midi.clearSent();
    tap('Z');
    EXPECT_EQ(midi.sentHex().front(), "90 33 7F");

    piano->lblBaseKey_Click();  // dismissed
    EXPECT_EQ(piano->PCap.caption, "Current Base Note : C#");
}

TEST_F(SoundSelection, CtrlBankKeyOpensTheBanksMenu) {
    dialogs.menuAnswers.push_back(instrument(7));
    press(kF3, kCtrlMask);
    EXPECT_EQ(piano->state.bankPrograms[2], 7);
    EXPECT_EQ(dialogs.menus.back().y, 0);
}

}  // namespace
}  // namespace tonvel
