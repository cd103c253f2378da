// What the import check takes and what it refuses, field by field: every value a profile made by
// the page can hold passes, and the first value outside is the one named.
#include "macro/record_check.h"

#include <QRandomGenerator>

#include <cstring>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "macro/macro_binding.h"
#include "protocol/profile_record.h"
#include "protocol/report_tables.h"
#include "protocol/utf16_field.h"

namespace {

MacroRecord Macro(const QString& name, int pairs, uint16_t delay = 10) {
    MacroRecord record{};
    StringToField(record.name, name);
    for (int i = 0; i < pairs; ++i) {
        record.actions[2 * i] = {0x04, kActionPress, delay};
        record.actions[2 * i + 1] = {0x04, kActionRelease, delay};
    }
    record.actionCount = 2 * pairs;
    return record;
}

// The field the check names for the record, or "" when it takes it.
QString FaultField(const ProfileRecord& record) {
    const auto fault = CheckProfileRecord(record);
    return fault ? fault->field : QString();
}

TEST(RecordCheck, EveryValueTheControlsOfferIsTaken) {
    auto record = CreateBlankRecord(QStringLiteral("Office"));
    ProfileSlot& slot = record->slots[0];
    EXPECT_EQ(FaultField(*record), QString());
    for (int dpi : {kDpiValueMin, kDpiValueMax}) {
        for (int timer : {kTimerMin, kTimerMax}) {
            for (int stage = 0; stage < 6; ++stage) {
                slot.dpiValue[stage] = dpi;
                slot.dpiStage = stage;
                slot.sleepTimer = slot.lightOffTimer = timer;
                slot.lightBrightness = timer == kTimerMin ? kBrightnessMin : kBrightnessMax;
                slot.lightSpeed = timer == kTimerMin ? kLightSpeedMin : kLightSpeedMax;
                slot.reportRate = stage % 4;
                slot.buttonMode = stage % 2;
                slot.lightMode = stage * 3;
                EXPECT_EQ(FaultField(*record), QString()) << dpi << " " << timer << " " << stage;
            }
        }
    }
    // Every function the mouse knows, on every button but the left click, mirrored like the page.
    for (const FunctionReportRow& row : FunctionReportTable) {
        for (int j = 1; j < kButtonCount; ++j) {
            slot.buttons[j].functionCode = row.code;
            MirrorButton(*record, j);
        }
        if (row.code == kFunctionMacro) {
            for (int j = 1; j < kButtonCount; ++j) {
                BindMacroToButton(slot.buttons[j], Macro(QStringLiteral("Fire"), 23), 0, j % 3,
                                  j == 1 ? kRepeatCountMax : kRepeatCountMin);
                MirrorButton(*record, j);
            }
        }
        EXPECT_EQ(FaultField(*record), QString()) << int(row.code);
    }
}

TEST(RecordCheck, TheFirstValueOutsideIsNamedWithWhatIsTaken) {
    struct Case {
        std::function<void(ProfileRecord&)> damage;
        const char* field;
        qint64 value;
        const char* accepted;
    };
    const Case cases[] = {
        {[](ProfileRecord& r) { r.activeSlot = 3; }, "activeSlot", 3, "0"},
        {[](ProfileRecord& r) { r.slots[0].dpiValue[6] = 7968; }, "dpiValue[6]", 7968, "0, 1–160"},
        {[](ProfileRecord& r) { r.slots[0].dpiValue[0] = -1; }, "dpiValue[0]", -1, "0, 1–160"},
        // Stage 7 of 6: the mouse would run at 0 DPI.
        {[](ProfileRecord& r) { r.slots[0].dpiStage = 6; }, "dpiStage", 6, "0–5"},
        {[](ProfileRecord& r) {
             r.slots[0].dpiValue[1] = 0;
             r.slots[0].dpiStage = 1;
         },
         "dpiStage", 1, "0, 2–5"},
        {[](ProfileRecord& r) { r.slots[0].dpiStage = 8; }, "dpiStage", 8, "0–5"},
        {[](ProfileRecord& r) { r.slots[0].reportRate = 4; }, "reportRate", 4, "0–3"},
        {[](ProfileRecord& r) { r.slots[0].lightMode = 16; }, "lightMode", 16, "0–15"},
        {[](ProfileRecord& r) { r.slots[0].sleepTimer = 0; }, "sleepTimer", 0, "1–60"},
        {[](ProfileRecord& r) { r.slots[0].lightOffTimer = 61; }, "lightOffTimer", 61, "1–60"},
        {[](ProfileRecord& r) { r.slots[0].lightBrightness = 11; }, "lightBrightness", 11, "1–10"},
        {[](ProfileRecord& r) { r.slots[0].buttonMode = 2; }, "buttonMode", 2, "0–1"},
        {[](ProfileRecord& r) { r.slots[0].buttons[5].functionCode = 0x12; },
         "buttons[5].functionCode", 0x12, nullptr},
        {[](ProfileRecord& r) { r.slots[3].buttons[17].functionCode = 0xFF; },
         "slots[3].buttons[17].functionCode", 0xFF, nullptr},
        {[](ProfileRecord& r) {
             r.slots[0].buttons[2].functionCode = kFunctionShortcut;
             r.slots[0].buttons[2].shortcutModifiers = 0x10;
         },
         "buttons[2].shortcutModifiers", 0x10, "0–15"},
        {[](ProfileRecord& r) {
             BindMacroToButton(r.slots[0].buttons[8], Macro(QStringLiteral("M"), 2), 0, 0, 1);
             r.slots[0].buttons[8].macroActionCount = 47;
         },
         "buttons[8].macroActionCount", 47, "0–46"},
        {[](ProfileRecord& r) {
             BindMacroToButton(r.slots[0].buttons[8], Macro(QStringLiteral("M"), 2), 0, 0, 1);
             r.slots[0].buttons[8].macroActions[3].kind = 3;
         },
         "buttons[8].macroActions[3].kind", 3, "1, 2"},
        // 24 actions with long delays cost 48: more than the mouse holds.
        {[](ProfileRecord& r) {
             BindMacroToButton(r.slots[0].buttons[8], Macro(QStringLiteral("M"), 12, 1281), 0, 0,
                               1);
         },
         "buttons[8].macroActions (cost)", 48, "0–47"},
        {[](ProfileRecord& r) {
             BindMacroToButton(r.slots[1].buttons[3], Macro(QStringLiteral("M"), 1), 0, 3, 1);
         },
         "slots[1].buttons[3].macroRepeatMode", 3, "0–2"},
        {[](ProfileRecord& r) {
             BindMacroToButton(r.slots[0].buttons[3], Macro(QStringLiteral("M"), 1), 0, 0, 0);
         },
         "buttons[3].macroRepeatCount", 0, "1–255"},
    };
    for (const Case& c : cases) {
        auto record = CreateBlankRecord(QStringLiteral("P"));
        c.damage(*record);
        const auto fault = CheckProfileRecord(*record);
        ASSERT_TRUE(fault.has_value()) << c.field;
        EXPECT_EQ(fault->kind, RecordFault::Kind::OutOfRange) << c.field;
        EXPECT_EQ(fault->field, QString::fromUtf8(c.field));
        EXPECT_EQ(fault->value, c.value) << c.field;
        if (c.accepted != nullptr) {
            EXPECT_EQ(fault->accepted, QString::fromUtf8(c.accepted)) << c.field;
        }
        EXPECT_TRUE(fault->Describe().contains(fault->field));
    }
}

TEST(RecordCheck, NamesMustBeTextAndButtonsOneToSixteenKeepALeftClick) {
    auto record = CreateBlankRecord(QStringLiteral("P"));
    record->slots[0].buttons[0].functionCode = 0x02;
    ASSERT_TRUE(CheckProfileRecord(*record).has_value());
    EXPECT_EQ(CheckProfileRecord(*record)->kind, RecordFault::Kind::NoLeftClick);
    record->slots[0].buttons[15].functionCode = kFunctionLeftClick;
    EXPECT_FALSE(CheckProfileRecord(*record).has_value());
    record->slots[0].buttons[15].functionCode = 0x00;
    record->slots[0].buttons[16].functionCode = kFunctionLeftClick;  // 17 does not count
    EXPECT_TRUE(CheckProfileRecord(*record).has_value());

    for (const QString& bad : {QString(), QStringLiteral("   "), QStringLiteral("a\tb"),
                               QString(QChar(0xD800)) + QLatin1String("x"),
                               QStringLiteral("x") + QChar(0xDC00), QString(QChar(0xFFFF))}) {
        EXPECT_FALSE(IsUsableName(bad)) << bad.toStdString();
        auto named = CreateBlankRecord(bad);
        const auto fault = CheckProfileRecord(*named);
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(fault->kind, RecordFault::Kind::NotText);
        EXPECT_EQ(fault->field, QStringLiteral("profileName"));
        ASSERT_TRUE(CheckMacroRecord(Macro(bad, 1)).has_value());
        EXPECT_EQ(CheckMacroRecord(Macro(bad, 1))->field, QStringLiteral("name"));
    }
    for (const QString& good :
         {QStringLiteral("Fire_1"), QStringLiteral("Стрельба"), QStringLiteral("射击 2"),
          QStringLiteral("a") + QChar(0xD83D) + QChar(0xDE00)}) {
        EXPECT_TRUE(IsUsableName(good)) << good.toStdString();
    }
}

TEST(RecordCheck, MacroFilesAreCheckedForCountKindsAndCost) {
    EXPECT_FALSE(CheckMacroRecord(Macro(QStringLiteral("Full"), 23)).has_value());
    // 46 actions with one long delay cost 47: what the editor still keeps.
    MacroRecord edited = Macro(QStringLiteral("Edited"), 23);
    edited.actions[0].delay = 5000;
    EXPECT_FALSE(CheckMacroRecord(edited).has_value());
    edited.actions[1].delay = 5000;
    EXPECT_EQ(CheckMacroRecord(edited)->field, QStringLiteral("actions (cost)"));

    MacroRecord counted = Macro(QStringLiteral("Counted"), 1);
    counted.actionCount = -1;
    EXPECT_EQ(CheckMacroRecord(counted)->field, QStringLiteral("actionCount"));
    counted.actionCount = 3;  // the third action is all zero: kind 0
    EXPECT_EQ(CheckMacroRecord(counted)->field, QStringLiteral("actions[2].kind"));

    // A text file renamed: its letters read as UTF-16 names, but not as a count or kinds.
    const QByteArray text =
        QByteArrayLiteral("Shopping list\nmilk, bread, eggs\nRemember the receipt. ") +
        QByteArray(240, 'x');
    MacroRecord fromText{};
    std::memcpy(&fromText, text.constData(), sizeof fromText);
    EXPECT_TRUE(CheckMacroRecord(fromText).has_value());
}

TEST(RecordCheck, RandomBytesAreRefused) {
    QRandomGenerator random(19);
    auto record = std::make_unique<ProfileRecord>();
    for (int round = 0; round < 50; ++round) {
        random.fillRange(reinterpret_cast<quint32*>(record.get()),
                         sizeof(ProfileRecord) / sizeof(quint32));
        EXPECT_TRUE(CheckProfileRecord(*record).has_value());
        MacroRecord macro{};
        random.fillRange(reinterpret_cast<quint32*>(&macro), sizeof macro / sizeof(quint32));
        EXPECT_TRUE(CheckMacroRecord(macro).has_value());
    }
}

}  // namespace
