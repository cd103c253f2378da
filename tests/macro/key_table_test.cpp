#include "macro/key_table.h"

#include <set>

#include <gtest/gtest.h>
#include <QLoggingCategory>
#include <QStringList>

#include "macro/us_keyboard_layout.h"
#include "sys/text_lookup.h"

namespace {

// Shows which key was looked up: the text of "key_Enter" is "<key_Enter>".
class MarkedTexts final : public TextLookup {
public:
    QString Text(const QString& key) const override {
        lookups.append(key);
        return QLatin1Char('<') + key + QLatin1Char('>');
    }
    mutable QStringList lookups;
};

// A layout whose key right of Tab (scan 0x10) types A and whose home-row left key (scan 0x1E)
// types Q, with an accented letter on the quote key, as on a French keyboard.
class FrenchLikeLayout final : public KeyboardLayout {
public:
    uint32_t VirtualKeyToScanCode(uint32_t virtualKey) const override {
        if (virtualKey == 0x41)
            return 0x10;
        if (virtualKey == 0x51)
            return 0x1E;
        return us.VirtualKeyToScanCode(virtualKey);
    }
    uint32_t ScanCodeToVirtualKey(uint32_t scanCode) const override {
        if (scanCode == 0x10)
            return 0x41;
        if (scanCode == 0x1E)
            return 0x51;
        return us.ScanCodeToVirtualKey(scanCode);
    }
    QString KeyCharacters(uint32_t virtualKey, uint32_t scanCode) const override {
        if (virtualKey == 0xDE)
            return QStringLiteral("ù");
        return us.KeyCharacters(virtualKey, scanCode);
    }
    UsKeyboardLayout us;
};

// Puts every key on scan code 0x1E (the US A key): shows which virtual keys consult the layout.
class EverythingIsALayout final : public KeyboardLayout {
public:
    uint32_t VirtualKeyToScanCode(uint32_t) const override { return 0x1E; }
    uint32_t ScanCodeToVirtualKey(uint32_t) const override { return 0x41; }
    QString KeyCharacters(uint32_t, uint32_t) const override { return QStringLiteral("a"); }
};

// A layout that knows none of the keys.
class UnknownLayout final : public KeyboardLayout {
public:
    uint32_t VirtualKeyToScanCode(uint32_t) const override { return 0x7F; }
    uint32_t ScanCodeToVirtualKey(uint32_t) const override { return 0; }
    QString KeyCharacters(uint32_t, uint32_t) const override { return {}; }
};

struct Row {
    std::size_t number;  // 1-based, as rows are counted
    KeyTableRow values;
};

TEST(KeyTable, HoldsTheRowsInOrder) {
    const Row expected[] = {
        {1, {0x41, 0x04, 0x1E}},   {13, {0x4D, 0x10, 0x32}},  {26, {0x5A, 0x1D, 0x2C}},
        {27, {0x31, 0x1E, 0x02}},  {36, {0x30, 0x27, 0x0B}},  {37, {0x0D, 0x28, 0x1C}},
        {41, {0x20, 0x2C, 0x39}},  {47, {0xBA, 0x33, 0x27}},  {52, {0xBF, 0x38, 0x35}},
        {53, {0xDF, 0x38, 0x35}},  {54, {0x14, 0x39, 0x3A}},  {55, {0x70, 0x3A, 0x3B}},
        {64, {0x79, 0x43, 0x44}},  {65, {0x7A, 0x44, 0x57}},  {66, {0x7B, 0x45, 0x58}},
        {67, {0x2C, 0x46, 0x00}},  {69, {0x13, 0x48, 0x00}},  {79, {0x26, 0x52, 0x00}},
        {85, {0x6C, 0x58, 0x00}},  {90, {0x65, 0x5D, 0x00}},  {91, {0x67, 0x5F, 0x00}},
        {92, {0x66, 0x5E, 0x00}},  {95, {0x60, 0x62, 0x00}},  {96, {0x6E, 0x63, 0x00}},
        {97, {0x5D, 0x65, 0x00}},  {98, {0xA2, 0xE0, 0x00}},  {101, {0x5B, 0xE3, 0x00}},
        {105, {0x5C, 0xE7, 0x00}}, {106, {0xF0, 0xF0, 0x00}}, {110, {0xF4, 0xF4, 0x00}},
        {111, {0xF7, 0xF7, 0x00}}, {112, {0xF8, 0xF8, 0x00}},
    };
    for (const Row& r : expected) {
        const KeyTableRow& row = kKeyTable[r.number - 1];
        EXPECT_EQ(row.virtualKey, r.values.virtualKey) << "row " << r.number;
        EXPECT_EQ(row.usage, r.values.usage) << "row " << r.number;
        EXPECT_EQ(row.scanCode, r.values.scanCode) << "row " << r.number;
    }
}

TEST(KeyTable, GapsAndDuplicatesAreExactlyTheKnownOnes) {
    std::set<uint32_t> virtualKeys;
    std::multiset<uint32_t> usages;
    for (const KeyTableRow& row : kKeyTable) {
        EXPECT_TRUE(virtualKeys.insert(row.virtualKey).second)
            << "a second row for VK " << row.virtualKey << " could never be reached";
        usages.insert(row.usage);
    }
    EXPECT_EQ(usages.count(0x38), 2u);
    EXPECT_EQ(usages.count(0x32), 0u);
    EXPECT_EQ(usages.count(0x64), 0u);
    EXPECT_EQ(usages.size(), std::set<uint32_t>(usages.begin(), usages.end()).size() + 1);
    for (uint32_t generic : {0x10u, 0x11u, 0x12u}) {
        EXPECT_EQ(virtualKeys.count(generic), 0u) << "VK " << generic;
    }
}

TEST(VirtualKeyToUsage, MapsKeysOnAUsLayout) {
    const UsKeyboardLayout us;
    EXPECT_EQ(VirtualKeyToUsage(0x41, us), std::optional<uint8_t>(0x04));
    EXPECT_EQ(VirtualKeyToUsage(0x30, us), std::optional<uint8_t>(0x27));
    EXPECT_EQ(VirtualKeyToUsage(0x0D, us), std::optional<uint8_t>(0x28));  // main Enter
    EXPECT_EQ(VirtualKeyToUsage(0x6C, us), std::optional<uint8_t>(0x58));  // separator: pad Enter
    EXPECT_EQ(VirtualKeyToUsage(0x70, us), std::optional<uint8_t>(0x3A));  // F1 via scan 0x3B
    EXPECT_EQ(VirtualKeyToUsage(0x7B, us), std::optional<uint8_t>(0x45));  // F12 via scan 0x58
    EXPECT_EQ(VirtualKeyToUsage(0xDF, us), std::optional<uint8_t>(0x38));
    EXPECT_EQ(VirtualKeyToUsage(0x66, us), std::optional<uint8_t>(0x5E));
    EXPECT_EQ(VirtualKeyToUsage(0xA5, us), std::optional<uint8_t>(0xE6));
}

TEST(VirtualKeyToUsage, KeysWithoutARowAreNotFound) {
    const UsKeyboardLayout us;
    for (uint32_t vk : {0x00u, 0x10u, 0x11u, 0x12u, 0xF5u, 0xF6u, 0xFFu, 0x141u}) {
        EXPECT_EQ(VirtualKeyToUsage(vk, us), std::nullopt) << "VK " << vk;
    }
}

TEST(VirtualKeyToUsage, PrivateCodesMapToThemselves) {
    const UsKeyboardLayout us;
    for (uint32_t code : {0xF0u, 0xF1u, 0xF2u, 0xF3u, 0xF4u, 0xF7u, 0xF8u}) {
        EXPECT_EQ(VirtualKeyToUsage(code, us), std::optional<uint8_t>(code)) << "VK " << code;
    }
}

TEST(VirtualKeyToUsage, StoresThePhysicalKeyOnAnotherLayout) {
    const FrenchLikeLayout french;
    EXPECT_EQ(VirtualKeyToUsage(0x41, french), std::optional<uint8_t>(0x14));
    EXPECT_EQ(VirtualKeyToUsage(0x51, french), std::optional<uint8_t>(0x04));
    EXPECT_EQ(VirtualKeyToUsage(0x42, french), std::optional<uint8_t>(0x05));
}

TEST(VirtualKeyToUsage, OnlyTheMainBlockAndFunctionKeysConsultTheLayout) {
    const EverythingIsALayout layout;
    EXPECT_EQ(VirtualKeyToUsage(0x0D, layout), std::optional<uint8_t>(0x04));
    EXPECT_EQ(VirtualKeyToUsage(0x7B, layout), std::optional<uint8_t>(0x04));
    EXPECT_EQ(VirtualKeyToUsage(0x2C, layout), std::optional<uint8_t>(0x46));  // Print Screen
    EXPECT_EQ(VirtualKeyToUsage(0xA2, layout), std::optional<uint8_t>(0xE0));
    EXPECT_EQ(VirtualKeyToUsage(0xF1, layout), std::optional<uint8_t>(0xF1));
}

TEST(VirtualKeyToUsage, KeepsTheTableUsageWhenTheLayoutKnowsNoScanCode) {
    const UnknownLayout layout;
    EXPECT_EQ(VirtualKeyToUsage(0x41, layout), std::optional<uint8_t>(0x04));
    EXPECT_EQ(VirtualKeyToUsage(0x70, layout), std::optional<uint8_t>(0x3A));
}

TEST(UsageToKeyName, MainBlockShowsTheCharacterWithoutALookup) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    EXPECT_EQ(UsageToKeyName(0x04, us, texts), QStringLiteral("A"));
    EXPECT_EQ(UsageToKeyName(0x1D, us, texts), QStringLiteral("Z"));
    EXPECT_EQ(UsageToKeyName(0x27, us, texts), QStringLiteral("0"));
    EXPECT_EQ(UsageToKeyName(0x35, us, texts), QStringLiteral("`"));
    EXPECT_EQ(UsageToKeyName(0x38, us, texts), QStringLiteral("/"));  // first of its two rows
    EXPECT_TRUE(texts.lookups.isEmpty()) << texts.lookups.join(u',').toStdString();
}

TEST(UsageToKeyName, NamedKeysOfTheMainBlockUseTheirLanguageKey) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    EXPECT_EQ(UsageToKeyName(0x28, us, texts), QStringLiteral("<key_Enter>"));
    EXPECT_EQ(UsageToKeyName(0x29, us, texts), QStringLiteral("<key_Esc>"));
    EXPECT_EQ(UsageToKeyName(0x2A, us, texts), QStringLiteral("<key_BackSpace>"));
    EXPECT_EQ(UsageToKeyName(0x2B, us, texts), QStringLiteral("<key_Tab>"));
    EXPECT_EQ(UsageToKeyName(0x2C, us, texts), QStringLiteral("<key_Space>"));
    EXPECT_EQ(UsageToKeyName(0x39, us, texts), QStringLiteral("<key_Caplk>"));
}

TEST(UsageToKeyName, OtherKeysUseTheirLanguageKey) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    const std::pair<uint32_t, const char*> named[] = {
        {0x3A, "<key_F1>"},
        {0x45, "<key_F12>"},
        {0x46, "<key_Print Scr>"},
        {0x4E, "<key_Page Down>"},
        {0x52, "<key_Up>"},
        {0x53, "<key_Num Lock>"},
        {0x58, "<key_Num_Enter>"},
        {0x59, "<key_Num_1>"},
        {0x61, "<key_Num_9>"},
        {0x62, "<key_Num_0>"},
        {0x63, "<key_Num_.>"},
        {0x64, "<key_\\>"},
        {0x65, "<key_APP>"},
        {0x66, "<>"},
        {0x68, "<>"},
        {0x82, "<Sleep>"},
        {0x88, "<Kana/Roma>"},
        {0xDD, "<`>"},
        {0xE0, "<key_LCtrl>"},
        {0xE3, "<key_LWin>"},
        {0xE6, "<key_RAlt>"},
        {0xE7, "<key_RWin>"},
        {0xF1, "<L_Button>"},
        {0xF2, "<R_Button>"},
        {0xF3, "<M_Button>"},
        {0xF4, "<Backward_Button>"},
        {0xF5, "<Forward_Button>"},
    };
    for (const auto& [usage, text] : named) {
        EXPECT_EQ(UsageToKeyName(usage, us, texts), QString::fromUtf8(text)) << "usage " << usage;
    }
}

TEST(UsageToKeyName, UnnamedCodesGiveAnEmptyText) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    // 0x32 and 0xE8-0xEF have no row and name no key; the rest have no name at all.
    for (uint32_t usage : {0x32u, 0xE8u, 0xEFu, 0x00u, 0x01u, 0x03u, 0x69u, 0x81u, 0xDCu, 0xF0u,
                           0xF6u, 0xF7u, 0xF8u, 0xFFu, 0x104u}) {
        EXPECT_EQ(UsageToKeyName(usage, us, texts), QString()) << "usage " << usage;
    }
    EXPECT_TRUE(texts.lookups.isEmpty()) << texts.lookups.join(u',').toStdString();
}

TEST(UsageToKeyName, FollowsTheUsersLayout) {
    const FrenchLikeLayout french;
    const MarkedTexts texts;
    EXPECT_EQ(UsageToKeyName(0x14, french, texts), QStringLiteral("A"));  // the key right of Tab
    EXPECT_EQ(UsageToKeyName(0x04, french, texts), QStringLiteral("Q"));
    EXPECT_EQ(UsageToKeyName(0x34, french, texts), QStringLiteral("Ù"));  // upper-cased
}

TEST(UsageToKeyName, MainBlockKeyUnknownToTheLayoutIsEmpty) {
    const UnknownLayout layout;
    const MarkedTexts texts;
    EXPECT_EQ(UsageToKeyName(0x04, layout, texts), QString());
    EXPECT_EQ(UsageToKeyName(0x3A, layout, texts), QStringLiteral("<key_F1>"));
}

TEST(VirtualKeyToKeyName, NamesKeysByVirtualKeyCode) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    EXPECT_EQ(VirtualKeyToKeyName(0x6E, us, texts), QStringLiteral("<key_Num_.>"));
    EXPECT_EQ(UsageToKeyName(0x63, us, texts), VirtualKeyToKeyName(0x6E, us, texts));
    const std::pair<uint32_t, const char*> named[] = {
        {0x10, "<key_LShift>"},    {0x11, "<key_LCtrl>"},     {0x12, "<key_LAlt>"},
        {0xA1, "<key_RShift>"},    {0xA3, "<key_RCtrl>"},     {0xA5, "<key_RAlt>"},
        {0x2A, "<key_Print Scr>"}, {0x2C, "<key_Print Scr>"}, {0x60, "<key_Num_0>"},
        {0x69, "<key_Num_9>"},     {0x6C, "<key_Num_Enter>"}, {0x70, "<key_F1>"},
        {0x7B, "<key_F12>"},       {0x90, "<key_Num Lock>"},  {0x91, "<key_Scroll Lock>"},
        {0xF0, "<key_Caplk>"},     {0x5D, "<key_APP>"},       {0x28, "<key_Down>"},
    };
    for (const auto& [vk, text] : named) {
        EXPECT_EQ(VirtualKeyToKeyName(vk, us, texts), QString::fromUtf8(text)) << "VK " << vk;
    }
}

TEST(VirtualKeyToKeyName, OtherKeysShowTheirUpperCasedCharacters) {
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    EXPECT_EQ(VirtualKeyToKeyName(0x51, us, texts), QStringLiteral("Q"));
    EXPECT_EQ(VirtualKeyToKeyName(0xDC, us, texts), QStringLiteral("\\"));
    EXPECT_EQ(VirtualKeyToKeyName(0xDF, us, texts), QString());  // no character on US keyboards
    EXPECT_EQ(VirtualKeyToKeyName(0xAD, us, texts), QString());  // volume mute
    EXPECT_EQ(VirtualKeyToKeyName(0x00, us, texts), QString());
    EXPECT_TRUE(texts.lookups.isEmpty()) << texts.lookups.join(u',').toStdString();
}

// The name of every lookup is traced for debugging, in its own logging category.
QStringList* traceLines = nullptr;

void CollectTrace(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (traceLines != nullptr && QLatin1String(context.category) == QLatin1String("talvore.keys")) {
        traceLines->append(message);
    }
}

TEST(UsageToKeyName, TracesTheResultInTheKeysCategory) {
    QStringList lines;
    traceLines = &lines;
    QLoggingCategory::setFilterRules(QStringLiteral("talvore.keys.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(CollectTrace);
    const UsKeyboardLayout us;
    const MarkedTexts texts;
    UsageToKeyName(0x05, us, texts);
    UsageToKeyName(0x00, us, texts);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    traceLines = nullptr;
    EXPECT_EQ(lines, (QStringList{QStringLiteral("m_key = B"), QStringLiteral("m_key = ")}));
}

}  // namespace
