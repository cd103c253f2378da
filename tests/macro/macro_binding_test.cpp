#include "macro/macro_binding.h"

#include <cstring>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "macro/macro_name_changes.h"
#include "macro/macro_store.h"
#include "protocol/profile_record.h"
#include "protocol/utf16_field.h"

namespace {

std::vector<uint8_t> EntryBytes(const ButtonEntry& entry, std::size_t offset, std::size_t n) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&entry);
    return {bytes + offset, bytes + offset + n};
}

MacroRecord Macro(const char* name, std::vector<MacroAction> actions) {
    MacroRecord record{};
    StringToField(record.name, QLatin1String(name));
    record.actionCount = static_cast<int32_t>(actions.size());
    std::copy(actions.begin(), actions.end(), record.actions);
    return record;
}

class MacroBindingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    MacroStore store{dir.path() + QLatin1Char('/')};
};

TEST_F(MacroBindingTest, BindingCopiesTheMacroIntoTheEntryFields) {
    auto record = CreateBlankRecord(QStringLiteral("p"));
    ButtonEntry& entry = record->slots[0].buttons[4];
    BindMacroToButton(entry, Macro("Ab", {{0x04, 1, 300}, {0x04, 2, 0}}), 7, 2, 5);

    EXPECT_EQ(EntryBytes(entry, 0, 4), (std::vector<uint8_t>{4, 0x11, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 12, 4), (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 16, 6), (std::vector<uint8_t>{'A', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 64, 6), (std::vector<uint8_t>{5, 0, 0, 0, 2, 0}));
    EXPECT_EQ(EntryBytes(entry, 1072, 4), (std::vector<uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 1088, 12),
              (std::vector<uint8_t>{0x04, 1, 0x2C, 0x01, 0x04, 2, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MacroBindingTest, ADamagedActionCountIsHeldToFortySix) {
    auto record = CreateBlankRecord(QStringLiteral("p"));
    MacroRecord macro = Macro("Big", {});
    macro.actionCount = 300;
    BindMacroToButton(record->slots[0].buttons[0], macro, 0, 0, 1);
    EXPECT_EQ(record->slots[0].buttons[0].macroActionCount, 46);
    macro.actionCount = -4;
    BindMacroToButton(record->slots[0].buttons[0], macro, 0, 0, 1);
    EXPECT_EQ(record->slots[0].buttons[0].macroActionCount, 0);

    // A profile entry claiming 300 actions brings 46 into the store.
    record->slots[0].buttons[0].macroActionCount = 300;
    ImportProfileMacros(*record, store);
    EXPECT_EQ(store.At(0).actionCount, 46);
}

TEST_F(MacroBindingTest, ADeletedMacroPutsEveryUsingButtonBackOnItsDefault) {
    store.Append(Macro("Keep", {{0x05, 1, 0}}));
    auto first = CreateBlankRecord(QStringLiteral("first"));
    auto second = CreateBlankRecord(QStringLiteral("second"));
    BindMacroToButton(first->slots[0].buttons[3], Macro("Gone", {{0x04, 1, 0}}), 1, 1, 3);
    MirrorButton(*first, 3);
    BindMacroToButton(second->slots[4].buttons[17], Macro("gone", {}), 1, 0, 1);
    // A button that held the macro once and now has a shortcut still carries the name.
    ButtonEntry& former = second->slots[0].buttons[12];
    StringToField(former.macroName, QStringLiteral("Gone"));
    former.functionCode = kFunctionShortcut;
    former.shortcutUsage = 0x1D;

    EXPECT_TRUE(ReconcileMacroEntries(*first, store));
    EXPECT_TRUE(ReconcileMacroEntries(*second, store));

    std::vector<uint8_t> dpiCycle(1272, 0);  // position 3 default: 0x06, everything else zero
    dpiCycle[1] = 0x06;
    dpiCycle[1072] = dpiCycle[1073] = dpiCycle[1074] = dpiCycle[1075] = 0xFF;
    EXPECT_EQ(EntryBytes(first->slots[0].buttons[3], 0, 1272), dpiCycle);
    EXPECT_EQ(EntryBytes(first->slots[1].buttons[3], 0, 1272), dpiCycle);

    std::vector<uint8_t> scrollUp(1272, 0);  // position 17 default: 0x0B
    scrollUp[1] = 0x0B;
    scrollUp[1072] = scrollUp[1073] = scrollUp[1074] = scrollUp[1075] = 0xFF;
    EXPECT_EQ(EntryBytes(second->slots[4].buttons[17], 0, 1272), scrollUp);
    EXPECT_EQ(EntryBytes(former, 0, 4), (std::vector<uint8_t>{0, 0x00, 0, 0}));
    EXPECT_EQ(former.macroName[0], 0);

    // Nothing left to consider.
    EXPECT_FALSE(ReconcileMacroEntries(*first, store));
}

// Renamed in the editor: the buttons follow the macro through every rename, in every slot; a
// macro deleted there takes its buttons back to their defaults even when another macro was then
// given its name, and one renamed onto a freed name takes that name's buttons along only if they
// were its own.
TEST_F(MacroBindingTest, ButtonsFollowTheirMacroThroughTheEditorsRenames) {
    store.Append(Macro("Fire_1", {{0x04, 1, 10}}));
    store.Append(Macro("Walk", {{0x1A, 1, 10}}));
    store.Append(Macro("Old", {{0x05, 1, 10}}));
    MacroNameChanges changes(store);
    auto record = CreateBlankRecord(QStringLiteral("p"));
    BindMacroToButton(record->slots[0].buttons[7], store.At(0), 0, 1, 4);
    MirrorButton(*record, 7);
    BindMacroToButton(record->slots[0].buttons[12], store.At(1), 1, 0, 2);
    BindMacroToButton(record->slots[2].buttons[3], store.At(2), 2, 0, 1);

    // Fire_1 -> Rapid -> Burst; Old deleted and Walk renamed to Old.
    StringToField(store.At(0).name, QStringLiteral("Rapid"));
    changes.Renamed(QStringLiteral("fire_1"), QStringLiteral("Rapid"));
    StringToField(store.At(0).name, QStringLiteral("Burst"));
    changes.Renamed(QStringLiteral("Rapid"), QStringLiteral("Burst"));
    changes.Deleted(QStringLiteral("Old"));
    store.Remove(2);
    StringToField(store.At(1).name, QStringLiteral("Old"));
    changes.Renamed(QStringLiteral("Walk"), QStringLiteral("Old"));

    EXPECT_TRUE(ReconcileMacroEntries(*record, store, &changes));
    for (const ButtonEntry* entry : {&record->slots[0].buttons[7], &record->slots[1].buttons[7]}) {
        EXPECT_EQ(entry->functionCode, kFunctionMacro);
        EXPECT_EQ(FieldToString(entry->macroName), QStringLiteral("Burst"));
        EXPECT_EQ(entry->macroRepeatMode, 1);
        EXPECT_EQ(entry->macroRepeatCount, 4);
    }
    EXPECT_EQ(FieldToString(record->slots[0].buttons[12].macroName), QStringLiteral("Old"));
    EXPECT_EQ(record->slots[0].buttons[12].macroActions[0].code, 0x1A);
    EXPECT_EQ(record->slots[2].buttons[3].functionCode, DefaultFunctionTable[3]);
    EXPECT_EQ(record->slots[2].buttons[3].macroName[0], 0);

    // Without the changes the names alone decide, and the renamed macro is lost.
    BindMacroToButton(record->slots[0].buttons[5], Macro("Fire_1", {}), 0, 0, 1);
    EXPECT_TRUE(ReconcileMacroEntries(*record, store));
    EXPECT_EQ(record->slots[0].buttons[5].functionCode, DefaultFunctionTable[5]);
}

TEST_F(MacroBindingTest, AnEditedMacroRefreshesActionsAndKeepsRepeatSettings) {
    store.Append(Macro("Other", {}));
    store.Append(Macro("Edit", {{0x04, 1, 10}}));
    auto record = CreateBlankRecord(QStringLiteral("p"));
    ButtonEntry& entry = record->slots[0].buttons[5];
    BindMacroToButton(entry, store.At(1), 1, 2, 9);

    // The user renames the macro's case and records new actions.
    store.At(1) = Macro("EDIT", {{0x06, 1, 5}, {0x06, 2, 2000}});
    store.At(1).actions[45] = {0x07, 1, 1};  // beyond the count, but part of the copied array
    EXPECT_TRUE(ReconcileMacroEntries(*record, store));

    EXPECT_EQ(EntryBytes(entry, 0, 16),
              (std::vector<uint8_t>{5, 0x11, 0, 0, 0, 0, 0, 0, 0x32, 0x02, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 16, 10),
              (std::vector<uint8_t>{'E', 0, 'D', 0, 'I', 0, 'T', 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 64, 6), (std::vector<uint8_t>{9, 0, 0, 0, 2, 0}));
    EXPECT_EQ(EntryBytes(entry, 1072, 4), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(EntryBytes(entry, 1088, 8),
              (std::vector<uint8_t>{0x06, 1, 5, 0, 0x06, 2, 0xD0, 0x07}));
    EXPECT_EQ(EntryBytes(entry, 1088 + 180, 4), (std::vector<uint8_t>{0x07, 1, 1, 0}));
}

TEST_F(MacroBindingTest, ProfileImportAddsOneMacroPerEntryUnderUniqueNames) {
    store.Append(Macro("Copy", {}));
    auto record = CreateBlankRecord(QStringLiteral("p"));
    BindMacroToButton(record->slots[0].buttons[2], Macro("copy", {{0x04, 1, 1}}), 0, 1, 4);
    BindMacroToButton(record->slots[3].buttons[9], Macro("copy", {{0x05, 1, 1}}), 0, 0, 1);
    // Not a macro entry any more: a leftover name brings nothing in.
    StringToField(record->slots[0].buttons[1].macroName, QStringLiteral("Stale"));

    EXPECT_EQ(ImportProfileMacros(*record, store), 2);
    ASSERT_EQ(store.Count(), 3);
    EXPECT_EQ(store.NameAt(1), QStringLiteral("copy_1"));
    EXPECT_EQ(store.NameAt(2), QStringLiteral("copy_2"));
    EXPECT_EQ(store.At(1).repeatCountCopy, 4);
    EXPECT_EQ(store.At(2).actions[0].code, 0x05);

    const ButtonEntry& a = record->slots[0].buttons[2];
    const ButtonEntry& b = record->slots[3].buttons[9];
    EXPECT_EQ(EntryBytes(a, 16, 14),
              (std::vector<uint8_t>{'c', 0, 'o', 0, 'p', 0, 'y', 0, '_', 0, '1', 0, 0, 0}));
    EXPECT_EQ(a.macroIndex, 1);
    EXPECT_EQ(EntryBytes(b, 16, 14),
              (std::vector<uint8_t>{'c', 0, 'o', 0, 'p', 0, 'y', 0, '_', 0, '2', 0, 0, 0}));
    EXPECT_EQ(b.macroIndex, 2);
}

}  // namespace
