#include "sys/xkb_keyboard_layout.h"

#include <QDir>

#include <cstdlib>
#include <map>
#include <memory>

#include <gtest/gtest.h>

namespace {

// A few keys of the US table, enough to see the delegation and the scan-code lookup.
class FakeKeyCodes final : public KeyboardLayout {
public:
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override {
        const auto it = scanOf_.find(virtualKey);
        return it == scanOf_.end() ? 0 : it->second;
    }
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override {
        for (const auto& [vk, scan] : scanOf_) {
            if (scan == scanCode) {
                return vk;
            }
        }
        return 0;
    }
    QString KeyCharacters(uint32_t, uint32_t) const override { return QStringLiteral("fake"); }

private:
    // 'Q', 'Y', 'Z', VK_OEM_1 (';' on US), VK_RETURN, VK_LSHIFT, VK_DIVIDE (0xE035 extended).
    const std::map<uint32_t, uint32_t> scanOf_ = {{0x51, 0x10},  {0x59, 0x15}, {0x5A, 0x2C},
                                                  {0xBA, 0x27},  {0x0D, 0x1C}, {0xA0, 0x2A},
                                                  {0x6F, 0xE035}};
};

std::unique_ptr<XkbKeyboardLayout> Layout(const char* name, const char* variant = "") {
    return XkbKeyboardLayout::ForLayout(std::make_shared<FakeKeyCodes>(), QString::fromLatin1(name),
                                        QString::fromLatin1(variant));
}

class XkbKeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDir(QStringLiteral("/usr/share/X11/xkb/symbols")).exists() || !Layout("us")) {
            GTEST_SKIP() << "no XKB data on this machine (xkb-data)";
        }
    }
};

}  // namespace

TEST_F(XkbKeyboardLayoutTest, CodesComeFromTheWrappedLayout) {
    const auto us = Layout("us");
    EXPECT_EQ(us->VirtualKeyToScanCode(0x51), 0x10u);
    EXPECT_EQ(us->ScanCodeToVirtualKey(0x2C), 0x5Au);
    EXPECT_EQ(us->VirtualKeyToScanCode(0x07), 0u);
    EXPECT_EQ(us->ScanCodeToVirtualKey(0x7F), 0u);
}

TEST_F(XkbKeyboardLayoutTest, UsKeysTypeLowerCase) {
    const auto us = Layout("us");
    EXPECT_EQ(us->KeyCharacters(0x51, 0x10), QStringLiteral("q"));
    EXPECT_EQ(us->KeyCharacters(0x59, 0x15), QStringLiteral("y"));
    EXPECT_EQ(us->KeyCharacters(0xBA, 0x27), QStringLiteral(";"));
    EXPECT_EQ(us->KeyCharacters(0, 0x02), QStringLiteral("1"));
}

TEST_F(XkbKeyboardLayoutTest, GermanLayoutSwapsYAndZ) {
    const auto de = Layout("de");
    ASSERT_NE(de, nullptr);
    EXPECT_EQ(de->KeyCharacters(0x59, 0x15), QStringLiteral("z"));
    EXPECT_EQ(de->KeyCharacters(0x5A, 0x2C), QStringLiteral("y"));
    EXPECT_EQ(de->KeyCharacters(0xBA, 0x27), QStringLiteral(u"ö"));
    EXPECT_EQ(de->KeyCharacters(0, 0x1A), QStringLiteral(u"ü"));
}

TEST_F(XkbKeyboardLayoutTest, FrenchLayoutAndVariant) {
    const auto fr = Layout("fr");
    ASSERT_NE(fr, nullptr);
    EXPECT_EQ(fr->KeyCharacters(0x51, 0x10), QStringLiteral("a"));
    EXPECT_EQ(fr->KeyCharacters(0, 0x02), QStringLiteral("&"));  // digits need Shift on AZERTY
    const auto dvorak = Layout("us", "dvorak");
    ASSERT_NE(dvorak, nullptr);
    EXPECT_EQ(dvorak->KeyCharacters(0x51, 0x10), QStringLiteral("'"));
}

TEST_F(XkbKeyboardLayoutTest, ScanCodeZeroIsLookedUpFromTheVirtualKey) {
    const auto de = Layout("de");
    EXPECT_EQ(de->KeyCharacters(0x59, 0), QStringLiteral("z"));
    EXPECT_EQ(de->KeyCharacters(0x07, 0), QString());  // no scan code for it
}

TEST_F(XkbKeyboardLayoutTest, KeysThatTypeNothingOrLieOutsideTheMainBlock) {
    const auto us = Layout("us");
    EXPECT_EQ(us->KeyCharacters(0xA0, 0x2A), QString());    // Shift
    EXPECT_EQ(us->KeyCharacters(0x70, 0x3B), QString());    // F1
    EXPECT_EQ(us->KeyCharacters(0x6F, 0xE035), QString());  // extended: not an evdev code
    EXPECT_EQ(us->KeyCharacters(0, 0x59), QString());
    EXPECT_EQ(us->KeyCharacters(0, 0xFFFFFFFF), QString());
    EXPECT_EQ(us->KeyCharacters(0x0D, 0x1C), QStringLiteral("\r"));  // Return types a CR
}

TEST_F(XkbKeyboardLayoutTest, UnknownLayoutIsRefused) {
    EXPECT_EQ(Layout("no-such-layout"), nullptr);
}

TEST_F(XkbKeyboardLayoutTest, UserLayoutWithoutDisplayFollowsTheEnvironment) {
    // Each test runs in its own process under ctest, so changing the environment is contained.
    unsetenv("DISPLAY");
    setenv("XKB_DEFAULT_LAYOUT", "de", 1);
    const auto user = XkbKeyboardLayout::ForUser(std::make_shared<FakeKeyCodes>());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->KeyCharacters(0x59, 0x15), QStringLiteral("z"));
    EXPECT_EQ(user->ScanCodeToVirtualKey(0x15), 0x59u);
}
