// A profile as JSON: every record comes back byte for byte, settings can be edited by name, and
// anything the page or the mouse would not accept is refused with the field named.
#include <cstring>
#include <functional>
#include <random>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "exchange/profile_json.h"
#include "macro/macro_binding.h"
#include "protocol/utf16_field.h"

namespace {

QJsonObject Json(const ProfileRecord& record) {
    return QJsonDocument::fromJson(ProfileToJson(record)).object();
}

ProfileJsonRead Read(const QJsonObject& json) {
    return ProfileFromJson(QJsonDocument(json).toJson());
}

bool SameBytes(const ProfileRecord& a, const ProfileRecord& b) {
    return std::memcmp(&a, &b, sizeof(ProfileRecord)) == 0;
}

// A profile such as the page makes: a macro on button 5 and a shortcut on button 3 (both
// mirrored into slot 1), a seventh DPI stage, another lighting effect and colour.
std::unique_ptr<ProfileRecord> WorkProfile() {
    auto record = CreateBlankRecord(QStringLiteral("Work ✓"));
    ProfileSlot& slot = record->slots[0];
    slot.dpiValue[6] = 100;
    slot.dpiStageEnabled[6] = 1;
    slot.dpiStage = 6;
    slot.lightMode = 7;
    slot.lightColor = ColorToStored(0xFF123456);
    MacroRecord macro{};
    StringToField(macro.name, QStringLiteral("Copy"));
    macro.actionCount = 2;
    macro.actions[0] = {0x06, kActionPress, 20};
    macro.actions[1] = {0x06, kActionRelease, 1500};
    BindMacroToButton(slot.buttons[5], macro, 0, 0, 3);
    MirrorButton(*record, 5);
    slot.buttons[3].functionCode = kFunctionShortcut;
    slot.buttons[3].shortcutUsage = 0x1D;
    slot.buttons[3].shortcutModifiers = 0x05;
    MirrorButton(*record, 3);
    return record;
}

template <std::size_t N>
void RandomAfterNul(char16_t (&field)[N], std::mt19937& random) {
    for (std::size_t i = std::find(field, field + N, u'\0') - field + 1; i < N; ++i) {
        field[i] = static_cast<char16_t>(random());
    }
}

// Random bytes everywhere, except that the settings JSON names hold the good profile's values:
// colours keep a random unused byte, names and macro copies a random tail after their end.
std::unique_ptr<ProfileRecord> RandomAround(const ProfileRecord& good, std::mt19937& random) {
    auto record = std::make_unique<ProfileRecord>();
    auto* bytes = reinterpret_cast<unsigned char*>(record.get());
    for (std::size_t i = 0; i < sizeof(ProfileRecord); ++i) {
        bytes[i] = static_cast<unsigned char>(random());
    }
    ProfileSlot& slot = record->slots[0];
    const ProfileSlot& from = good.slots[0];
    record->activeSlot = good.activeSlot;
    std::memcpy(record->profileName, good.profileName, sizeof good.profileName);
    RandomAfterNul(record->profileName, random);
    std::memcpy(slot.dpiValue, from.dpiValue, sizeof from.dpiValue);
    std::memcpy(slot.dpiValueAlt, from.dpiValueAlt, sizeof from.dpiValueAlt);
    std::memcpy(slot.dpiStageEnabled, from.dpiStageEnabled, sizeof from.dpiStageEnabled);
    for (int i = 0; i < kDpiStageCount; ++i) {
        slot.dpiColor[i] = (slot.dpiColor[i] & 0xFF000000u) | (from.dpiColor[i] & 0xFFFFFF);
    }
    slot.lightColor = (slot.lightColor & 0xFF000000u) | (from.lightColor & 0xFFFFFF);
    for (int32_t ProfileSlot::*field :
         {&ProfileSlot::dpiStage, &ProfileSlot::dpiParamA, &ProfileSlot::dpiParamB,
          &ProfileSlot::lightMode, &ProfileSlot::lightBrightness, &ProfileSlot::lightSpeed,
          &ProfileSlot::sleepTimer, &ProfileSlot::lightOffTimer, &ProfileSlot::reportRate,
          &ProfileSlot::moveMode, &ProfileSlot::buttonMode}) {
        slot.*field = from.*field;
    }
    for (int j = 0; j < kButtonCount; ++j) {
        ButtonEntry& entry = slot.buttons[j];
        const ButtonEntry& source = from.buttons[j];
        entry.functionCode = source.functionCode;
        entry.shortcutUsage = source.shortcutUsage;
        entry.shortcutModifiers = source.shortcutModifiers;
        if (source.functionCode == kFunctionMacro) {
            std::memcpy(entry.macroName, source.macroName, sizeof source.macroName);
            RandomAfterNul(entry.macroName, random);
            entry.macroIndex = source.macroIndex;
            entry.macroRepeatMode = source.macroRepeatMode;
            entry.macroRepeatCount = source.macroRepeatCount;
            entry.macroActionCount = source.macroActionCount;
            entry.macroOption = source.macroOption;
            std::memcpy(entry.macroActions, source.macroActions,
                        sizeof(MacroAction) * source.macroActionCount);
        }
    }
    return record;
}

TEST(ProfileJson, EveryRecordComesBackByteForByte) {
    const auto work = WorkProfile();
    const auto back = ProfileFromJson(ProfileToJson(*work));
    ASSERT_TRUE(back) << back.error.toStdString();
    EXPECT_TRUE(SameBytes(*back.record, *work));

    // Other slots, reserved fields, unused colour bytes, name tails and macro actions past the
    // count: whatever a record holds besides its named settings survives.
    std::mt19937 random(20240611);
    for (int round = 0; round < 25; ++round) {
        const auto record = RandomAround(*work, random);
        const QByteArray json = ProfileToJson(*record);
        EXPECT_EQ(ProfileToJson(*record), json) << "the same record, the same text";
        const auto read = ProfileFromJson(json);
        ASSERT_TRUE(read) << read.error.toStdString();
        EXPECT_TRUE(SameBytes(*read.record, *record)) << "round " << round;
    }
}

TEST(ProfileJson, AProfileOfTheProgramReadsAsSettingsWithFewOtherBytes) {
    // A blank profile is its named settings alone; a changed other slot or colour byte shows up
    // as a short run at its offset in the record.
    auto record = CreateBlankRecord(QStringLiteral("Plain"));
    EXPECT_EQ(Json(*record).value(QStringLiteral("otherBytes")).toArray(), QJsonArray());
    EXPECT_TRUE(ProfileToJson(*record).endsWith("}\n"));

    record->slots[1].buttons[0].functionCode = 0x05;  // 104 + 32984 + 2456 + 1
    record->slots[0].lightColor = 0x12FF0000;         // high byte at 104 + 2384 + 3
    const QJsonObject json = Json(*record);
    EXPECT_EQ(json.value(QStringLiteral("lightColor")).toString(), QStringLiteral("#0000FF"));
    EXPECT_EQ(json.value(QStringLiteral("otherBytes")).toArray(),
              (QJsonArray{QJsonObject{{QStringLiteral("offset"), 2491},
                                      {QStringLiteral("hex"), QStringLiteral("12")}},
                          QJsonObject{{QStringLiteral("offset"), 35545},
                                      {QStringLiteral("hex"), QStringLiteral("05")}}}));
}

TEST(ProfileJson, SettingsEditedByNameLandInTheirFieldsAlone) {
    const auto work = WorkProfile();
    QJsonObject json = Json(*work);
    QJsonArray dpi = json.value(QStringLiteral("dpiValue")).toArray();
    dpi[0] = 20;
    json.insert(QStringLiteral("dpiValue"), dpi);
    json.insert(QStringLiteral("lightColor"), QStringLiteral("#ff8000"));
    json.insert(QStringLiteral("name"), QStringLiteral("Game"));
    QJsonArray buttons = json.value(QStringLiteral("buttons")).toArray();
    QJsonObject macro = buttons[5].toObject();
    QJsonArray actions = macro.value(QStringLiteral("actions")).toArray();
    QJsonObject last = actions[1].toObject();
    last.insert(QStringLiteral("delay"), 65535);
    actions[1] = last;
    macro.insert(QStringLiteral("actions"), actions);
    buttons[5] = macro;
    json.insert(QStringLiteral("buttons"), buttons);

    const auto read = Read(json);
    ASSERT_TRUE(read) << read.error.toStdString();
    ProfileRecord expected = *work;
    expected.slots[0].dpiValue[0] = 20;
    expected.slots[0].lightColor = 0x000080FF;
    SetProfileName(expected, QStringLiteral("Game"));
    expected.slots[0].buttons[5].macroActions[1].delay = 65535;
    EXPECT_TRUE(SameBytes(*read.record, expected));
}

// One change to a good profile's JSON, and the start of the message that must refuse it.
struct Refusal {
    const char* what;
    std::function<void(QJsonObject&)> change;
    const char* error;
};

void SetIn(QJsonObject& json, const char* key, int index, const QJsonValue& value) {
    QJsonArray array = json.value(QLatin1String(key)).toArray();
    array[index] = value;
    json.insert(QLatin1String(key), array);
}

void SetInButton(QJsonObject& json, int button, const char* key, const QJsonValue& value) {
    QJsonArray buttons = json.value(QStringLiteral("buttons")).toArray();
    QJsonObject entry = buttons[button].toObject();
    entry.insert(QLatin1String(key), value);
    buttons[button] = entry;
    json.insert(QStringLiteral("buttons"), buttons);
}

void SetInAction(QJsonObject& json, int action, const char* key, const QJsonValue& value) {
    QJsonArray buttons = json.value(QStringLiteral("buttons")).toArray();
    QJsonObject entry = buttons[5].toObject();
    QJsonArray actions = entry.value(QStringLiteral("actions")).toArray();
    QJsonObject item = actions[action].toObject();
    item.insert(QLatin1String(key), value);
    actions[action] = item;
    entry.insert(QStringLiteral("actions"), actions);
    buttons[5] = entry;
    json.insert(QStringLiteral("buttons"), buttons);
}

QJsonObject OtherRun(qint64 offset, const char* hex) {
    return {{QStringLiteral("offset"), offset}, {QStringLiteral("hex"), QLatin1String(hex)}};
}

TEST(ProfileJson, WhatThePageOrTheMouseWouldNotTakeIsRefusedByName) {
    const QJsonObject good = Json(*WorkProfile());
    const Refusal refusals[] = {
        {"a DPI past the slider", [](QJsonObject& j) { SetIn(j, "dpiValue", 2, 161); },
         "dpiValue[2] is 161, outside 1..160"},
        {"no DPI on a stage in use", [](QJsonObject& j) { SetIn(j, "dpiValue", 0, 0); },
         "dpiValue[0] is 0, outside 1..160"},
        {"a stage flag other than 0 or 1",
         [](QJsonObject& j) { SetIn(j, "dpiStageEnabled", 7, 2); }, "dpiStageEnabled[7] is 2"},
        {"a ninth stage", [](QJsonObject& j) { j.insert(QStringLiteral("dpiStage"), 8); },
         "dpiStage is 8, outside 0..7"},
        {"a sixth slot", [](QJsonObject& j) { j.insert(QStringLiteral("activeSlot"), 5); },
         "activeSlot is 5"},
        {"an effect past the list",
         [](QJsonObject& j) { j.insert(QStringLiteral("lightMode"), 12); },
         "lightMode is 12, outside 0..11"},
        {"a fifth report rate", [](QJsonObject& j) { j.insert(QStringLiteral("reportRate"), 4); },
         "reportRate is 4"},
        {"a sleep timer of 0", [](QJsonObject& j) { j.insert(QStringLiteral("sleepTimer"), 0); },
         "sleepTimer is 0, outside 1..60"},
        {"a fraction", [](QJsonObject& j) { j.insert(QStringLiteral("lightSpeed"), 2.5); },
         "lightSpeed must be a whole number"},
        {"a number as text",
         [](QJsonObject& j) { j.insert(QStringLiteral("lightSpeed"), QStringLiteral("2")); },
         "lightSpeed must be a number"},
        {"a colour that is no colour",
         [](QJsonObject& j) { j.insert(QStringLiteral("lightColor"), QStringLiteral("#12345G")); },
         "lightColor must be a colour"},
        {"seven stages of colour",
         [](QJsonObject& j) {
             QJsonArray colors = j.value(QStringLiteral("dpiColor")).toArray();
             colors.removeLast();
             j.insert(QStringLiteral("dpiColor"), colors);
         },
         "dpiColor has 7 entries; it must have 8"},
        {"a function the mouse does not know",
         [](QJsonObject& j) { SetInButton(j, 7, "functionCode", 0x12); },
         "buttons[7].functionCode 18 is no function"},
        {"no left click left", [](QJsonObject& j) { SetInButton(j, 0, "functionCode", 2); },
         "none of buttons[0] to buttons[15] is a left click"},
        {"a fifth modifier", [](QJsonObject& j) { SetInButton(j, 3, "shortcutModifiers", 16); },
         "buttons[3].shortcutModifiers is 16"},
        {"a macro field on a plain button",
         [](QJsonObject& j) { SetInButton(j, 3, "macroIndex", 0); },
         "buttons[3].macroIndex belongs to a macro button"},
        {"47 macro actions", [](QJsonObject& j) { SetInButton(j, 5, "macroActionCount", 47); },
         "buttons[5].macroActionCount is 47, outside 0..46"},
        {"a count that is not the list's",
         [](QJsonObject& j) { SetInButton(j, 5, "macroActionCount", 3); },
         "buttons[5].actions must list macroActionCount (3) actions"},
        {"a fourth repeat mode", [](QJsonObject& j) { SetInButton(j, 5, "macroRepeatMode", 3); },
         "buttons[5].macroRepeatMode is 3"},
        {"an action that is neither press nor release",
         [](QJsonObject& j) { SetInAction(j, 1, "kind", 3); },
         "buttons[5].actions[1].kind is 3, outside 1..2"},
        {"a delay past 16 bits", [](QJsonObject& j) { SetInAction(j, 0, "delay", 65536); },
         "buttons[5].actions[0].delay is 65536"},
        {"a macro name too long",
         [](QJsonObject& j) { SetInButton(j, 5, "macroName", QString(24, QLatin1Char('m'))); },
         "buttons[5].macroName has 24 characters; it may have 1 to 23"},
        {"a profile name too long",
         [](QJsonObject& j) { j.insert(QStringLiteral("name"), QString(50, QLatin1Char('n'))); },
         "name has 50 characters; it may have 1 to 49"},
        {"no name", [](QJsonObject& j) { j.insert(QStringLiteral("name"), QString()); },
         "name has 0 characters"},
        {"a missing setting", [](QJsonObject& j) { j.remove(QStringLiteral("moveMode")); },
         "moveMode is missing"},
        {"a misspelt setting", [](QJsonObject& j) { j.insert(QStringLiteral("dpistage"), 1); },
         "unknown field dpistage"},
        {"other bytes over a named setting (dpiStage at 104 + 2352)",
         [](QJsonObject& j) {
             j.insert(QStringLiteral("otherBytes"), QJsonArray{OtherRun(2456, "07")});
         },
         "otherBytes change dpiStage"},
        {"other bytes past the record's end",
         [](QJsonObject& j) {
             j.insert(QStringLiteral("otherBytes"), QJsonArray{OtherRun(165023, "0102")});
         },
         "otherBytes[0] (offset 165023, 2 bytes) overlaps the run before it or lies outside"},
        {"other bytes out of order",
         [](QJsonObject& j) {
             j.insert(QStringLiteral("otherBytes"),
                      QJsonArray{OtherRun(50000, "01"), OtherRun(40000, "01")});
         },
         "otherBytes[1] (offset 40000"},
        {"an odd number of hex digits",
         [](QJsonObject& j) {
             j.insert(QStringLiteral("otherBytes"), QJsonArray{OtherRun(50000, "012")});
         },
         "otherBytes[0] must be"},
    };
    ASSERT_TRUE(Read(good));
    for (const Refusal& refusal : refusals) {
        QJsonObject json = good;
        refusal.change(json);
        const auto read = Read(json);
        EXPECT_FALSE(read) << refusal.what;
        EXPECT_TRUE(read.error.startsWith(QLatin1String(refusal.error)))
            << refusal.what << ": " << read.error.toStdString();
    }
}

TEST(ProfileJson, TextThatIsNoProfileIsRefused) {
    const QByteArray good = ProfileToJson(*WorkProfile());
    for (const QByteArray& text :
         {QByteArray(), QByteArray("[1, 2]"), QByteArray("\"Work\""), good.left(good.size() / 2),
          good + "{}", QByteArray(165024, '\0')}) {
        const auto read = ProfileFromJson(text);
        EXPECT_FALSE(read) << text.left(40).toStdString();
        EXPECT_FALSE(read.error.isEmpty());
    }
    // Random bytes as a record can be shown, but not brought back as a profile.
    std::mt19937 random(7);
    ProfileRecord noise;
    auto* bytes = reinterpret_cast<unsigned char*>(&noise);
    for (std::size_t i = 0; i < sizeof noise; ++i) {
        bytes[i] = static_cast<unsigned char>(random());
    }
    EXPECT_FALSE(ProfileFromJson(ProfileToJson(noise)));
}

}  // namespace
