// Plain stand-ins for the page's controls and the main window's timers and messages.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "link/device_events.h"
#include "link/device_view.h"

class FakeView : public DeviceView {
public:
    void SetVisible(std::string_view control, bool visible) override {
        visible_[std::string(control)] = visible;
    }
    bool IsChecked(std::string_view control) const override {
        auto it = checked_.find(std::string(control));
        return it != checked_.end() && it->second;
    }
    void SetChecked(std::string_view control, bool checked) override {
        checked_[std::string(control)] = checked;
    }
    void SetLanguageText(std::string_view control, std::string_view key) override {
        text_[std::string(control)] = "key:" + std::string(key);
    }
    void SetPlainText(std::string_view control, const QString& text) override {
        text_[std::string(control)] = text.toStdString();
    }
    void SetProgress(std::string_view control, int value) override {
        progress_[std::string(control)] = value;
    }
    void SelectDpiStageOption(int number) override { selectedStageOption = number; }
    void SelectReportRateOption(int index) override { selectedRateOption = index; }
    void UpdateLightRows() override { ++lightRowUpdates; }

    // -1 when the control was never shown or hidden.
    int Visible(std::string_view control) const {
        auto it = visible_.find(std::string(control));
        return it == visible_.end() ? -1 : it->second ? 1 : 0;
    }
    std::string Text(std::string_view control) const {
        auto it = text_.find(std::string(control));
        return it == text_.end() ? std::string() : it->second;
    }
    int Progress(std::string_view control) const {
        auto it = progress_.find(std::string(control));
        return it == progress_.end() ? -1 : it->second;
    }

    int selectedStageOption = 0;
    int selectedRateOption = -1;
    int lightRowUpdates = 0;

private:
    std::map<std::string, bool> visible_;
    std::map<std::string, bool> checked_;
    std::map<std::string, std::string> text_;
    std::map<std::string, int> progress_;
};

class FakeWindow : public WindowServices {
public:
    struct Message {
        uint32_t message;
        uint64_t wParam;
        int64_t lParam;
    };
    void SetTimer(int id, int milliseconds) override { timers[id] = milliseconds; }
    void KillTimer(int id) override { timers.erase(id); }
    void StartChargeTimer() override { chargeTimerRunning = true; }
    void StopChargeTimer() override { chargeTimerRunning = false; }
    void PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) override {
        posted.push_back({message, wParam, lParam});
    }
    void Wait(int milliseconds) override { waits.push_back(milliseconds); }

    int CountPosted(uint32_t message) const {
        int n = 0;
        for (const auto& m : posted) {
            n += m.message == message ? 1 : 0;
        }
        return n;
    }
    bool TimerRunning(int id) const { return timers.count(id) != 0; }

    std::map<int, int> timers;
    bool chargeTimerRunning = false;
    std::vector<Message> posted;
    std::vector<int> waits;
};

class FakeProfile : public CurrentProfileAccess {
public:
    FakeProfile() : record(CreateBlankRecord(QStringLiteral("p"))) {}
    bool EditSlot0(const std::function<void(ProfileSlot&)>& edit) override {
        if (!loaded) {
            return false;
        }
        edit(record->slots[0]);
        return true;
    }
    void Synchronise() override { ++synchronised; }
    void SynchroniseSlot0(const std::function<void(ProfileSlot&)>& change) override {
        ++synchronised;
        ProfileSlot copy = record->slots[0];
        change(copy);
        // The change the mouse made is the one the record holds.
        changeMatchesRecord = std::memcmp(&copy, &record->slots[0], sizeof copy) == 0;
    }

    std::unique_ptr<ProfileRecord> record;
    bool loaded = true;
    int synchronised = 0;
    bool changeMatchesRecord = false;
};
